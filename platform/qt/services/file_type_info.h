// The icon and type name shown for a file, or for a kind of file named by its extension.
#pragma once

#include <QIcon>
#include <QString>

namespace ridgeview::platform {

struct FileTypeInfo {
  QIcon icon;        // never null: a generic file icon when nothing better is known
  QString typeName;  // e.g. "JPEG image", "folder"
};

// For a bare extension (starts with '.', no '/', e.g. ".jpg"): the MIME type registered for
// that extension, found without touching any file. For anything else, a path: the file's
// MIME type from its name and, where the name does not settle it, its content; folders and
// other non-regular files get their inode types. The icon comes from the icon theme for that
// type (QFileIconProvider for a path); the type name is the MIME database's description.
// When the database knows nothing better than "application/octet-stream" and there is an
// extension, the name is the extension in capitals followed by " File" ("WSQ File").
FileTypeInfo QueryFileType(const QString& pathOrExtension);

}  // namespace ridgeview::platform
