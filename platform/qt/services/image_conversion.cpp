#include "platform/qt/services/image_conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/pixel_convert.h"

namespace ridgeview::platform {

void ApplyImageAllocationLimit() {
  // In whole MiB, rounded down so the limit never exceeds the Image's own.
  QImageReader::setAllocationLimit(static_cast<int>(document::kMaxPixelBytes >> 20));
}

std::optional<document::Image> ImageFromQImage(const QImage& source) {
  if (source.isNull() || source.width() <= 0 || source.height() <= 0) {
    return std::nullopt;
  }
  const bool alpha = source.hasAlphaChannel();
  const std::uint16_t depth = alpha ? 32 : 24;
  // CreateImage refuses sizes beyond kMaxPixelBytes before allocating.
  std::optional<document::Image> image = document::CreateImage(source.width(), -source.height(), depth);
  if (!image) {
    return std::nullopt;
  }
  // ARGB32 is stored as the 32-bit value 0xAARRGGBB, that is blue, green, red, alpha in
  // memory on this little-endian platform; BGR888 is blue, green, red.
  const QImage converted = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
  if (converted.isNull()) {
    return std::nullopt;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(source.width()) * (depth / 8);
  const std::size_t stride = image->Stride();
  for (int y = 0; y < converted.height(); ++y) {
    std::memcpy(image->pixels.data() + static_cast<std::size_t>(y) * stride,
                converted.constScanLine(y), rowBytes);
  }
  return image;
}

QImage QImageFromImage(const document::Image& image) {
  const std::optional<document::Image> rgb = document::RenderRgb24(image);
  if (!rgb) {
    return QImage();
  }
  const auto rows = static_cast<int>(rgb->RowCount());
  QImage result(rgb->width, rows, QImage::Format_BGR888);
  if (result.isNull()) {
    return QImage();
  }
  const std::size_t rowBytes = static_cast<std::size_t>(rgb->width) * 3;
  for (int y = 0; y < rows; ++y) {
    std::memcpy(result.scanLine(y), rgb->TopDownRow(static_cast<std::uint64_t>(y)), rowBytes);
  }
  return result;
}

std::optional<document::Image> ReadImage(QImageReader& reader) {
  reader.setAutoTransform(false);
  if (!reader.canRead()) {
    return std::nullopt;
  }
  const QSize size = reader.size();
  if (size.isValid()) {
    if (size.width() <= 0 || size.height() <= 0) {
      return std::nullopt;
    }
    const std::uint64_t bytes = document::Rgb24Stride(size.width()) *
                                static_cast<std::uint64_t>(size.height());
    if (bytes > document::kMaxPixelBytes) {
      return std::nullopt;
    }
  }
  QImage decoded;
  if (!reader.read(&decoded)) {
    return std::nullopt;
  }
  return ImageFromQImage(decoded);
}

}  // namespace ridgeview::platform
