#include "document/scaled_copy.h"

#include <gtest/gtest.h>

#include "document/pixel_convert.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FitThumbnail, FillsTheFrameInOneDirection) {
  const ThumbnailSize big = FitThumbnail(500, 500, 100, 50);  // factor 10
  EXPECT_EQ(big.width, 50);
  EXPECT_EQ(big.height, 50);
  const ThumbnailSize small = FitThumbnail(20, 10, 100, 80);  // factor 0.2: scaled up
  EXPECT_EQ(small.width, 100);
  EXPECT_EQ(small.height, 50);
  const ThumbnailSize odd = FitThumbnail(640, 480, 97, 61);  // truncated toward zero
  EXPECT_EQ(odd.width, 81);
  EXPECT_EQ(odd.height, 61);
  const ThumbnailSize none = FitThumbnail(10, 10, 0, 50);
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.height, 0);
  const ThumbnailSize extreme = FitThumbnail(0x7FFFFFFF, 1, 1000, 1000);
  EXPECT_EQ(extreme.width, 1000);
  EXPECT_EQ(extreme.height, 0);
}

// A 4 x 2 gray image with distinct pixel values 10, 20, ..., 80 (top row first).
Image Ramp() {
  const Bytes gray = {10, 20, 30, 40, 50, 60, 70, 80};
  return *GrayToImage(gray, 4, 2);
}

TEST(ScaledCopy, ScreenKindIsTopDown24BitNearestNeighbour) {
  const auto half = ScaledCopy(Ramp(), 2, 1, ScaleKind::kScreen);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->bitsPerPixel, 24);
  EXPECT_EQ(half->height, -1);
  EXPECT_EQ(half->pixels[0], 10);
  EXPECT_EQ(half->pixels[3], 30);

  const auto twice = ScaledCopy(Ramp(), 8, 4, ScaleKind::kScreen);
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->TopDownRow(3)[3 * 7], 80);
  EXPECT_EQ(twice->TopDownRow(1)[3 * 2], 20);

  const auto same = ScaledCopy(Ramp(), 4, 2, ScaleKind::kScreen);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->pixels, Ramp().pixels);
}

TEST(ScaledCopy, ClipboardKindHeaderAndBottomUp555Pixels) {
  Image source = Ramp();
  source.TopDownRow(0)[0] = 0xFF;  // top-left: blue 255, green 10, red 10
  const auto copy = ScaledCopy(source, 4, 2, ScaleKind::kClipboard);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->bitsPerPixel, 16);
  EXPECT_EQ(copy->height, 2);
  EXPECT_EQ(copy->compression, kCompressionBitFields);
  EXPECT_EQ(copy->imageBytes, 4u * 2u * 2u);
  EXPECT_EQ(copy->coloursUsed, 3u);
  EXPECT_EQ(copy->xPixelsPerMetre, 0);
  EXPECT_EQ(copy->redMask, 0x7C00u);
  EXPECT_EQ(copy->greenMask, 0x03E0u);
  EXPECT_EQ(copy->blueMask, 0x001Fu);
  // Stored bottom row first: the top-left pixel sits at the start of the second stored row.
  const std::uint16_t v = static_cast<std::uint16_t>(copy->pixels[8] | (copy->pixels[9] << 8));
  EXPECT_EQ(v, (1 << 10) | (1 << 5) | 31);
  const std::uint16_t bottomLeft = static_cast<std::uint16_t>(copy->pixels[0] | (copy->pixels[1] << 8));
  EXPECT_EQ(bottomLeft, (6 << 10) | (6 << 5) | 6);  // gray 50 >> 3
}

TEST(ScaledCopy, OddWidthCountsPaddedRows) {
  const auto copy = ScaledCopy(Ramp(), 3, 5, ScaleKind::kClipboard);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Stride(), 8u);
  EXPECT_EQ(copy->imageBytes, 40u);
}

TEST(ScaledCopy, RefusesBadTargetsAndSources) {
  EXPECT_FALSE(ScaledCopy(Ramp(), 0, 2, ScaleKind::kScreen));
  EXPECT_FALSE(ScaledCopy(Ramp(), 2, -1, ScaleKind::kClipboard));
  EXPECT_FALSE(ScaledCopy(Ramp(), 0x7FFFFFFF, 0x7FFFFFFF, ScaleKind::kScreen));
  EXPECT_FALSE(ScaledCopy(Image{}, 2, 2, ScaleKind::kScreen));
}

}  // namespace
}  // namespace ridgeview::document
