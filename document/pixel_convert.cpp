#include "document/pixel_convert.h"

#include <bit>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "document/pixel_reader.h"

namespace ridgeview::document {

std::uint64_t Rgb24Stride(std::int64_t width) { return RowStride(width, 24); }

namespace {

// Images of at least this many pixels are expanded on two threads.
constexpr std::uint64_t kSplitPixels = std::uint64_t{1} << 21;

// One row of gray bytes as blue, green, red triples, four pixels (twelve bytes) at a time.
void GrayRowToBgr(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width) {
  std::int32_t x = 0;
  for (; std::endian::native == std::endian::little && x + 4 <= width;
       x += 4, src += 4, dst += 12) {
    const std::uint32_t g0 = src[0], g1 = src[1], g2 = src[2], g3 = src[3];
    const std::uint32_t words[3] = {g0 | g0 << 8 | g0 << 16 | g1 << 24,
                                    g1 | g1 << 8 | g2 << 16 | g2 << 24,
                                    g2 | g3 << 8 | g3 << 16 | g3 << 24};
    std::memcpy(dst, words, sizeof words);  // in memory: g0 g0 g0 g1 g1 g1 g2 g2 g2 g3 g3 g3
  }
  for (; x < width; ++x, ++src, dst += 3) dst[0] = dst[1] = dst[2] = *src;
}

}  // namespace

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
  const auto rows = [&](std::uint64_t first, std::uint64_t last) {
    for (std::uint64_t y = first; y < last; ++y) {
      GrayRowToBgr(gray.data() + y * static_cast<std::uint64_t>(width),
                   image->pixels.data() + y * stride, width);
    }
  };
  // A large image is expanded on two threads (the rows are independent), so that a large
  // print appears sooner.
  const auto h = static_cast<std::uint64_t>(height);
  if (pixelCount >= kSplitPixels && h >= 2) {
    std::thread helper;
    try {
      helper = std::thread(rows, h / 2, h);
    } catch (const std::system_error&) {
      rows(h / 2, h);  // no thread to be had: this one does it
    }
    rows(0, h / 2);
    if (helper.joinable()) helper.join();
  } else {
    rows(0, h);
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
