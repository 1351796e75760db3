// The whole decoder and encoder with their fast paths against the plain ones, bit for bit:
// table-driven Huffman decoding and vectorised kernels must not change one output bit, for
// any image size and also for damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "codec/codec_test_support.h"
#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/encode/wsq_encode.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec {
namespace {

using Bytes = std::vector<unsigned char>;

// Test images of several kinds: ridges (like a fingerprint), noise, a smooth gradient, flat.
Bytes make_image(int kind, int w, int h, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes p(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double v = 128;
      switch (kind) {
        case 0:
          v = 128 + 100 * std::sin((x * 0.7 + y * 0.3) * 0.7 + 3 * std::sin(y * 0.02)) +
              static_cast<int>(rng() % 21) - 10;
          break;
        case 1:
          v = static_cast<double>(rng() % 256);
          break;
        case 2:
          v = 255.0 * (x + y) / (w + h);
          break;
        default:
          v = 77;
      }
      p[static_cast<std::size_t>(y) * w + x] = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
    }
  }
  return p;
}

struct Encoded {
  int ret;
  Bytes bytes;
};

// Every call starts without kept blocks, so that each allocation has exactly its requested
// size and the sanitizer build sees any access beyond it.
Encoded encode(const EncodeStrategy& s, const Bytes& pixels, int w, int h, float r) {
  codec_release_cached_memory();
  CodecBytes out;
  std::size_t n = 0;
  testing::internal::CaptureStderr();
  const int ret = wsq_encode_1_with(s, out, &n, r, pixels.data(), w, h, 8, 500, "");
  testing::internal::GetCapturedStderr();
  return {ret, ret == 0 ? Bytes(out.get(), out.get() + n) : Bytes{}};
}

using codec_test::Decoded;

Decoded decode(const DecodeStrategy& s, const Bytes& file) {
  codec_release_cached_memory();
  return codec_test::decode_file(file, &s);
}

const DecodeStrategy kPlainDecode{nullptr, false};
const EncodeStrategy kPlainEncode{nullptr};

std::vector<DecodeStrategy> fast_decodes() {
  std::vector<DecodeStrategy> v = {DecodeStrategy{}, DecodeStrategy{&BaselineSimdKernels(), true}};
  if (Avx2SimdKernels() != nullptr) v.push_back(DecodeStrategy{Avx2SimdKernels(), true});
  return v;
}

TEST(WholeCodec, FastEncodesAndDecodesMatchThePlainOnes) {
  const int sizes[][2] = {{27, 27},   {64, 64},  {100, 37}, {37, 100}, {129, 257},
                          {500, 500}, {1000, 9}, {9, 1000}, {333, 444}, {2, 700}};
  std::uint32_t seed = 1;
  for (const auto& s : sizes) {
    for (int kind = 0; kind < 4; ++kind) {
      for (float r : {0.75f, 2.25f}) {
        SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " kind " +
                     std::to_string(kind) + " r " + std::to_string(r));
        const Bytes pixels = make_image(kind, s[0], s[1], seed++);
        const Encoded plain = encode(kPlainEncode, pixels, s[0], s[1], r);
        const Encoded fast = encode(EncodeStrategy{}, pixels, s[0], s[1], r);
        const Encoded base = encode(EncodeStrategy{&BaselineSimdKernels()}, pixels, s[0], s[1], r);
        ASSERT_EQ(plain.ret, fast.ret);
        ASSERT_EQ(plain.ret, base.ret);
        ASSERT_EQ(plain.bytes, fast.bytes);
        ASSERT_EQ(plain.bytes, base.bytes);
        if (plain.ret != 0) continue;  // images too small to hold a file
        const Decoded want = decode(kPlainDecode, plain.bytes);
        ASSERT_EQ(want.ret, 0);
        for (const DecodeStrategy& d : fast_decodes()) {
          const Decoded got = decode(d, plain.bytes);
          ASSERT_EQ(got.ret, 0);
          ASSERT_EQ(got.pixels, want.pixels);
        }
      }
    }
  }
}

TEST(WholeCodec, PlansKeptFromOneFileAreNotUsedForOtherFilters) {
  const Bytes pixels = make_image(0, 96, 80, 11);
  const Encoded file = encode(EncodeStrategy{}, pixels, 96, 80, 0.75f);
  ASSERT_EQ(file.ret, 0);
  // The same file with one synthesis coefficient changed (the last byte of the first
  // transform-table record's value).
  Bytes other = file.bytes;
  std::size_t dtt = 0;
  while (!(other[dtt] == 0xFF && other[dtt + 1] == 0xA4)) ++dtt;
  other[dtt + 6 + 5] ^= 0x40;
  for (const Bytes* f : std::vector<const Bytes*>{&file.bytes, &other, &file.bytes}) {
    const Decoded want = decode(kPlainDecode, *f);
    const Decoded got = decode(DecodeStrategy{}, *f);
    ASSERT_EQ(want.ret, 0);
    ASSERT_EQ(got.pixels, want.pixels);
  }
}

TEST(WholeCodec, DamagedFilesFailOrDecodeAlikeOnEveryPath) {
  const Bytes pixels = make_image(0, 160, 120, 99);
  const Encoded file = encode(EncodeStrategy{}, pixels, 160, 120, 0.75f);
  ASSERT_EQ(file.ret, 0);
  std::mt19937 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    Bytes damaged = file.bytes;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = 700 + rng() % (damaged.size() - 700);
      switch (rng() % 3) {
        case 0: damaged[at] = static_cast<unsigned char>(rng()); break;
        case 1: damaged[at] = 0xFF; break;
        default: damaged.resize(at); break;
      }
      if (damaged.size() <= 700) break;
    }
    const Decoded want = decode(kPlainDecode, damaged);
    for (const DecodeStrategy& d : fast_decodes()) {
      const Decoded got = decode(d, damaged);
      ASSERT_EQ(got.ret, want.ret) << "trial " << trial;
      ASSERT_EQ(got.pixels, want.pixels) << "trial " << trial;
    }
  }
}

TEST(WholeCodec, EveryThreadCountGivesTheSameBytesAndPixels) {
  // Large enough that the big passes are split (pieces of kMinPieceSamples), with sizes that
  // do not divide evenly among the threads.
  const int sizes[][2] = {{1024, 768}, {1111, 397}, {397, 1111}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    const Bytes pixels = make_image(0, s[0], s[1], 7);
    EncodeStrategy one;
    one.threads = 1;
    const Encoded want = encode(one, pixels, s[0], s[1], 0.75f);
    ASSERT_EQ(want.ret, 0);
    DecodeStrategy single;
    single.threads = 1;
    const Decoded decoded = decode(single, want.bytes);
    ASSERT_EQ(decoded.ret, 0);
    for (int threads : {2, 3, 4, 0}) {
      SCOPED_TRACE("threads " + std::to_string(threads));
      EncodeStrategy e;
      e.threads = threads;
      EXPECT_EQ(encode(e, pixels, s[0], s[1], 0.75f).bytes, want.bytes);
      DecodeStrategy d;
      d.threads = threads;
      const Decoded got = decode(d, want.bytes);
      ASSERT_EQ(got.ret, 0);
      EXPECT_EQ(got.pixels, decoded.pixels);
    }
  }
}

}  // namespace
}  // namespace ridgeview::codec
