// Where the instance lock and the hand-over socket live, and who may talk over the socket.
//
// Both sit in the user's runtime folder ($XDG_RUNTIME_DIR, private to the user), or in the
// system's temporary folder when there is no runtime folder. Their names carry the user id,
// so that users sharing the temporary folder do not meet:
//   lock:   <folder>/Ridgeview<uid>      (a QLockFile)
//   socket: <folder>/Ridgeview-<uid>     (the QLocalServer of the running instance)
// "Ridgeview" is the application name; tests pass another name or folder.
#pragma once

#include <QString>
#include <QtGlobal>

namespace ridgeview::platform {

inline constexpr char kApplicationName[] = "Ridgeview";

// QStandardPaths::RuntimeLocation, or QDir::tempPath() when Qt finds no usable runtime folder.
QString InstanceFolder();

QString InstanceLockPath(const QString& folder, const QString& applicationName);
QString HandOverServerPath(const QString& folder, const QString& applicationName);

// The real user id of this process.
quint32 CurrentUserId();

// True when the process at the other end of the connected local socket `descriptor` runs as
// the same user as this one. False when that cannot be established.
bool SocketPeerIsCurrentUser(qintptr descriptor);

}  // namespace ridgeview::platform
