#include "document/clipboard_dib.h"

#include <gtest/gtest.h>

#include "dib_builder.h"
#include "document/pixel_convert.h"
#include "document/scaled_copy.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A 640 x 480 gray image whose top row is white and the rest black.
Image TopRowWhite() {
  Bytes gray(640 * 480, 0);
  std::fill(gray.begin(), gray.begin() + 640, 255);
  return *GrayToImage(gray, 640, 480);
}

TEST(MakeClipboardDib, HalfSizeCopyIsBottomUp16BitBlock) {
  const auto block = MakeClipboardDib(TopRowWhite(), 320, 240);
  ASSERT_TRUE(block);
  ASSERT_EQ(block->size(), 52u + 153600u);
  const Bytes header(block->begin(), block->begin() + 52);
  Bytes expected(52, 0);
  testing::PutLe(expected, 0, 40, 4);
  testing::PutLe(expected, 4, 320, 4);
  testing::PutLe(expected, 8, 240, 4);
  testing::PutLe(expected, 12, 1, 2);
  testing::PutLe(expected, 14, 16, 2);
  testing::PutLe(expected, 16, 3, 4);
  testing::PutLe(expected, 20, 153600, 4);
  testing::PutLe(expected, 32, 3, 4);
  testing::PutLe(expected, 40, 0x7C00, 4);
  testing::PutLe(expected, 44, 0x03E0, 4);
  testing::PutLe(expected, 48, 0x001F, 4);
  EXPECT_EQ(header, expected);
  // Bottom row first: the white row is the last one in the block.
  EXPECT_EQ((*block)[52], 0);
  EXPECT_EQ((*block)[block->size() - 2], 0xFF);
  EXPECT_EQ((*block)[block->size() - 1], 0x7F);
}

TEST(MakeClipboardDib, SameSize16BitBitFieldImageIsCopiedOneToOne) {
  Image image = *ScaledCopy(TopRowWhite(), 6, 4, ScaleKind::kClipboard);
  image.redMask = 0xF800;  // 5-6-5: kept, not converted to 5-5-5
  image.greenMask = 0x07E0;
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i);
  const auto block = MakeClipboardDib(image, 6, 4);
  ASSERT_TRUE(block);
  EXPECT_EQ(Bytes(block->begin() + 52, block->end()), image.pixels);
  EXPECT_EQ(Le32(*block, 40), 0xF800u);
}

TEST(MakeClipboardDib, OddWidthKeepsEveryRowAndRefusesEmptySizes) {
  const auto block = MakeClipboardDib(TopRowWhite(), 3, 2);
  ASSERT_TRUE(block);
  EXPECT_EQ(Le32(*block, 20), 16u);  // stride 8 x 2 rows
  EXPECT_EQ(block->size(), 52u + 16u);
  EXPECT_FALSE(MakeClipboardDib(TopRowWhite(), 0, 240));
  EXPECT_FALSE(MakeClipboardDib(Image{}, 3, 2));
}

TEST(ClipboardBmp, CopyThenPasteWithAndWithoutFileHeader) {
  const auto block = MakeClipboardDib(TopRowWhite(), 64, 48);
  ASSERT_TRUE(block);
  const auto file = WrapDibAsBmpFile(*block);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 14 + block->size());
  EXPECT_EQ(Le32(*file, 2), file->size());
  EXPECT_EQ(Le32(*file, 10), 14u + 52u);
  EXPECT_EQ(*file, *MakeClipboardBmp(TopRowWhite(), 64, 48));

  for (const Bytes* data : {&*block, &*file}) {
    const auto pasted = ClipboardBmpToImage(*data);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->width, 64);
    EXPECT_EQ(pasted->height, 48);
    EXPECT_EQ(pasted->compression, kCompressionBitFields);
    EXPECT_EQ(pasted->pixels, Bytes(block->begin() + 52, block->end()));
    const auto rgb = RenderRgb24(*pasted);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->TopDownRow(0)[0], 255);
    EXPECT_EQ(rgb->TopDownRow(1)[0], 0);
  }
}

TEST(ClipboardBmp, WrapsTheTableOffsetAndRefusesIncompleteBlocks) {
  testing::DibFields f;
  f.bitsPerPixel = 8;
  f.width = 4;
  f.table = testing::GrayTable(256);
  f.pixels = {1, 2, 3, 4};
  const Bytes block = testing::BuildDib(f);
  const auto file = WrapDibAsBmpFile(block);
  ASSERT_TRUE(file);
  EXPECT_EQ(Le32(*file, 10), 14u + 40u + 1024u);
  EXPECT_FALSE(WrapDibAsBmpFile(std::span(block).first(block.size() - 1)));
  EXPECT_FALSE(ClipboardBmpToImage(Bytes{'B', 'M'}));
  EXPECT_FALSE(ClipboardBmpToImage(Bytes{}));
}

}  // namespace
}  // namespace ridgeview::document
