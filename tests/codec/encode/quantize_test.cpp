#include "codec/wsq/encode/quantize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

struct Trees {
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  Trees(int width, int height) {
    build_wavelet_tree(w, width, height);
    build_quantization_tree(q, w);
  }
};

struct Quantized {
  int ret = 0;
  CoefficientArray sip;
  std::size_t count = 0;
};

Quantized quantize(quant_params& p, const Trees& t, const std::vector<float>& data, int w,
                   int h) {
  Quantized out;
  out.ret = quantize_wsq(out.sip, &out.count, p, t.q, data.data(), w, h);
  return out;
}

TEST(Quantize, VarianceOfARegion) {
  const std::vector<float> data = {1, 2, 3, 4, 5, 6};  // 3 x 2
  EXPECT_EQ(subband_variance(data.data(), 3, 0, 0, 3, 2), 3.5f);
  EXPECT_EQ(subband_variance(data.data(), 3, 1, 0, 2, 2), static_cast<float>(10.0 / 3.0));
  // Fewer than two samples: no variance, and such a subband is never coded.
  EXPECT_TRUE(std::isnan(subband_variance(data.data(), 3, 0, 0, 1, 1)));
  EXPECT_TRUE(std::isnan(subband_variance(data.data(), 3, 0, 0, 0, 2)));
}

TEST(Quantize, ThresholdIsTheDoubleConstant) {
  const int w = 64, h = 64;
  Trees t(w, h);
  std::vector<float> data(w * h, 0.0f);
  quant_params p;
  p.r = 0.75f;
  p.variance[0] = 1.01f;  // the float nearest 1.01 lies below the double 1.01
  p.variance[1] = std::nextafter(1.01f, 2.0f);
  p.variance[2] = std::numeric_limits<float>::quiet_NaN();
  Quantized q = quantize(p, t, data, w, h);
  ASSERT_EQ(q.ret, 0);
  EXPECT_EQ(p.q[0], 0.0f);
  EXPECT_EQ(p.q[1], 1.0f);  // only subband 1 is left: lambda is 1
  EXPECT_EQ(p.q[2], 0.0f);
  EXPECT_EQ(q.count, static_cast<std::size_t>(t.q[1].lx * t.q[1].ly));
}

TEST(Quantize, OnlyTheLowestSubbandsGiveLambdaOne) {
  const int w = 64, h = 64;
  Trees t(w, h);
  std::vector<float> data(w * h, 0.0f);
  quant_params p;
  p.r = 0.75f;
  for (int k = 0; k < 4; ++k) p.variance[k] = 500.0f + static_cast<float>(k);
  ASSERT_EQ(quantize(p, t, data, w, h).ret, 0);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(p.q[k], 1.0f);
    EXPECT_EQ(p.z[k], static_cast<float>(1.2 * 1.0));
  }
  EXPECT_EQ(p.q[4], 0.0f);
}

TEST(Quantize, AllFlaggedInOnePassKeepRelativeWidths) {
  // Equal variances and a negative rate: every width exceeds five deviations at once, the
  // next pass has S = 0 and lambda = 1, so each coded subband keeps Q'.
  const int w = 64, h = 64;
  Trees t(w, h);
  std::vector<float> data(w * h, 0.0f);
  quant_params p;
  p.r = -1.0f;
  for (int k = 4; k <= 50; ++k) p.variance[k] = 1.0e6f;
  ASSERT_EQ(quantize(p, t, data, w, h).ret, 0);
  const float l = static_cast<float>(std::log(1.0e6));
  const float q_rel = static_cast<float>(10.0 / static_cast<double>(1.0f * l));
  for (int k = 4; k <= 50; ++k) EXPECT_EQ(p.q[k], q_rel) << k;
  EXPECT_EQ(p.z[4], static_cast<float>(1.2 * static_cast<double>(q_rel)));
}

TEST(Quantize, CoefficientRule) {
  const float q = 2.0f, h = 1.2f;
  EXPECT_EQ(quantize_coefficient(h, q, h), 0);
  EXPECT_EQ(quantize_coefficient(-h, q, h), 0);
  EXPECT_EQ(quantize_coefficient(std::nextafter(h, 10.0f), q, h), 1);
  EXPECT_EQ(quantize_coefficient(std::nextafter(-h, -10.0f), q, h), -1);
  EXPECT_EQ(quantize_coefficient(h + 2.5f * q, q, h), 3);
  EXPECT_EQ(quantize_coefficient(-(h + 2.5f * q), q, h), -3);
}

TEST(Quantize, LargeValuesKeepTheirLow16Bits) {
  EXPECT_EQ(low16_of_truncated(70000.7), 4464);
  EXPECT_EQ(low16_of_truncated(-70000.7), -4464);
  EXPECT_EQ(low16_of_truncated(32768.0), -32768);
  EXPECT_EQ(low16_of_truncated(-32769.0), 32767);
  EXPECT_EQ(low16_of_truncated(1.0e30), static_cast<std::int16_t>(0));  // 2^16 divides it
  EXPECT_EQ(low16_of_truncated(std::ldexp(1.0, 70) + 65536.0 * 3), 0);
  EXPECT_EQ(low16_of_truncated(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(low16_of_truncated(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(quantize_coefficient(100000.0f, 1.0f, 0.0f), static_cast<std::int16_t>(34465));
}

// Fills the image with a pattern whose whole rectangles and central regions differ.
std::vector<float> ringed_image(int w, int h, float low_amplitude) {
  std::vector<float> data(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      data[y * w + x] = static_cast<float>(((x * 7 + y * 13) % 11) - 5) *
                        (x % 3 == 0 ? low_amplitude : 1.0f) + static_cast<float>(x % 4);
  return data;
}

TEST(Quantize, VarianceRegionsDependOnTheLowestSubbands) {
  const int w = 128, h = 96;
  Trees t(w, h);
  auto central = [&](const std::vector<float>& d, int k) {
    const quantization_tree_entry& e = t.q[k];
    return subband_variance(d.data(), w, e.x + e.lx / 8, e.y + (9 * e.ly) / 32,
                            (3 * e.lx) / 4, (7 * e.ly) / 16);
  };
  auto whole = [&](const std::vector<float>& d, int k) {
    const quantization_tree_entry& e = t.q[k];
    return subband_variance(d.data(), w, e.x, e.y, e.lx, e.ly);
  };

  const std::vector<float> quiet = ringed_image(w, h, 1.0f);
  quant_params p;
  subband_variances(p, t.q, quiet.data(), w);
  for (int k = 0; k < NUM_SUBBANDS; ++k) EXPECT_EQ(p.variance[k], whole(quiet, k)) << k;

  const std::vector<float> loud = ringed_image(w, h, 400.0f);
  float vsum = 0.0f;
  for (int k = 0; k < 4; ++k) vsum = vsum + central(loud, k);
  ASSERT_GE(vsum, 20000.0f);
  quant_params p2;
  subband_variances(p2, t.q, loud.data(), w);
  for (int k = 0; k < NUM_SUBBANDS; ++k) EXPECT_EQ(p2.variance[k], central(loud, k)) << k;
}

TEST(Quantize, AFailedAllocationLeavesTheWidthsAlone) {
  const int w = 64, h = 64;
  Trees t(w, h);
  std::vector<float> data(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<float>((i * 37) % 101) - 50;
  quant_params p;
  p.r = 0.75f;
  subband_variances(p, t.q, data.data(), w);
  for (int k = 0; k < Q_TREELEN; ++k) p.q[k] = p.z[k] = 9.0f;
  codec_reset_alloc_counters();
  codec_fail_nth_alloc(0);
  testing::internal::CaptureStderr();
  Quantized q = quantize(p, t, data, w, h);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR : quantize_wsq : calloc : sip\n");
  EXPECT_EQ(q.ret, WSQ_ENC_SIP_ALLOC);
  EXPECT_FALSE(q.sip);
  EXPECT_EQ(q.count, 0u);
  for (int k = 0; k < Q_TREELEN; ++k) EXPECT_EQ(p.q[k], 9.0f) << k;
  for (int k = 0; k < Q_TREELEN; ++k) EXPECT_EQ(p.z[k], 9.0f) << k;
  EXPECT_EQ(codec_live_allocations(), 0);
  codec_reset_alloc_counters();
}

TEST(Quantize, BlockSizesAddUpToTheCodedCount) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {64, 64}, {419, 331}, {33, 17}, {1, 1}, {7, 300}, {257, 9}}) {
    Trees t(w, h);
    quant_params p;
    for (int k = 0; k < NUM_SUBBANDS; ++k) p.q[k] = (k % 3 == 0) ? 0.0f : 1.0f;
    std::int64_t sizes[3];
    block_coefficient_counts(sizes, p, t.w, t.q);
    std::int64_t coded[3] = {};
    for (int k = 0; k < NUM_SUBBANDS; ++k) {
      if (p.q[k] == 0.0f) continue;
      coded[k < 19 ? 0 : (k < 52 ? 1 : 2)] += std::int64_t{t.q[k].lx} * t.q[k].ly;
    }
    for (int b = 0; b < 3; ++b) EXPECT_EQ(sizes[b], coded[b]) << w << "x" << h << " block " << b;
  }
}

}  // namespace
}  // namespace ridgeview::codec
