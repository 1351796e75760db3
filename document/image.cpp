#include "document/image.h"

#include <bit>
#include <limits>
#include <new>

namespace ridgeview::document {

std::uint64_t RowStride(std::int64_t width, std::uint32_t bitsPerPixel) {
  if (width <= 0) {
    return 0;
  }
  return (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

std::uint64_t Image::Stride() const { return RowStride(width, bitsPerPixel); }

std::uint64_t Image::RowCount() const {
  const std::int64_t h = height;
  return static_cast<std::uint64_t>(h < 0 ? -h : h);
}

const std::uint8_t* Image::TopDownRow(std::uint64_t y) const {
  const std::uint64_t stored = IsTopDown() ? y : RowCount() - 1 - y;
  return pixels.data() + stored * Stride();
}

std::uint8_t* Image::TopDownRow(std::uint64_t y) {
  const std::uint64_t stored = IsTopDown() ? y : RowCount() - 1 - y;
  return pixels.data() + stored * Stride();
}

bool IsSupportedDepth(std::uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32:
      return true;
    default:
      return false;
  }
}

namespace {

// One run of adjacent set bits (e.g. 0x03E0), not zero.
bool IsContiguousMask(std::uint32_t mask) {
  if (mask == 0) {
    return false;
  }
  const std::uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

}  // namespace

bool AreValidMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                   std::uint32_t bitsPerPixel) {
  if (bitsPerPixel != 16 && bitsPerPixel != 32) {
    return false;
  }
  if (!IsContiguousMask(red) || !IsContiguousMask(green) || !IsContiguousMask(blue)) {
    return false;
  }
  if ((red & green) != 0 || (red & blue) != 0 || (green & blue) != 0) {
    return false;
  }
  const std::uint32_t all = red | green | blue;
  return bitsPerPixel == 32 || (all & 0xFFFF0000u) == 0;
}

bool IsValidImage(const Image& image) {
  if (image.width <= 0 || image.height == 0 ||
      image.height == std::numeric_limits<std::int32_t>::min()) {
    return false;
  }
  if (image.planes != 1 || !IsSupportedDepth(image.bitsPerPixel)) {
    return false;
  }
  if (image.compression == kCompressionBitFields) {
    if (!AreValidMasks(image.redMask, image.greenMask, image.blueMask, image.bitsPerPixel)) {
      return false;
    }
  } else if (image.compression != kCompressionRgb) {
    return false;
  }
  if (image.colourTable.size() > 256 ||
      (image.bitsPerPixel > 8 && !image.colourTable.empty())) {
    return false;
  }
  const std::uint64_t stride = image.Stride();
  const std::uint64_t rows = image.RowCount();
  if (stride > kMaxPixelBytes / rows) {
    return false;
  }
  return image.pixels.size() >= stride * rows;
}

std::optional<Image> CreateImage(std::int32_t width, std::int32_t height,
                                 std::uint16_t bitsPerPixel) {
  Image image;
  image.width = width;
  image.height = height;
  image.bitsPerPixel = bitsPerPixel;
  if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min() ||
      !IsSupportedDepth(bitsPerPixel)) {
    return std::nullopt;
  }
  const std::uint64_t stride = image.Stride();
  const std::uint64_t rows = image.RowCount();
  if (stride > kMaxPixelBytes / rows) {
    return std::nullopt;
  }
  try {
    image.pixels.assign(static_cast<std::size_t>(stride * rows), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  image.imageBytes = static_cast<std::uint32_t>(stride * rows);
  return image;
}

ImageHeader QueryHeader(const Image& image) {
  ImageHeader header;
  header.width = image.width;
  const std::uint64_t rows = image.RowCount();
  header.height = rows > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                      ? std::numeric_limits<std::int32_t>::max()
                      : static_cast<std::int32_t>(rows);
  header.bitsPerPixel = image.bitsPerPixel;
  header.compression = image.compression;
  header.imageBytes = image.imageBytes;
  header.coloursUsed = image.coloursUsed;
  return header;
}

}  // namespace ridgeview::document
