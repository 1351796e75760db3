// The fuzz seed corpus of the bitmap parser (fuzz/corpus/dib) is made here: valid packed
// blocks and bitmap files of every depth. The test checks that the saved files are still the
// ones generated and still parse; with RIDGEVIEW_WRITE_DIB_CORPUS=1 it rewrites them first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "dib_builder.h"
#include "document/clipboard_dib.h"
#include "document/pixel_convert.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::DibFields;

Bytes Pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 37);
  return b;
}

DibFields Seed(std::uint16_t bpp, std::int32_t height) {
  DibFields f;
  f.width = 5;
  f.height = height;
  f.bitsPerPixel = bpp;
  if (bpp <= 8) f.table = testing::GrayTable(1u << bpp);
  f.pixels = Pattern(RowStride(5, bpp) * 3, static_cast<std::uint8_t>(bpp));
  return f;
}

std::vector<std::pair<std::string, Bytes>> SeedCorpus() {
  std::vector<std::pair<std::string, Bytes>> seeds;
  for (std::uint16_t bpp : {1, 2, 4, 8, 16, 24, 32}) {
    const std::string depth = std::to_string(bpp);
    seeds.emplace_back("dib_" + depth + "bit", testing::BuildDib(Seed(bpp, 3)));
    seeds.emplace_back("bmp_" + depth + "bit_topdown.bmp", testing::BuildBmp(Seed(bpp, -3), 2));
  }
  DibFields fields16 = Seed(16, 3);
  fields16.compression = 3;
  fields16.masks = {0xF800, 0x07E0, 0x001F};
  seeds.emplace_back("dib_16bit_565", testing::BuildDib(fields16));
  DibFields v5 = Seed(32, -3);
  v5.headerSize = 124;
  v5.compression = 3;
  v5.masks = {0xFF, 0xFF00, 0xFF0000};
  seeds.emplace_back("bmp_32bit_v5.bmp", testing::BuildBmp(v5));
  DibFields core = Seed(8, 3);
  core.headerSize = 12;
  seeds.emplace_back("dib_8bit_core", testing::BuildDib(core));
  DibFields fewColours = Seed(8, 3);
  fewColours.coloursUsed = 7;
  fewColours.table = testing::GrayTable(7);
  seeds.emplace_back("dib_8bit_7colours", testing::BuildDib(fewColours));

  const Bytes gray = Pattern(7 * 4, 3);
  const Image image = *GrayToImage(gray, 7, 4);
  seeds.emplace_back("clipboard_copy.bmp", *MakeClipboardBmp(image, 5, 3));
  return seeds;
}

Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(DibSeedCorpus, SavedSeedsMatchTheGeneratorAndParse) {
  const std::filesystem::path dir = std::filesystem::path(RIDGEVIEW_SOURCE_DIR) / "fuzz/corpus/dib";
  const char* write = std::getenv("RIDGEVIEW_WRITE_DIB_CORPUS");
  if (write != nullptr && std::string(write) == "1") {
    std::filesystem::create_directories(dir);
    for (const auto& [name, bytes] : SeedCorpus()) {
      std::ofstream out(dir / name, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
  for (const auto& [name, bytes] : SeedCorpus()) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadAll(dir / name), bytes);
    const auto image = ClipboardBmpToImage(bytes);
    ASSERT_TRUE(image);
    EXPECT_TRUE(RenderRgb24(*image));
  }
}

}  // namespace
}  // namespace ridgeview::document
