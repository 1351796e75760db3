// Files written by the encoder read back through the decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "codec/wsq/wsq.h"
#include "codec/test_files.h"
#include "codec/codec_test_support.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using Bytes = std::vector<unsigned char>;

using codec_test::Decoded;

Bytes encode(const Bytes& pixels, int w, int h, const char* comment = "", int ppi = 500) {
  CodecBytes data;
  std::size_t length = 0;
  const int ret = wsq_encode_1(data, &length, 0.75f, pixels.data(), w, h, 8, ppi, comment);
  EXPECT_EQ(ret, 0) << w << "x" << h;
  return ret == 0 ? Bytes(data.get(), data.get() + length) : Bytes();
}

Decoded decode(const Bytes& file) { return codec_test::decode_file(file); }

// Smooth ridges with mild noise, like a fingerprint scan.
Bytes ridges(int w, int h) {
  Bytes p(static_cast<std::size_t>(w) * h);
  unsigned s = 17;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const double r = std::sqrt(double((x - w / 2) * (x - w / 2) + (y - h / 3) * (y - h / 3)));
      const double v = 128.0 + 90.0 * std::sin(r * 0.7) + double((s >> 16) % 9) - 4.0;
      p[static_cast<std::size_t>(y) * w + x] = static_cast<unsigned char>(v);
    }
  }
  return p;
}

double rms_error(const Bytes& a, const Bytes& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  return std::sqrt(sum / double(a.size()));
}

TEST(EncodeDecode, ReferenceImagesDecodeToTheReferencePixels) {
  const std::string dir = RIDGEVIEW_VECTORS_DIR;
  for (const std::string name : {"print_419x331", "photo_384x288"}) {
    const testing_files::Gray source = testing_files::read_pgm(dir + "/" + name + ".pgm");
    const testing_files::Gray want = testing_files::read_pgm(dir + "/" + name + ".dec.pgm");
    ASSERT_GT(source.width, 0);
    ASSERT_GT(want.width, 0);
    const Decoded d = decode(encode(source.pixels, source.width, source.height));
    ASSERT_EQ(d.ret, 0) << name;
    EXPECT_EQ(d.width, source.width);
    EXPECT_EQ(d.height, source.height);
    EXPECT_EQ(d.pixels, want.pixels) << name;
  }
}

TEST(EncodeDecode, HeaderFieldsAndQuality) {
  const int w = 500, h = 500;
  const Bytes source = ridges(w, h);
  const Decoded d = decode(encode(source, w, h));
  ASSERT_EQ(d.ret, 0);
  EXPECT_EQ(d.width, w);
  EXPECT_EQ(d.height, h);
  EXPECT_EQ(d.depth, 8);
  EXPECT_EQ(d.ppi, 500);
  EXPECT_EQ(d.lossy, 1);
  EXPECT_EQ(d.encoder, 2);
  EXPECT_EQ(d.software, 0);
  EXPECT_LT(rms_error(source, d.pixels), 8.0);
}

TEST(EncodeDecode, UniformImageComesBackExactly) {
  const Bytes source(123 * 77, 201);
  const Decoded d = decode(encode(source, 123, 77, nullptr));
  ASSERT_EQ(d.ret, 0);
  EXPECT_EQ(d.pixels, source);
}

TEST(EncodeDecode, OddSizesAndNarrowImages) {
  // In small or narrow images the central regions of the lowest subbands hold fewer than two
  // samples; those subbands are then not coded and the picture comes back nearly flat, so
  // only the sizes are checked there.
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {37, 61}, {1000, 3}, {3, 1000}, {255, 257}, {64, 33}, {301, 129}}) {
    const Bytes source = ridges(w, h);
    const Decoded d = decode(encode(source, w, h));
    ASSERT_EQ(d.ret, 0) << w << "x" << h;
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    ASSERT_EQ(d.pixels.size(), source.size());
    if (w >= 128 && h >= 128) {
      EXPECT_LT(rms_error(source, d.pixels), 20.0) << w << "x" << h;
    }
  }
}

TEST(EncodeDecode, SmallSizesEitherFitAndDecodeOrFailCleanly) {
  const int sizes[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 31, 33, 64, 65, 100};
  for (int w : sizes) {
    for (int h : sizes) {
      Bytes source(static_cast<std::size_t>(w) * h);
      unsigned s = static_cast<unsigned>(w * 131 + h);
      for (auto& p : source) {
        s = s * 1103515245u + 12345u;
        p = static_cast<unsigned char>(s >> 24);
      }
      codec_reset_alloc_counters();
      CodecBytes data;
      std::size_t length = 0;
      testing::internal::CaptureStderr();
      const int ret = wsq_encode_1(data, &length, 0.75f, source.data(), w, h, 8, 500, "");
      testing::internal::GetCapturedStderr();
      EXPECT_EQ(codec_live_allocations(), data ? 1 : 0);
      if (ret != 0) {
        EXPECT_TRUE(ret == WSQ_ENC_BYTE_OVERFLOW || ret == WSQ_ENC_BYTES_OVERFLOW)
            << w << "x" << h << ": " << ret;
        continue;
      }
      const Decoded d = decode(Bytes(data.get(), data.get() + length));
      ASSERT_EQ(d.ret, 0) << w << "x" << h;
      EXPECT_EQ(d.width, w);
      EXPECT_EQ(d.height, h);
    }
  }
}

TEST(EncodeDecode, MergedNistcomTextCarriesTheEncoderResolution) {
  const Bytes source = ridges(200, 180);
  EXPECT_EQ(decode(encode(source, 200, 180, "NIST_COM 2\nPPI 1000", 333)).ppi, 333);
  EXPECT_EQ(decode(encode(source, 200, 180, "a plain note", 250)).ppi, 250);
}

}  // namespace
}  // namespace ridgeview::codec
