#include "codec/wsq/encode/wavelet_analysis.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

// The extension rule applied literally: reflect at either end until inside the line.
std::int64_t reflect_repeatedly(std::int64_t j, std::int64_t n) {
  if (n == 1) return 0;
  while (j < 0 || j > n - 1) {
    if (j < 0) j = -j;
    if (j > n - 1) j = 2 * (n - 1) - j;
  }
  return j;
}

// Straight transcription of one line's analysis, every index through the extension.
std::vector<float> reference_line(const std::vector<float>& x, bool invert) {
  const auto n = static_cast<std::int64_t>(x.size());
  const std::int64_t nl = (n + 1) / 2, nh = n / 2;
  std::vector<float> lo, hi;
  for (std::int64_t k = 0; k < nl; ++k) {
    float acc = wsq_lofilt[0] * x[reflect_repeatedly(2 * k - 4, n)];
    for (int i = 1; i < 9; ++i) acc = acc + wsq_lofilt[i] * x[reflect_repeatedly(2 * k - 4 + i, n)];
    lo.push_back(acc);
  }
  for (std::int64_t k = 0; k < nh; ++k) {
    float acc = wsq_hifilt[0] * x[reflect_repeatedly(2 * k + 1 - 3, n)];
    for (int i = 1; i < 7; ++i) acc = acc + wsq_hifilt[i] * x[reflect_repeatedly(2 * k - 2 + i, n)];
    hi.push_back(acc);
  }
  std::vector<float> out = invert ? hi : lo;
  out.insert(out.end(), invert ? lo.begin() : hi.begin(), invert ? lo.end() : hi.end());
  return out;
}

std::vector<float> run_line(const std::vector<float>& x, bool invert) {
  std::vector<float> out(x.size(), -999.0f);
  analysis_pass(out.data(), x.data(), 1, static_cast<std::int64_t>(x.size()), 0, 1, wsq_hifilt,
                7, wsq_lofilt, 9, invert);
  return out;
}

TEST(WaveletAnalysis, ExtensionFoldsAsOftenAsNeeded) {
  for (std::int64_t n = 1; n <= 12; ++n) {
    for (std::int64_t j = -40; j <= 40; ++j) {
      EXPECT_EQ(extension_index(j, n), reflect_repeatedly(j, n)) << "n=" << n << " j=" << j;
    }
  }
  // Lowpass output 0 of 8 samples reads x[4], x[3], x[2], x[1], x[0], x[1], ...; the last
  // lowpass output of 9 samples reads ..., x[8], x[7], x[6], x[5], x[4].
  EXPECT_EQ(extension_index(-4, 8), 4);
  EXPECT_EQ(extension_index(-1, 8), 1);
  EXPECT_EQ(extension_index(9, 9), 7);
  EXPECT_EQ(extension_index(12, 9), 4);
  EXPECT_EQ(extension_index(5, 1), 0);
}

TEST(WaveletAnalysis, ShortAndLongLinesMatchTheLiteralRule) {
  // Lines of 1..4 samples fold the extension repeatedly and read only their own samples;
  // longer lines exercise the direct interior path. Both must match bit for bit.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> dist(-128.0f, 128.0f);
  for (int n = 1; n <= 40; ++n) {
    for (int invert = 0; invert < 2; ++invert) {
      std::vector<float> x(static_cast<std::size_t>(n));
      for (float& v : x) v = dist(rng);
      EXPECT_EQ(run_line(x, invert != 0), reference_line(x, invert != 0)) << "n=" << n;
    }
  }
}

TEST(WaveletAnalysis, DecomposeFailsCleanlyWithoutScratchMemory) {
  const int w = 16, h = 12;
  wavelet_tree_node tree[W_TREELEN];
  build_wavelet_tree(tree, w, h);
  std::vector<float> data(w * h);
  for (int i = 0; i < w * h; ++i) data[i] = static_cast<float>(i % 7);
  const std::vector<float> before = data;
  codec_reset_alloc_counters();
  codec_fail_nth_alloc(0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(wsq_decompose(data.data(), w, h, tree, wsq_hifilt, 7, wsq_lofilt, 9),
            WSQ_ENC_DECOMPOSE_ALLOC);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR : wsq_decompose : malloc : fdata1\n");
  EXPECT_EQ(data, before);
  codec_reset_alloc_counters();
  EXPECT_EQ(wsq_decompose(data.data(), w, h, tree, wsq_hifilt, 7, wsq_lofilt, 9), 0);
  EXPECT_NE(data, before);
  EXPECT_EQ(codec_live_allocations(), 0);
}

TEST(WaveletAnalysis, TinyImagesStayInsideTheirArrays) {
  // Every node of images down to 1 x 1 has lines of 0..4 samples; under ASan any read
  // outside the image would fail here.
  for (int w = 1; w <= 9; ++w) {
    for (int h = 1; h <= 9; ++h) {
      wavelet_tree_node tree[W_TREELEN];
      build_wavelet_tree(tree, w, h);
      std::vector<float> data(static_cast<std::size_t>(w * h), 1.0f);
      ASSERT_EQ(wsq_decompose(data.data(), w, h, tree, wsq_hifilt, 7, wsq_lofilt, 9), 0);
    }
  }
}

}  // namespace
}  // namespace ridgeview::codec
