#include "platform/qt/instance/instance_paths.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

namespace ridgeview::platform {

QString InstanceFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString InstanceLockPath(const QString& folder, const QString& applicationName) {
  return folder + QLatin1Char('/') + applicationName + QString::number(CurrentUserId());
}

QString HandOverServerPath(const QString& folder, const QString& applicationName) {
  return folder + QLatin1Char('/') + applicationName + QLatin1Char('-') +
         QString::number(CurrentUserId());
}

quint32 CurrentUserId() { return static_cast<quint32>(::getuid()); }

bool SocketPeerIsCurrentUser(qintptr descriptor) {
  if (descriptor < 0) return false;
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                   &length) != 0 ||
      length != sizeof credentials) {
    return false;
  }
  return credentials.uid == ::getuid();
}

}  // namespace ridgeview::platform
