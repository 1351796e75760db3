#include "platform/qt/services/file_type_info.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

namespace ridgeview::platform {

namespace {

bool IsBareExtension(const QString& text) {
  return text.size() > 1 && text.startsWith(QLatin1Char('.')) && !text.contains(QLatin1Char('/'));
}

QString TypeName(const QMimeType& type, const QString& suffix) {
  if (type.isDefault() && !suffix.isEmpty()) {
    return suffix.toUpper() + QStringLiteral(" File");
  }
  return type.comment();
}

}  // namespace

FileTypeInfo QueryFileType(const QString& pathOrExtension) {
  const QMimeDatabase database;
  const QFileIconProvider provider;
  FileTypeInfo info;
  if (IsBareExtension(pathOrExtension)) {
    // Matching a made-up name by extension reads nothing from the disk.
    const QMimeType type =
        database.mimeTypeForFile(QStringLiteral("file") + pathOrExtension, QMimeDatabase::MatchExtension);
    info.typeName = TypeName(type, pathOrExtension.mid(1));
    info.icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  } else {
    const QFileInfo file(pathOrExtension);
    const QMimeType type = database.mimeTypeForFile(file);
    info.typeName = TypeName(type, file.isDir() ? QString() : file.suffix());
    info.icon = provider.icon(file);
  }
  if (info.icon.isNull()) {
    info.icon = provider.icon(QFileIconProvider::File);
  }
  return info;
}

}  // namespace ridgeview::platform
