// `ridgeview-wsq thumbnail`: the size that fits, pixels that are the mean of what they cover,
// an 8-bit gray PNG written in one piece, and no file at all when the input is damaged.
#include "tools/ridgeview-wsq/thumbnail.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/wsq/wsq.h"
#include "tools/fpgen/fingerprint_generator.h"
#include "tools/ridgeview-wsq/commands.h"

namespace ridgeview::tools {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t be32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

struct Png {
  std::uint32_t width = 0, height = 0;
  int depth = 0, colour = -1;
  Bytes pixels;  // width * height gray bytes after unfiltering
};

// Reads an 8-bit gray PNG: chunks with their CRCs, the IDAT stream inflated, rows unfiltered.
Png read_png(const Bytes& file) {
  Png png;
  const Bytes signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) return png;
  Bytes stream;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = be32(file, at);
    if (at + 12 + length > file.size()) return png;
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    const std::uint8_t* data = file.data() + at + 8;
    if (crc32(crc32(0, nullptr, 0), file.data() + at + 4, length + 4) != be32(file, at + 8 + length)) {
      return png;
    }
    if (type == "IHDR") {
      const Bytes h(data, data + length);
      png.width = be32(h, 0);
      png.height = be32(h, 4);
      png.depth = h[8];
      png.colour = h[9];
    } else if (type == "IDAT") {
      stream.insert(stream.end(), data, data + length);
    }
    at += 12 + length;
  }
  const std::size_t row = png.width;
  Bytes raw((row + 1) * png.height);
  uLongf size = raw.size();
  if (png.depth != 8 || png.colour != 0 ||
      uncompress(raw.data(), &size, stream.data(), stream.size()) != Z_OK || size != raw.size()) {
    png.colour = -1;
    return png;
  }
  png.pixels.resize(row * png.height);
  for (std::size_t y = 0; y < png.height; ++y) {
    const std::uint8_t filter = raw[y * (row + 1)];
    const std::uint8_t* in = raw.data() + y * (row + 1) + 1;
    std::uint8_t* out = png.pixels.data() + y * row;
    const std::uint8_t* up = y > 0 ? out - row : nullptr;
    for (std::size_t x = 0; x < row; ++x) {
      const int a = x > 0 ? out[x - 1] : 0, b = up ? up[x] : 0, c = x > 0 && up ? up[x - 1] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int paeth = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      const int predictor[5] = {0, a, b, (a + b) / 2, paeth};
      out[x] = static_cast<std::uint8_t>(in[x] + predictor[filter < 5 ? filter : 0]);
    }
  }
  return png;
}

class ThumbnailTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ridgeview-thumbnail-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A synthetic print of width x height as a WSQ file, and its decoded pixels.
  std::string print(int width, int height, Bytes& decoded) {
    const Bytes gray = GenerateFingerprint(width, height, 7);
    codec::CodecBytes wsq;
    std::size_t length = 0;
    EXPECT_EQ(codec::wsq_encode_1(wsq, &length, 0.75f, gray.data(), width, height, 8, 500, ""), 0);
    codec::CodecBytes pixels;
    int w, h, d, ppi, lossy, e, s;
    EXPECT_EQ(codec::wsq_decode_mem(pixels, &w, &h, &d, &ppi, &lossy, &e, &s, wsq.get(), length), 0);
    decoded.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height);
    const std::string path = (dir_ / ("print" + std::to_string(width) + ".wsq")).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wsq.get()),
                                                static_cast<std::streamsize>(length));
    return path;
  }

  Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  int run(const std::vector<std::string>& args) {
    testing::internal::CaptureStderr();
    const int status = ThumbnailCommand(args);
    err_ = testing::internal::GetCapturedStderr();
    return status;
  }

  fs::path dir_;
  std::string err_;
};

TEST(FitThumbnail, LongerSideFitsAndNothingGrows) {
  const auto fit = [](int w, int h, int s) {
    const ThumbnailGeometry g = FitThumbnail(w, h, s);
    return std::to_string(g.width) + "x" + std::to_string(g.height);
  };
  EXPECT_EQ(fit(419, 331, 256), "256x202");
  EXPECT_EQ(fit(331, 419, 256), "202x256");
  EXPECT_EQ(fit(5000, 3, 100), "100x1");  // never below one pixel
  EXPECT_EQ(fit(256, 100, 256), "256x100");
  EXPECT_DOUBLE_EQ(FitThumbnail(800, 600, 100).footprint, 8.0);
}

TEST_F(ThumbnailTest, EachPixelIsTheMeanOfTheBlockItCovers) {
  // 400 x 300 into 100 x 100: 4 x 4 source pixels per thumbnail pixel, each weighing 1/16.
  Bytes decoded;
  const std::string in = print(400, 300, decoded);
  const std::string out = (dir_ / "thumb.png").string();
  ASSERT_EQ(run({"-s", "100", in, out}), 0) << err_;
  EXPECT_EQ(err_, "");
  const Png png = read_png(read(out));
  ASSERT_EQ(png.colour, 0);
  ASSERT_EQ(png.width, 100u);
  ASSERT_EQ(png.height, 75u);
  int mismatches = 0;
  for (int ty = 0; ty < 75; ++ty) {
    for (int tx = 0; tx < 100; ++tx) {
      int sum = 0;
      for (int y = 4 * ty; y < 4 * ty + 4; ++y) {
        for (int x = 4 * tx; x < 4 * tx + 4; ++x) sum += decoded[static_cast<std::size_t>(y) * 400 + x];
      }
      mismatches += png.pixels[static_cast<std::size_t>(ty) * 100 + tx] != (sum + 8) / 16;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(ThumbnailTest, SmallImagesKeepTheirPixelsAndTheDefaultSizeIs256) {
  Bytes decoded;
  const std::string small = print(200, 120, decoded);
  ASSERT_EQ(run({small, (dir_ / "small.png").string()}), 0) << err_;
  const Png png = read_png(read((dir_ / "small.png").string()));
  EXPECT_EQ(png.width, 200u);
  EXPECT_EQ(png.height, 120u);
  EXPECT_EQ(png.pixels, decoded);

  const std::string large = print(640, 480, decoded);
  ASSERT_EQ(run({large, (dir_ / "large.png").string()}), 0) << err_;
  const Png fitted = read_png(read((dir_ / "large.png").string()));
  EXPECT_EQ(fitted.width, 256u);
  EXPECT_EQ(fitted.height, 192u);
}

TEST_F(ThumbnailTest, FailuresLeaveNoFile) {
  const std::string out = (dir_ / "thumb.png").string();
  const std::string damaged = std::string(RIDGEVIEW_VECTORS_DIR) + "/errors/cut_04092.wsq";
  EXPECT_EQ(run({damaged, out}), 1);
  EXPECT_EQ(err_, "ERROR : getc_byte : premature End Of Buffer\n"
                  "ridgeview-wsq: " + damaged + ": cannot decode (code -39)\n");
  EXPECT_EQ(run({"-s", "0", damaged, out}), 2);
  EXPECT_EQ(run({damaged}), 2);
  // A folder that cannot take the file.
  Bytes decoded;
  EXPECT_EQ(run({print(200, 120, decoded), (dir_ / "no-such-folder" / "t.png").string()}), 1);
  EXPECT_NE(err_.find("cannot write"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace ridgeview::tools
