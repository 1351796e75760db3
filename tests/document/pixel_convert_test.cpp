#include "document/pixel_convert.h"

#include <gtest/gtest.h>

#include <vector>

#include "document/image.h"

namespace ridgeview::document {
namespace {

std::vector<std::uint8_t> Pixel(const Image& rgb, std::uint64_t x, std::uint64_t y) {
  const std::uint8_t* p = rgb.TopDownRow(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

using Bytes = std::vector<std::uint8_t>;

TEST(GrayToImage, MakesTopDown24BitRowsWithFourByteStride) {
  const Bytes gray = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const auto five = GrayToImage(gray, 5, 2);
  ASSERT_TRUE(five);
  EXPECT_EQ(five->Stride(), 16u);
  EXPECT_EQ(five->height, -2);
  EXPECT_EQ(five->bitsPerPixel, 24);
  EXPECT_TRUE(five->colourTable.empty());
  EXPECT_EQ(five->imageBytes, 32u);
  EXPECT_EQ(Pixel(*five, 4, 0), (Bytes{5, 5, 5}));
  EXPECT_EQ(Pixel(*five, 0, 1), (Bytes{6, 6, 6}));
  EXPECT_EQ(five->pixels[15], 0);  // padding

  const auto four = GrayToImage(gray, 4, 2);
  ASSERT_TRUE(four);
  EXPECT_EQ(four->Stride(), 12u);
  EXPECT_EQ(Pixel(*four, 0, 1), (Bytes{5, 5, 5}));
}

TEST(GrayToImage, RefusesBadSizesAndShortInput) {
  const Bytes gray(6, 0);
  EXPECT_FALSE(GrayToImage(gray, 0, 1));
  EXPECT_FALSE(GrayToImage(gray, 3, -2));
  EXPECT_FALSE(GrayToImage(gray, 4, 2));  // needs 8 bytes
  EXPECT_FALSE(GrayToImage(gray, 0x7FFFFFFF, 0x7FFFFFFF));
}

TEST(Rgb24ToGray, AveragesChannelsDroppingRemainder) {
  // Two rows of two pixels, stride 8 with padding bytes that must be ignored.
  const Bytes rgb = {10, 11, 12, 0, 0, 2, 99, 99,  //
                     255, 255, 254, 200, 100, 1, 99, 99};
  const auto gray = Rgb24ToGray(rgb, 2, 2);
  ASSERT_TRUE(gray);
  EXPECT_EQ(*gray, (Bytes{11, 0, 254, 100}));
  EXPECT_FALSE(Rgb24ToGray(rgb, 2, 3));  // too short
  EXPECT_FALSE(Rgb24ToGray(rgb, -1, 1));
}

TEST(Rgb24ToGray, GrayImageRoundTripsUnchanged) {
  Bytes gray(7 * 3);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = static_cast<std::uint8_t>(i * 12);
  const auto image = GrayToImage(gray, 7, 3);
  ASSERT_TRUE(image);
  const auto rgb = RenderRgb24(*image);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Rgb24ToGray(rgb->pixels, 7, 3), gray);
}

// An image of `bpp` bits, 1 row, bottom-up, with the given stored pixel bytes.
Image Row(std::uint16_t bpp, std::int32_t width, Bytes bytes) {
  Image image = *CreateImage(width, 1, bpp);
  std::copy(bytes.begin(), bytes.end(), image.pixels.begin());
  return image;
}

TEST(RenderRgb24, ColourTableDepthsLookUpIndicesAndBlackBeyondTable) {
  const std::vector<ColourEntry> table = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  struct Case { std::uint16_t bpp; std::int32_t width; Bytes bytes; std::vector<int> indices; };
  const Case cases[] = {
      {1, 10, {0b01000000, 0b01000000}, {0, 1, 0, 0, 0, 0, 0, 0, 0, 1}},
      {2, 5, {0b00011011, 0b10000000}, {0, 1, 2, 3, 2}},
      {4, 3, {0x01, 0x20}, {0, 1, 2}},
      {8, 4, {2, 1, 0, 200}, {2, 1, 0, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    Image image = Row(c.bpp, c.width, c.bytes);
    image.colourTable = table;
    const auto rgb = RenderRgb24(image);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->height, -1);
    for (std::size_t x = 0; x < c.indices.size(); ++x) {
      const int i = c.indices[x];
      const Bytes want = i < 3 ? Bytes{table[i].blue, table[i].green, table[i].red} : Bytes{0, 0, 0};
      EXPECT_EQ(Pixel(*rgb, x, 0), want) << "x=" << x;
    }
  }
}

TEST(RenderRgb24, SixteenBitDefaultAndBitFieldMasks) {
  // 5-5-5: red 31, green 0, blue 16 -> 0x7C10.
  Image plain = Row(16, 2, {0x10, 0x7C, 0xFF, 0xFF});
  auto rgb = RenderRgb24(plain);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Pixel(*rgb, 0, 0), (Bytes{132, 0, 255}));
  EXPECT_EQ(Pixel(*rgb, 1, 0), (Bytes{255, 255, 255}));  // the unused top bit is ignored

  // 5-6-5: green 63 only.
  Image fields = Row(16, 1, {0xE0, 0x07});
  fields.compression = kCompressionBitFields;
  fields.redMask = 0xF800;
  fields.greenMask = 0x07E0;
  fields.blueMask = 0x001F;
  rgb = RenderRgb24(fields);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Pixel(*rgb, 0, 0), (Bytes{0, 255, 0}));
}

TEST(RenderRgb24, TwentyFourAndThirtyTwoBits) {
  // Bottom-up 24-bit image of two rows: the render puts the top row first.
  Image image = *CreateImage(1, 2, 24);
  image.pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // stored: bottom row, then top row
  auto rgb = RenderRgb24(image);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->Stride(), 4u);  // a 1-pixel row pads to 4 bytes
  EXPECT_EQ(Pixel(*rgb, 0, 0), (Bytes{4, 5, 6}));
  EXPECT_EQ(Pixel(*rgb, 0, 1), (Bytes{1, 2, 3}));

  Image wide = Row(32, 1, {10, 20, 30, 40});
  rgb = RenderRgb24(wide);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Pixel(*rgb, 0, 0), (Bytes{10, 20, 30}));

  wide.compression = kCompressionBitFields;  // red in the low byte, blue in the third
  wide.redMask = 0xFF;
  wide.greenMask = 0xFF00;
  wide.blueMask = 0xFF0000;
  rgb = RenderRgb24(wide);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Pixel(*rgb, 0, 0), (Bytes{30, 20, 10}));
}

}  // namespace
}  // namespace ridgeview::document

namespace ridgeview::document {
namespace {

// Gray expands to equal blue, green and red at every width (the four-pixel steps and the
// rest) and on both halves of an image large enough to be split over two threads.
TEST(GrayToImage, EveryPixelBecomesThreeEqualBytesAtEveryWidthAndSize) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 4}, {7, 3},
                                       {9, 2}, {2049, 1025}};
  for (const auto& [w, h] : sizes) {
    std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = static_cast<std::uint8_t>(i * 31 + i / 7);
    const std::optional<Image> image = GrayToImage(gray, w, h);
    ASSERT_TRUE(image) << w << "x" << h;
    ASSERT_EQ(image->width, w);
    ASSERT_EQ(image->RowCount(), static_cast<std::uint64_t>(h));
    ASSERT_EQ(image->bitsPerPixel, 24);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* row = image->TopDownRow(static_cast<std::uint64_t>(y));
      for (int x = 0; x < w; ++x) {
        const std::uint8_t g = gray[static_cast<std::size_t>(y) * w + x];
        ASSERT_TRUE(row[3 * x] == g && row[3 * x + 1] == g && row[3 * x + 2] == g)
            << w << "x" << h << " at " << x << "," << y;
      }
      for (std::uint64_t pad = 3 * static_cast<std::uint64_t>(w); pad < image->Stride(); ++pad) {
        ASSERT_EQ(row[pad], 0) << "row padding stays zero";
      }
    }
  }
}

}  // namespace
}  // namespace ridgeview::document
