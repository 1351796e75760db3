#include "document/bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dib_builder.h"
#include "document/pixel_convert.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(EncodeBmpFile, ThreeByTwoHasPaddedRowsAndNegativeHeight) {
  Bytes rows(24);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i + 1);
  const auto file = EncodeBmpFile(rows, 3, 2, 24);
  ASSERT_TRUE(file);
  ASSERT_EQ(file->size(), 78u);
  const Bytes header(file->begin(), file->begin() + 54);
  const Bytes expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,   // file header
      40, 0, 0, 0, 3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,  // size, width, height -2
      1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,             // planes, depth, compression, image size
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // ppm, colours used, important
  EXPECT_EQ(header, expected);
  // Pixels straight from the rows, padding bytes included.
  EXPECT_EQ(Bytes(file->begin() + 54, file->end()), rows);
}

TEST(EncodeBmpFile, FourByOneHasNoPaddingAndRefusesBadInput) {
  const Bytes rows(12, 7);
  const auto file = EncodeBmpFile(rows, 4, 1, 24);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 66u);
  EXPECT_EQ(Le32(*file, 34), 12u);
  EXPECT_FALSE(EncodeBmpFile(rows, 4, 2, 24));  // rows too short
  EXPECT_FALSE(EncodeBmpFile(rows, 4, 1, 8));   // would need a colour table
  EXPECT_FALSE(EncodeBmpFile(rows, 0, 1, 24));
  EXPECT_FALSE(EncodeBmpFile(rows, 0x7FFFFFFF, 0x7FFFFFFF, 24));
}

TEST(BmpFile, SavedImageLoadsBackWithSamePixels) {
  Bytes gray(5 * 3);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = static_cast<std::uint8_t>(17 * i);
  const auto image = GrayToImage(gray, 5, 3);
  ASSERT_TRUE(image);
  const auto file = ImageToBmpFile(*image);
  ASSERT_TRUE(file);
  const auto back = BmpBytesToImage(*file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 5);
  EXPECT_EQ(back->height, -3);
  EXPECT_EQ(back->pixels, image->pixels);
}

TEST(BmpBytesToImage, KeepsTheFilesDepthAndHonoursThePixelOffset) {
  testing::DibFields f;
  f.bitsPerPixel = 4;
  f.width = 3;
  f.height = 2;
  f.table = testing::GrayTable(16);
  f.pixels = {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0};
  const auto image = BmpBytesToImage(testing::BuildBmp(f, /*gap=*/6));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitsPerPixel, 4);
  EXPECT_EQ(image->colourTable.size(), 16u);
  EXPECT_EQ(image->pixels, f.pixels);
}

TEST(BmpBytesToImage, RefusesBadSignatureAndOffsets) {
  testing::DibFields f;
  f.pixels = {1, 2, 3, 0};
  Bytes file = testing::BuildBmp(f);
  ASSERT_TRUE(BmpBytesToImage(file));
  Bytes bad = file;
  bad[1] = 'A';
  EXPECT_FALSE(BmpBytesToImage(bad));
  for (std::uint32_t offset : {0u, 13u, 14u, 53u, 55u, 0xFFFFFFFFu}) {
    bad = file;
    testing::PutLe(bad, 10, offset, 4);
    EXPECT_FALSE(BmpBytesToImage(bad)) << offset;
  }
  bad = file;
  testing::PutLe(bad, 2, 0, 4);  // a wrong file size field is not relied on
  EXPECT_TRUE(BmpBytesToImage(bad));
  EXPECT_FALSE(BmpBytesToImage(std::span(file).first(13)));
}

class BmpFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ridgeview-bmp-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(BmpFileOnDisk, WriteThenLoad) {
  const Bytes rows = {1, 2, 3, 4, 5, 6, 0, 0};
  const auto path = dir_ / "two.bmp";
  ASSERT_TRUE(WriteBmpFile(rows, 2, 1, 24, path));
  EXPECT_EQ(std::filesystem::file_size(path), 62u);
  const auto image = LoadBmpFile(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, rows);
  EXPECT_FALSE(LoadBmpFile(dir_ / "missing.bmp"));
  EXPECT_FALSE(LoadBmpFile(dir_));  // a folder
  EXPECT_FALSE(WriteBmpFile(rows, 2, 2, 24, dir_ / "short.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "short.bmp"));
}

}  // namespace
}  // namespace ridgeview::document
