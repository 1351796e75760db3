#include "document/dib_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>

#include "dib_builder.h"

// Records the largest single allocation made while armed, to show that a block declaring a
// huge image is refused before anything of that size is requested.
namespace {
bool g_armed = false;
std::size_t g_largest = 0;
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through inlining.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (g_armed && size > g_largest) g_largest = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace ridgeview::document {
namespace {

using testing::BuildDib;
using testing::DibFields;
using testing::GrayTable;
using Bytes = std::vector<std::uint8_t>;

TEST(DibToImage, TwentyFourBitPixelsFollowTheHeader) {
  DibFields f;
  f.width = 2;
  f.height = 2;
  f.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  const auto image = DibToImage(BuildDib(f));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, f.pixels);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->TopDownRow(0)[0], 7);  // bottom row stored first
  EXPECT_EQ(image->imageBytes, 16u);      // 0 in the header: computed from the geometry
}

TEST(DibToImage, SkipsTheColourTableOfIndexedDepths) {
  // 8 bits, colours used 0: 256 entries (1024 bytes) before the pixels.
  DibFields f8;
  f8.bitsPerPixel = 8;
  f8.width = 4;
  f8.table = GrayTable(256);
  f8.pixels = {0, 85, 170, 255};
  auto image = DibToImage(BuildDib(f8));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->colourTable.size(), 256u);
  EXPECT_EQ(image->pixels, f8.pixels);
  EXPECT_EQ(ParseDibLayout(BuildDib(f8))->tableBytes, 1024u);

  // 1 bit: 2 entries, 8 bytes.
  DibFields f1 = f8;
  f1.bitsPerPixel = 1;
  f1.table = GrayTable(2);
  f1.pixels = {0xA0, 0, 0, 0};
  image = DibToImage(BuildDib(f1));
  ASSERT_TRUE(image);
  EXPECT_EQ(ParseDibLayout(BuildDib(f1))->PackedPixelOffset(), 48u);
  EXPECT_EQ(image->pixels, f1.pixels);

  // Colours used 3 at 4 bits: only 3 entries stored.
  DibFields f4 = f8;
  f4.bitsPerPixel = 4;
  f4.coloursUsed = 3;
  f4.table = GrayTable(3);
  f4.pixels = {0x12, 0x30, 0, 0};
  image = DibToImage(BuildDib(f4));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->colourTable.size(), 3u);
}

TEST(DibToImage, BitFieldMasksAfterOrInsideTheHeader) {
  for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(headerSize);
    DibFields f;
    f.headerSize = headerSize;
    f.bitsPerPixel = 16;
    f.compression = 3;
    f.width = 2;
    f.height = -1;  // top row first
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.pixels = {0x00, 0xF8, 0x1F, 0x00};
    const auto image = DibToImage(BuildDib(f));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->redMask, 0xF800u);
    EXPECT_EQ(image->blueMask, 0x001Fu);
    EXPECT_EQ(image->height, -1);
    EXPECT_EQ(image->pixels, f.pixels);
  }
}

TEST(DibToImage, CoreHeaderWithThreeByteEntries) {
  DibFields f;
  f.headerSize = 12;
  f.bitsPerPixel = 4;
  f.width = 2;
  f.table = GrayTable(16);
  f.pixels = {0x0F, 0, 0, 0};
  const auto image = DibToImage(BuildDib(f));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->colourTable.size(), 16u);
  EXPECT_EQ(image->colourTable[15].red, 255);
  EXPECT_EQ(image->pixels, f.pixels);
}

TEST(DibToImage, EveryTruncationIsRefused) {
  DibFields f;
  f.bitsPerPixel = 8;
  f.width = 3;
  f.height = 2;
  f.coloursUsed = 2;
  f.table = GrayTable(2);
  f.pixels = Bytes(8, 1);
  const Bytes full = BuildDib(f);
  ASSERT_TRUE(DibToImage(full));
  for (std::size_t n = 0; n < full.size(); ++n) {
    EXPECT_FALSE(DibToImage(std::span(full).first(n))) << n;
  }
}

TEST(DibToImage, LyingOrUnsupportedHeadersAreRefused) {
  DibFields good;
  good.width = 2;
  good.height = 2;
  good.pixels = Bytes(16, 0);
  struct Case { const char* what; void (*change)(DibFields&); };
  const Case cases[] = {
      {"height claims more rows", [](DibFields& f) { f.height = 3; }},
      {"width claims more pixels", [](DibFields& f) { f.width = 1000; }},
      {"zero width", [](DibFields& f) { f.width = 0; }},
      {"negative width", [](DibFields& f) { f.width = -2; }},
      {"zero height", [](DibFields& f) { f.height = 0; }},
      {"INT32_MIN height", [](DibFields& f) { f.height = std::numeric_limits<std::int32_t>::min(); }},
      {"two planes", [](DibFields& f) { f.planes = 2; }},
      {"depth 0", [](DibFields& f) { f.bitsPerPixel = 0; }},
      {"depth 12", [](DibFields& f) { f.bitsPerPixel = 12; }},
      {"run-length 8", [](DibFields& f) { f.compression = 1; }},
      {"run-length 4", [](DibFields& f) { f.compression = 2; }},
      {"bit fields at 24 bits", [](DibFields& f) { f.compression = 3; f.masks = {0xFF0000, 0xFF00, 0xFF}; }},
      {"header size 64", [](DibFields& f) { f.headerSize = 64; }},
      {"header size 0", [](DibFields& f) { f.headerSize = 0; }},
      {"colours used 300", [](DibFields& f) { f.bitsPerPixel = 8; f.coloursUsed = 300; f.table = testing::GrayTable(300); }},
      {"table past the end", [](DibFields& f) { f.bitsPerPixel = 8; f.coloursUsed = 200; f.pixels.clear(); }},
      {"zero mask", [](DibFields& f) { f.bitsPerPixel = 16; f.compression = 3; f.masks = {0x7C00, 0, 0x1F}; }},
      {"overlapping masks", [](DibFields& f) { f.bitsPerPixel = 16; f.compression = 3; f.masks = {0x7C00, 0x0FE0, 0x1F}; }},
      {"split mask", [](DibFields& f) { f.bitsPerPixel = 16; f.compression = 3; f.masks = {0x7C00, 0x0300, 0x1F | 0x80}; }},
      {"mask beyond 16 bits", [](DibFields& f) { f.bitsPerPixel = 16; f.compression = 3; f.masks = {0x7C0000, 0x3E0, 0x1F}; }},
  };
  ASSERT_TRUE(DibToImage(BuildDib(good)));
  for (const Case& c : cases) {
    DibFields f = good;
    c.change(f);
    EXPECT_FALSE(DibToImage(BuildDib(f))) << c.what;
  }
}

TEST(DibToImage, HugeDeclaredSizeFailsWithoutAllocating) {
  DibFields f;
  f.width = 0x7FFFFFFF;
  f.height = -0x7FFFFFFF;
  f.bitsPerPixel = 32;
  f.pixels = Bytes(64, 0);
  const Bytes block = BuildDib(f);
  g_largest = 0;
  g_armed = true;
  const bool parsed = DibToImage(block).has_value();
  g_armed = false;
  EXPECT_FALSE(parsed);
  EXPECT_LT(g_largest, 4096u);

  f.width = 20000;  // 1.6 GB: below the limit, but the block does not hold it
  f.height = 20000;
  const Bytes lying = BuildDib(f);
  g_largest = 0;
  g_armed = true;
  const bool parsedLying = DibToImage(lying).has_value();
  g_armed = false;
  EXPECT_FALSE(parsedLying);
  EXPECT_LT(g_largest, 4096u);
}

}  // namespace
}  // namespace ridgeview::document
