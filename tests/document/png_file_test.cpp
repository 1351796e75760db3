// The PNG writer never reads outside the rows it is given. That its files decode to the very
// pixels given is checked against Qt's PNG reader in the platform tests, its choice of gray or
// colour in the saving tests.
#include "document/png_file.h"

#include <gtest/gtest.h>


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

}  // namespace
}  // namespace ridgeview::document
