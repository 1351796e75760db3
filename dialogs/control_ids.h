// The control ids of the dialogs. Each control carries its id, in decimal, as its object name,
// so that the code filling a dialog and the tests reading it find it the same way.
#pragma once

#include <QObject>
#include <QString>

namespace ridgeview::dialogs::control {

// Properties sheet. The File and Image pages share Type, the Image and View pages Size.
inline constexpr int kFileIcon = 1008;
inline constexpr int kType = 1009;
inline constexpr int kLocation = 1010;
inline constexpr int kFileSize = 1011;
inline constexpr int kCreated = 1012;
inline constexpr int kAttributes = 1013;
inline constexpr int kName = 1016;
inline constexpr int kColours = 1019;
inline constexpr int kBitsPerPixel = 1020;
inline constexpr int kSize = 1021;
inline constexpr int kImageBytes = 1022;
inline constexpr int kZoom = 1023;
inline constexpr int kViewThumbnail = 1024;
inline constexpr int kImageThumbnail = 1043;

// Move dialog.
inline constexpr int kMoveButton = 1005;
inline constexpr int kShortcutBox = 1007;
inline constexpr int kPresentPath = 1010;
inline constexpr int kPresentLocation = 1025;
inline constexpr int kMoveText = 1026;
inline constexpr int kCancelButton = 2;

// The object name of control `id`.
inline QString Name(int id) { return QString::number(id); }

// The control `id` of type T inside `parent`, or null.
template <class T>
T* Find(const QObject* parent, int id) {
  return parent->findChild<T*>(Name(id));
}

}  // namespace ridgeview::dialogs::control
