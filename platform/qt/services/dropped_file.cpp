#include "platform/qt/services/dropped_file.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace ridgeview::platform {

std::optional<std::string> DroppedLocalFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (path.isEmpty() || QFileInfo(path).isDir()) continue;
    return QFile::encodeName(path).toStdString();
  }
  return std::nullopt;
}

}  // namespace ridgeview::platform
