#include "platform/qt/services/qt_picture_loader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/qt/services/image_conversion.h"

namespace ridgeview::platform {

QtPictureLoader::QtPictureLoader() { ApplyImageAllocationLimit(); }

std::optional<document::Image> QtPictureLoader::Load(const std::string& path) {
  const QString name = QFile::decodeName(QByteArray::fromStdString(path));
  // Only regular files: opening a pipe would wait for a writer.
  if (!QFileInfo(name).isFile()) {
    return std::nullopt;
  }
  QImageReader reader(name);
  return ReadImage(reader);
}

}  // namespace ridgeview::platform
