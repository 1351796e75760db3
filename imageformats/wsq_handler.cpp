#include "imageformats/wsq_handler.h"

#include <QIODevice>
#include <QLoggingCategory>

#include <cstring>
#include <memory>
#include <span>

#include "document/pixel_convert.h"
#include "ridgeview/wsq.h"

namespace {

Q_LOGGING_CATEGORY(lcWsq, "ridgeview.wsq")

constexpr float kBitRate = 0.75f;  // the viewer's Save
constexpr int kDefaultPpi = 500;
constexpr double kMetresPerInch = 0.0254;

using LibraryBytes = std::unique_ptr<unsigned char, void (*)(void*)>;

// The bytes a reader may look at without taking them: the rest of a file, or what a stream
// has buffered.
QByteArray peekAll(QIODevice* device) {
  const qint64 rest = device->isSequential() ? device->bytesAvailable()
                                             : device->size() - device->pos();
  return device->peek(rest);
}

const unsigned char* bytes(const QByteArray& data) {
  return reinterpret_cast<const unsigned char*>(data.constData());
}

void warn(const char* what, const ridgeview_wsq_error& error) {
  qCWarning(lcWsq, "%s: %s", what, QByteArray(error.message).trimmed().constData());
}

}  // namespace

bool WsqHandler::canRead(QIODevice* device) {
  return device != nullptr && device->peek(2) == QByteArray("\xFF\xA0", 2);
}

bool WsqHandler::canRead() const {
  if (!canRead(device())) return false;
  setFormat("wsq");
  return true;
}

bool WsqHandler::read(QImage* image) {
  const QByteArray data = device()->readAll();
  ridgeview_wsq_image decoded{};
  ridgeview_wsq_error error;
  const int ret = ridgeview_wsq_decode(bytes(data), static_cast<size_t>(data.size()), 0, &decoded,
                                       &error);
  ridgeview_wsq_release_cached_memory();
  if (ret != 0) {
    warn("cannot decode", error);
    return false;
  }
  const LibraryBytes pixels(decoded.pixels, ridgeview_wsq_free);
  QImage result(decoded.width, decoded.height, QImage::Format_Grayscale8);
  if (result.isNull()) {
    qCWarning(lcWsq, "no memory for an image of %d x %d", decoded.width, decoded.height);
    return false;
  }
  for (int y = 0; y < decoded.height; ++y) {
    std::memcpy(result.scanLine(y), pixels.get() + static_cast<size_t>(y) * decoded.width,
                static_cast<size_t>(decoded.width));
  }
  if (decoded.ppi > 0) {
    const int dpm = qRound(decoded.ppi / kMetresPerInch);
    result.setDotsPerMeterX(dpm);
    result.setDotsPerMeterY(dpm);
  }
  *image = result;
  return true;
}

bool WsqHandler::write(const QImage& image) {
  const QByteArray gray = WsqGrayPixels(image);
  if (gray.isEmpty()) return false;
  unsigned char* data = nullptr;
  size_t size = 0;
  ridgeview_wsq_error error;
  const int ret = ridgeview_wsq_encode(bytes(gray), image.width(), image.height(), kBitRate,
                                       WsqPpiForImage(image), "", 0, &data, &size, &error);
  ridgeview_wsq_release_cached_memory();
  if (ret != 0) {
    warn("cannot encode", error);
    return false;
  }
  const LibraryBytes encoded(data, ridgeview_wsq_free);
  return device()->write(reinterpret_cast<const char*>(encoded.get()),
                         static_cast<qint64>(size)) == static_cast<qint64>(size);
}

bool WsqHandler::supportsOption(ImageOption option) const {
  return option == Size || option == ImageFormat;
}

QVariant WsqHandler::option(ImageOption option) const {
  if (option == ImageFormat) return QImage::Format_Grayscale8;
  if (option != Size || device() == nullptr) return {};
  const QByteArray head = peekAll(device());
  ridgeview_wsq_info info;
  if (ridgeview_wsq_read_info(bytes(head), static_cast<size_t>(head.size()), &info, nullptr) != 0) {
    return {};
  }
  const QSize size(info.width, info.height);
  ridgeview_wsq_info_free(&info);
  return size;
}

int WsqPpiForImage(const QImage& image) {
  static const int screenDefault = QImage(1, 1, QImage::Format_Grayscale8).dotsPerMeterX();
  const int dpm = image.dotsPerMeterX();
  if (dpm <= 0 || dpm == screenDefault) return kDefaultPpi;
  return qRound(dpm * kMetresPerInch);
}

QByteArray WsqGrayPixels(const QImage& image) {
  if (image.isNull()) return {};
  const int width = image.width();
  const int height = image.height();
  if (image.format() == QImage::Format_Grayscale8) {
    QByteArray gray(qsizetype(width) * height, Qt::Uninitialized);
    for (int y = 0; y < height; ++y) {
      std::memcpy(gray.data() + qsizetype(y) * width, image.constScanLine(y),
                  static_cast<size_t>(width));
    }
    return gray;
  }
  // Qt's 24-bit rows have the 4-byte stride the viewer's conversion expects; the order of the
  // channels does not matter to their mean.
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const auto gray = ridgeview::document::Rgb24ToGray(
      std::span<const std::uint8_t>(rgb.constBits(), static_cast<size_t>(rgb.sizeInBytes())),
      width, height);
  if (!gray) return {};
  return QByteArray(reinterpret_cast<const char*>(gray->data()), qsizetype(gray->size()));
}
