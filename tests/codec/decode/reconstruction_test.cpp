// Dequantization and wavelet synthesis.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "codec/decode/wsq_builder.h"
#include "codec/wsq/decode/dequantize.h"
#include "codec/wsq/decode/wavelet_synthesis.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

TEST(Dequantize, MapsValuesToBinCentres) {
  quantization_table dqt;
  dqt.defined = true;
  dqt.center = 0.44f;
  dqt.q[0] = 2.0f;
  dqt.z[0] = 1.2f;
  dqt.z[1] = 5.0f;  // q 0: no data, whatever z says
  dqt.q[60] = 3.0f;  // never read beyond subband 59
  dqt.z[60] = 3.0f;
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  build_wavelet_tree(w, 64, 64);
  build_quantization_tree(q, w);
  ASSERT_EQ(q[0].lx * q[0].ly, 4);
  const std::int16_t coefficients[4] = {1, -1, 0, 3};
  CodecPtr<float[]> out;
  ASSERT_EQ(unquantize(out, dqt, q, coefficients, 64, 64), 0);
  const float want = static_cast<float>(static_cast<double>(2.0f * (1.0f - 0.44f)) +
                                        static_cast<double>(1.2f) * 0.5);
  EXPECT_EQ(out[0], want);
  EXPECT_FLOAT_EQ(out[0], 1.72f);
  EXPECT_EQ(out[1], -want);
  EXPECT_EQ(out[64], 0.0f);
  for (int i = 0; i < 64 * 64; ++i) {
    const int x = i % 64, y = i / 64;
    if (x >= 2 || y >= 2) {
      ASSERT_EQ(out[i], 0.0f) << i;
    }
  }

  dqt.defined = false;
  testing::internal::CaptureStderr();
  EXPECT_EQ(unquantize(out, dqt, q, coefficients, 64, 64), WSQ_NO_QUANTIZATION_TABLE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: unquantize : quantization table parameters not defined!\n");
}

// The decoder's filters, read from the standard transform table.
struct Filters {
  decoder_tables t;
  Filters() {
    const wsq_test::Bytes dtt = wsq_test::standard_dtt();
    ByteCursor c = dtt.data() + 2;
    EXPECT_EQ(getc_transform_table(t.dtt, c, dtt.data() + dtt.size()), 0);
  }
};

// Analysis with whole-sample symmetric extension, in double: lowpass outputs centred on even
// samples, highpass outputs on odd samples.
std::vector<float> analyse(const std::vector<float>& x, bool high_first) {
  static const double lo[9] = {0.037828457, -0.023849465, -0.1106244,   0.37740284, 0.8526987,
                               0.37740284,  -0.1106244,   -0.023849465, 0.037828457};
  static const double hi[7] = {0.06453888,  -0.040689416, -0.41809228, 0.7884856,
                               -0.41809228, -0.040689416, 0.06453888};
  const int n = static_cast<int>(x.size());
  auto ext = [n](int j) {
    while (j < 0 || j > n - 1) j = j < 0 ? -j : 2 * (n - 1) - j;
    return j;
  };
  std::vector<float> low, high;
  for (int k = 0; 2 * k < n; ++k) {
    double s = 0;
    for (int i = 0; i < 9; ++i) s += lo[i] * x[ext(2 * k - 4 + i)];
    low.push_back(static_cast<float>(s));
  }
  for (int k = 0; 2 * k + 1 < n; ++k) {
    double s = 0;
    for (int i = 0; i < 7; ++i) s += hi[i] * x[ext(2 * k + 1 - 3 + i)];
    high.push_back(static_cast<float>(s));
  }
  std::vector<float> out = high_first ? high : low;
  const std::vector<float>& rest = high_first ? low : high;
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

TEST(WaveletSynthesis, UndoesAnalysisOfLines) {
  Filters f;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> value(-128.0f, 128.0f);
  for (int length = 6; length <= 41; ++length) {
    for (bool swap : {false, true}) {
      std::vector<float> line(static_cast<std::size_t>(length));
      for (float& v : line) v = value(rng);
      const std::vector<float> coded = analyse(line, swap);
      std::vector<float> out(line.size(), 99.0f);
      synthesis_pass(out.data(), coded.data(), 1, length, 0, 1, f.t.dtt.hifilt.get(), 9,
                     f.t.dtt.lofilt.get(), 7, swap);
      for (int i = 0; i < length; ++i) {
        ASSERT_NEAR(out[i], line[i], 2e-4f) << "length " << length << " swap " << swap;
      }
    }
  }
}

TEST(WaveletSynthesis, StridedLinesMatchContiguousOnes) {
  Filters f;
  // Three columns of a 3-wide array, merged as column lines, equal the same data merged as
  // contiguous rows.
  const int length = 11;
  std::vector<float> rows(3 * length), cols(3 * length);
  for (int n = 0; n < 3; ++n) {
    for (int i = 0; i < length; ++i) {
      rows[n * length + i] = static_cast<float>((n + 1) * (i % 5) - 3);
      cols[i * 3 + n] = rows[n * length + i];
    }
  }
  std::vector<float> out_rows(rows.size()), out_cols(cols.size());
  synthesis_pass(out_rows.data(), rows.data(), 3, length, length, 1, f.t.dtt.hifilt.get(), 9,
                 f.t.dtt.lofilt.get(), 7, false);
  synthesis_pass(out_cols.data(), cols.data(), 3, length, 1, 3, f.t.dtt.hifilt.get(), 9,
                 f.t.dtt.lofilt.get(), 7, false);
  for (int n = 0; n < 3; ++n) {
    for (int i = 0; i < length; ++i) EXPECT_EQ(out_rows[n * length + i], out_cols[i * 3 + n]);
  }
}

TEST(WaveletSynthesis, ShortLinesStayInsideTheirArrays) {
  // Exact-size heap arrays, so the sanitizer build catches any read or write outside.
  Filters f;
  for (int length = 1; length <= 5; ++length) {
    for (bool swap : {false, true}) {
      std::vector<float> in(static_cast<std::size_t>(length), 1.5f);
      std::vector<float> out(static_cast<std::size_t>(length), 0.0f);
      synthesis_pass(out.data(), in.data(), 1, length, 0, 1, f.t.dtt.hifilt.get(), 9,
                     f.t.dtt.lofilt.get(), 7, swap);
      for (float v : out) EXPECT_TRUE(std::isfinite(v));
    }
  }
  // Even-length and tiny filters take the other set-up branch and the special tails.
  const float hi2[2] = {0.5f, -0.5f}, lo2[2] = {0.5f, 0.5f}, one[1] = {1.0f};
  for (int length = 1; length <= 6; ++length) {
    std::vector<float> in(static_cast<std::size_t>(length), 2.0f);
    std::vector<float> out(static_cast<std::size_t>(length));
    synthesis_pass(out.data(), in.data(), 1, length, 0, 1, hi2, 2, lo2, 2, false);
    synthesis_pass(out.data(), in.data(), 1, length, 0, 1, one, 1, one, 1, true);
    synthesis_pass(out.data(), in.data(), 1, length, 0, 1, hi2, 2, one, 1, false);
  }
}

TEST(WaveletSynthesis, EvenFiltersLeaveTheTableUnchanged) {
  decoder_tables t;
  wsq_test::Bytes p = {4, 2};
  for (unsigned v : {10u, 20u, 30u}) {
    wsq_test::append(p, {0, 1, 0, 0, 0, static_cast<std::uint8_t>(v)});
  }
  const wsq_test::Bytes seg = wsq_test::segment(0xFFA4, p);
  ByteCursor c = seg.data() + 2;
  ASSERT_EQ(getc_transform_table(t.dtt, c, seg.data() + seg.size()), 0);
  const std::vector<float> before(t.dtt.hifilt.get(), t.dtt.hifilt.get() + 4);
  std::vector<float> image(16 * 16, 1.0f), work(image.size());
  wavelet_tree_node w[W_TREELEN];
  build_wavelet_tree(w, 16, 16);
  ASSERT_EQ(wsq_reconstruct(image.data(), 16, 16, w, 0, W_TREELEN - 1, t.dtt,
                            &BestSimdKernels(), work.data()),
            0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.dtt.hifilt[i], before[i]);

  transform_table none;
  testing::internal::CaptureStderr();
  EXPECT_EQ(wsq_reconstruct(image.data(), 16, 16, w, 0, W_TREELEN - 1, none,
                            &BestSimdKernels(), work.data()),
            WSQ_LOPASS_UNDEFINED);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n");
}

// The standard transform table, read as a file would give it.
transform_table standard_table() {
  transform_table t;
  const wsq_test::Bytes seg = wsq_test::standard_dtt();
  ByteCursor c = seg.data() + 2;
  EXPECT_EQ(getc_transform_table(t, c, seg.data() + seg.size()), 0);
  return t;
}

TEST(WaveletSynthesis, RootMergedStraightToGrayMatchesMergeThenConvert) {
  const transform_table dtt = standard_table();
  std::mt19937 rng(3);
  std::vector<const SimdKernels*> kernels = {&BaselineSimdKernels()};
  if (Avx2SimdKernels() != nullptr) kernels.push_back(Avx2SimdKernels());
  const int sizes[][2] = {{40, 40}, {41, 23}, {9, 70}, {203, 17}, {64, 9}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    std::vector<float> coefficients(static_cast<std::size_t>(w) * h);
    // Values beyond the gray range on both sides, so that clamping is exercised.
    for (float& v : coefficients) v = static_cast<float>(static_cast<int>(rng() % 4001) - 2000) / 7.0f;
    wavelet_tree_node tree[W_TREELEN];
    build_wavelet_tree(tree, w, h);
    for (const SimdKernels* k : kernels) {
      SCOPED_TRACE(std::string(k->name) + " " + std::to_string(w) + "x" + std::to_string(h));
      std::vector<float> merged = coefficients, work(merged.size());
      ASSERT_EQ(wsq_reconstruct(merged.data(), w, h, tree, 0, W_TREELEN - 1, dtt, nullptr,
                                work.data()),
                0);
      std::vector<std::uint8_t> want(merged.size()), got(merged.size(), 7);
      k->to_gray8(merged.data(), want.data(), want.size(), 117.5f, 2.25f);

      std::vector<float> image = coefficients;
      ASSERT_EQ(wsq_reconstruct(image.data(), w, h, tree, 1, W_TREELEN - 1, dtt, k, work.data()),
                0);
      RootToGray root;
      ASSERT_EQ(root.Prepare(image.data(), w, h, tree[0], dtt, k), RootToGray::kReady);
      root.Run(got.data(), 117.5f, 2.25f);
      EXPECT_EQ(got, want);
    }
  }
}

TEST(WaveletSynthesis, RootStraightToGrayStepsAsideWhereItCannotApply) {
  const transform_table dtt = standard_table();
  std::vector<float> image(32 * 32, 1.0f);
  wavelet_tree_node tree[W_TREELEN];
  build_wavelet_tree(tree, 32, 32);
  const SimdKernels* k = &BestSimdKernels();
  RootToGray root;
  EXPECT_EQ(root.Prepare(image.data(), 32, 32, tree[0], dtt, nullptr),
            RootToGray::kNotApplicable);  // plain path
  wavelet_tree_node part = tree[0];
  part.dx = 16;  // a root that does not cover the image
  EXPECT_EQ(root.Prepare(image.data(), 32, 32, part, dtt, k), RootToGray::kNotApplicable);
  // Even-length filters have no plans.
  transform_table even;
  wsq_test::Bytes p = {4, 2};
  for (unsigned v : {10u, 20u, 30u}) wsq_test::append(p, {0, 1, 0, 0, 0, static_cast<std::uint8_t>(v)});
  const wsq_test::Bytes seg = wsq_test::segment(0xFFA4, p);
  ByteCursor c = seg.data() + 2;
  ASSERT_EQ(getc_transform_table(even, c, seg.data() + seg.size()), 0);
  EXPECT_EQ(root.Prepare(image.data(), 32, 32, tree[0], even, k), RootToGray::kNotApplicable);
  // Run after a refusal writes nothing.
  std::vector<std::uint8_t> pixels(32 * 32, 9);
  root.Run(pixels.data(), 128.0f, 1.0f);
  EXPECT_EQ(pixels, std::vector<std::uint8_t>(32 * 32, 9));
  transform_table none;
  testing::internal::CaptureStderr();
  EXPECT_EQ(root.Prepare(image.data(), 32, 32, tree[0], none, k), WSQ_LOPASS_UNDEFINED);
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace ridgeview::codec
