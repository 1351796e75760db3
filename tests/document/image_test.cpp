#include "document/image.h"

#include <gtest/gtest.h>

#include <limits>

namespace ridgeview::document {
namespace {

TEST(Image, StrideRowsAndTopDownRowsForBothStorageOrders) {
  EXPECT_EQ(RowStride(1, 1), 4u);
  EXPECT_EQ(RowStride(33, 1), 8u);
  EXPECT_EQ(RowStride(3, 24), 12u);
  EXPECT_EQ(RowStride(5, 24), 16u);
  EXPECT_EQ(RowStride(3, 16), 8u);
  EXPECT_EQ(RowStride(0x7FFFFFFF, 32), 0x1FFFFFFFCull);  // no 32-bit overflow

  Image up = *CreateImage(1, 3, 8);
  up.pixels = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(up.RowCount(), 3u);
  EXPECT_EQ(*up.TopDownRow(0), 2);  // bottom-up: the top row is stored last
  Image down = up;
  down.height = -3;
  EXPECT_EQ(*down.TopDownRow(0), 0);

  Image minimum;
  minimum.height = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(minimum.RowCount(), 0x80000000ull);
}

TEST(Image, CreateRefusesOversizedAndQueryReportsPositiveHeight) {
  EXPECT_FALSE(CreateImage(0x7FFFFFFF, 2, 8));
  EXPECT_FALSE(CreateImage(65536, 65536, 8));
  EXPECT_FALSE(CreateImage(4, 4, 3));
  const Image image = *CreateImage(7, -5, 4);
  const ImageHeader header = QueryHeader(image);
  EXPECT_EQ(header.width, 7);
  EXPECT_EQ(header.height, 5);
  EXPECT_EQ(header.bitsPerPixel, 4);
  EXPECT_EQ(header.imageBytes, 20u);
}

}  // namespace
}  // namespace ridgeview::document
