#include "document/pixel_convert.h"

#include <new>

#include "document/pixel_reader.h"

namespace ridgeview::document {

std::uint64_t Rgb24Stride(std::int64_t width) { return RowStride(width, 24); }

std::optional<Image> GrayToImage(std::span<const std::uint8_t> gray, std::int32_t width,
                                 std::int32_t height) {
  if (width <= 0 || height <= 0) {
    return std::nullopt;
  }
  const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (gray.size() < pixelCount) {
    return std::nullopt;
  }
  std::optional<Image> image = CreateImage(width, -height, 24);
  if (!image) {
    return std::nullopt;
  }
  const std::uint64_t stride = image->Stride();
  for (std::uint64_t y = 0; y < static_cast<std::uint64_t>(height); ++y) {
    const std::uint8_t* src = gray.data() + y * static_cast<std::uint64_t>(width);
    std::uint8_t* dst = image->pixels.data() + y * stride;
    for (std::int32_t x = 0; x < width; ++x) {
      dst[0] = dst[1] = dst[2] = src[x];
      dst += 3;
    }
  }
  return image;
}

std::optional<Image> RenderRgb24(const Image& image) {
  if (!IsValidImage(image)) {
    return std::nullopt;
  }
  const std::uint64_t rows = image.RowCount();
  std::optional<Image> target = CreateImage(image.width, -static_cast<std::int32_t>(rows), 24);
  if (!target) {
    return std::nullopt;
  }
  const PixelReader reader(image);
  const std::uint64_t stride = target->Stride();
  for (std::uint64_t y = 0; y < rows; ++y) {
    reader.ReadRow(image.TopDownRow(y), target->pixels.data() + y * stride);
  }
  return target;
}

std::optional<std::vector<std::uint8_t>> Rgb24ToGray(std::span<const std::uint8_t> rgb,
                                                     std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) {
    return std::nullopt;
  }
  const std::uint64_t stride = Rgb24Stride(width);
  const std::uint64_t rows = static_cast<std::uint64_t>(height);
  if (stride > kMaxPixelBytes / rows || rgb.size() < stride * rows) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> gray;
  try {
    gray.resize(static_cast<std::size_t>(static_cast<std::uint64_t>(width) * rows));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::uint8_t* out = gray.data();
  for (std::uint64_t i = 0; i < rows; ++i) {
    const std::uint8_t* p = rgb.data() + i * stride;
    for (std::int32_t j = 0; j < width; ++j, p += 3) {
      *out++ = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
    }
  }
  return gray;
}

}  // namespace ridgeview::document
