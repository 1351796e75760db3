#include "platform/qt/services/qt_clipboard_service.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <memory>
#include <span>

#include "document/bmp_file.h"
#include "document/clipboard_bmp.h"
#include "platform/qt/services/image_conversion.h"

namespace ridgeview::platform {

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& data) {
  return {reinterpret_cast<const std::uint8_t*>(data.constData()),
          static_cast<std::size_t>(data.size())};
}

// A bitmap file of a top-down Image of 24 or 32 bits (as ImageFromQImage makes them).
std::optional<std::vector<std::uint8_t>> ToBmpFile(const document::Image& image) {
  return document::EncodeBmpFile(image.pixels, image.width,
                                 static_cast<std::int32_t>(image.RowCount()), image.bitsPerPixel);
}

}  // namespace

QtClipboardService::QtClipboardService(QClipboard::Mode mode) : mode_(mode) {
  ApplyImageAllocationLimit();
}

bool QtClipboardService::PutBmp(const std::vector<std::uint8_t>& bmpFile) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    return false;
  }
  const std::optional<document::Image> image = document::BmpBytesToImage(bmpFile);
  if (!image) {
    return false;
  }
  const QImage picture = QImageFromImage(*image);
  QByteArray png;
  QBuffer buffer(&png);
  if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
    return false;
  }
  auto mime = std::make_unique<QMimeData>();
  mime->setData(kMimeBmp, QByteArray(reinterpret_cast<const char*>(bmpFile.data()),
                                     static_cast<qsizetype>(bmpFile.size())));
  mime->setData(kMimePng, png);
  clipboard->setMimeData(mime.release(), mode_);  // the clipboard owns it now
  return true;
}

std::optional<std::vector<std::uint8_t>> QtClipboardService::GetBmp() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard == nullptr ? nullptr : clipboard->mimeData(mode_);
  if (mime == nullptr) {
    return std::nullopt;
  }
  if (mime->hasFormat(kMimeBmp)) {
    if (auto file = document::ClipboardBmpDataToFile(Bytes(mime->data(kMimeBmp)))) {
      return file;
    }
  }
  for (const QString& format : mime->formats()) {
    if (!format.startsWith(QLatin1String("image/")) || format == QLatin1String(kMimeBmp)) {
      continue;
    }
    QByteArray data = mime->data(format);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);  // the format is told by the content
    if (const std::optional<document::Image> image = ReadImage(reader)) {
      return ToBmpFile(*image);
    }
  }
  if (mime->hasImage()) {
    if (const auto image = ImageFromQImage(qvariant_cast<QImage>(mime->imageData()))) {
      return ToBmpFile(*image);
    }
  }
  return std::nullopt;
}

bool QtClipboardService::HasImage() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard == nullptr ? nullptr : clipboard->mimeData(mode_);
  if (mime == nullptr) {
    return false;
  }
  if (mime->hasImage()) {
    return true;
  }
  // Only types GetBmp can turn into a bitmap: ours, and those an image reader reads. Any
  // other "image/..." type would enable Paste only for it to fail.
  const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
  for (const QString& format : mime->formats()) {
    if (format == QLatin1String(kMimeBmp) || readable.contains(format.toLatin1())) {
      return true;
    }
  }
  return false;
}

}  // namespace ridgeview::platform
