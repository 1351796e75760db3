// The PNG writer's refusals and its gray test. That its files decode to the very pixels given
// is checked against Qt's PNG reader in the platform tests.
#include "document/png_file.h"

#include <gtest/gtest.h>

#include "document/pixel_convert.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(EncodePngFile, RefusesSizesAndRowsThatDoNotFit) {
  const Bytes pixels(4 * 3, 7);
  EXPECT_TRUE(EncodePngFile(pixels, 4, 3, 4, PngColour::kGray8));
  EXPECT_FALSE(EncodePngFile(pixels, 0, 3, 4, PngColour::kGray8));
  EXPECT_FALSE(EncodePngFile(pixels, 4, -3, 4, PngColour::kGray8));
  EXPECT_FALSE(EncodePngFile(pixels, 4, 3, 3, PngColour::kGray8));   // stride shorter than a row
  EXPECT_FALSE(EncodePngFile(pixels, 4, 4, 4, PngColour::kGray8));   // one row missing
  EXPECT_FALSE(EncodePngFile(pixels, 2, 3, 4, PngColour::kRgb24));   // 6-byte rows, stride 4
  EXPECT_TRUE(EncodePngFile(pixels, 1, 3, 4, PngColour::kRgb24));
  // The last row needs only its own bytes, not the stride's padding.
  const Bytes tight(4 + 4 + 3, 1);
  EXPECT_TRUE(EncodePngFile(tight, 1, 3, 4, PngColour::kRgb24));
  EXPECT_FALSE(EncodePngFile(Bytes(4 + 4 + 2, 1), 1, 3, 4, PngColour::kRgb24));
  EXPECT_FALSE(EncodePngFile({}, 1, 1, 1, PngColour::kGray8));
}

TEST(IsGrayRgb24, LooksAtPixelsNotPadding) {
  // Width 1: three pixel bytes and one padding byte per row.
  Bytes rows{5, 5, 5, 99, 0, 0, 0, 42};
  EXPECT_TRUE(IsGrayRgb24(rows, 1, 2));
  rows[5] = 1;
  EXPECT_FALSE(IsGrayRgb24(rows, 1, 2));
  EXPECT_FALSE(IsGrayRgb24(rows, 1, 3));  // too short
  EXPECT_FALSE(IsGrayRgb24(rows, 0, 1));
}

TEST(Rgb24ToPngFile, ChoosesTheColourTypeByThePixels) {
  const std::optional<Image> gray = GrayToImage(Bytes{0, 128, 255, 9}, 2, 2);
  ASSERT_TRUE(gray);
  const auto grayFile = Rgb24ToPngFile(gray->pixels, 2, 2);
  ASSERT_TRUE(grayFile);
  ASSERT_GT(grayFile->size(), 33u);
  EXPECT_EQ((*grayFile)[8 + 8 + 9], 0);  // IHDR colour type: gray

  Bytes colour = gray->pixels;
  colour[0] = 1;
  const auto colourFile = Rgb24ToPngFile(colour, 2, 2);
  ASSERT_TRUE(colourFile);
  EXPECT_EQ((*colourFile)[8 + 8 + 9], 2);  // truecolour
  EXPECT_FALSE(Rgb24ToPngFile(Bytes(3), 2, 2));
}

}  // namespace
}  // namespace ridgeview::document
