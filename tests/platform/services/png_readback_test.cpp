// The PNG files the document writes, read back by Qt's PNG reader: a second, independent
// implementation must see exactly the pixels that were given.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <random>

#include "document/pixel_convert.h"
#include "document/png_file.h"

namespace ridgeview::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

QImage ReadBack(const Bytes& file) {
  QByteArray data(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, "png");
  return reader.read();
}

// 24-bit top-down rows (blue, green, red, padded stride) of random pixels; gray when asked.
Bytes RandomRows(int width, int height, bool gray, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::size_t stride = document::Rgb24Stride(width);
  Bytes rows(stride * height, 0xEE);  // padding that must not leak into the file
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rows[y * stride + static_cast<std::size_t>(x) * 3];
      p[0] = static_cast<std::uint8_t>(rng());
      p[1] = gray ? p[0] : static_cast<std::uint8_t>(rng());
      p[2] = gray ? p[0] : static_cast<std::uint8_t>(rng());
    }
  }
  return rows;
}

TEST(PngReadBack, EveryPixelComesBackForGrayAndColourOfAnySize) {
  struct Case {
    int width, height;
    bool gray;
  };
  // Odd widths (padded rows), one pixel, and a noisy image whose zlib stream needs several
  // IDAT chunks.
  for (const Case c : {Case{1, 1, true}, Case{37, 23, true}, Case{33, 17, false},
                       Case{1, 9, false}, Case{300, 300, false}}) {
    const Bytes rows = RandomRows(c.width, c.height, c.gray, c.width * 7u + c.height);
    const std::optional<Bytes> file = document::Rgb24ToPngFile(rows, c.width, c.height);
    ASSERT_TRUE(file) << c.width << "x" << c.height;
    const QImage image = ReadBack(*file);
    ASSERT_EQ(image.size(), QSize(c.width, c.height)) << c.width << "x" << c.height;
    EXPECT_EQ(image.format(), c.gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    const std::size_t stride = document::Rgb24Stride(c.width);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const std::uint8_t* p = &rows[y * stride + static_cast<std::size_t>(x) * 3];
        if (image.pixel(x, y) != qRgb(p[2], p[1], p[0])) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace ridgeview::platform
