#include "tools/fpgen/pgm_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace ridgeview::tools {
namespace {

TEST(FpgenArguments, ImageSizeAcceptsOnlyPlainValidSizes) {
  int w = -1;
  int h = -1;
  EXPECT_TRUE(ParseImageSize("500x400", &w, &h));
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 400);
  EXPECT_TRUE(ParseImageSize("1X1", &w, &h));
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
  EXPECT_TRUE(ParseImageSize("65535x1", &w, &h));

  w = h = 77;
  for (const char* bad : {"", "x", "500", "500x", "x500", "0x10", "10x0", "-5x10", "+5x10",
                          "5 x10", "5x10x2", "65536x1", "1x65536", "9999999999x1", "abcxdef",
                          "10000x10000" /* over the pixel limit */}) {
    EXPECT_FALSE(ParseImageSize(bad, &w, &h)) << bad;
  }
  EXPECT_EQ(w, 77);  // untouched on failure
  EXPECT_EQ(h, 77);
}

TEST(FpgenArguments, SeedDecimalAndHexWithoutOverflow) {
  std::uint64_t s = 0;
  EXPECT_TRUE(ParseSeed("0", &s));
  EXPECT_EQ(s, 0u);
  EXPECT_TRUE(ParseSeed("18446744073709551615", &s));
  EXPECT_EQ(s, UINT64_MAX);
  EXPECT_TRUE(ParseSeed("0xDEADbeef", &s));
  EXPECT_EQ(s, 0xDEADBEEFu);
  EXPECT_TRUE(ParseSeed("0xFFFFFFFFFFFFFFFF", &s));
  EXPECT_EQ(s, UINT64_MAX);

  s = 5;
  for (const char* bad : {"", "-1", "+1", " 1", "1 ", "12a", "0x", "0x1G",
                          "18446744073709551616", "0x10000000000000000"}) {
    EXPECT_FALSE(ParseSeed(bad, &s)) << bad;
  }
  EXPECT_EQ(s, 5u);
}

TEST(FpgenPgm, HeaderThenPixels) {
  const std::vector<std::uint8_t> pixels = {0, 1, 2, 253, 254, 255};
  const std::vector<std::uint8_t> pgm = EncodePgm(3, 2, pixels);
  const std::string header = "P5\n3 2\n255\n";
  ASSERT_EQ(pgm.size(), header.size() + pixels.size());
  EXPECT_EQ(std::string(pgm.begin(), pgm.begin() + header.size()), header);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), pgm.begin() + header.size()));

  EXPECT_TRUE(EncodePgm(4, 2, pixels).empty());  // 6 bytes are not 4 x 2
  EXPECT_TRUE(EncodePgm(2, 2, pixels).empty());
  EXPECT_TRUE(EncodePgm(0, 2, {}).empty());
  EXPECT_TRUE(EncodePgm(-3, -2, pixels).empty());
}

TEST(FpgenPgm, WriteFileReportsFailure) {
  const std::string path = ::testing::TempDir() + "fpgen_write_test.pgm";
  std::string error;
  ASSERT_TRUE(WriteFileBytes(path, {'P', '5'}, &error)) << error;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[4] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 2u);
  std::fclose(f);
  std::remove(path.c_str());

  EXPECT_FALSE(WriteFileBytes("/nonexistent-dir/x/y.pgm", {1}, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ridgeview::tools
