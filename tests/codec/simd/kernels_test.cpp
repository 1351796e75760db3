// Every vectorised kernel against its plain counterpart, bit for bit, on random and edge
// input, for each instruction set this processor runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "codec/wsq/decode/wavelet_synthesis.h"
#include "codec/wsq/encode/wavelet_analysis.h"
#include "codec/wsq/filter_plan.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {
namespace {

std::vector<const SimdKernels*> variants() {
  std::vector<const SimdKernels*> v = {&BaselineSimdKernels()};
  if (Avx2SimdKernels() != nullptr) v.push_back(Avx2SimdKernels());
  return v;
}

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The decoder's synthesis filters, from the standard transform table.
struct SynthesisFilters {
  float lo[7], hi[9];
  SynthesisFilters() {
    static const float a_lo[9] = {0.037828457f, -0.023849465f, -0.1106244f, 0.37740284f,
                                  0.8526987f,   0.37740284f,   -0.1106244f, -0.023849465f,
                                  0.037828457f};
    static const float a_hi[7] = {0.06453888f,  -0.040689416f, -0.41809228f, 0.7884856f,
                                  -0.41809228f, -0.040689416f, 0.06453888f};
    for (int i = 0; i < 9; ++i) hi[i] = (i % 2 == 0 ? 1.0f : -1.0f) * a_lo[i];
    for (int i = 0; i < 7; ++i) lo[i] = (i % 2 == 1 ? 1.0f : -1.0f) * a_hi[i];
  }
};

std::vector<float> random_floats(std::mt19937& rng, std::size_t n, float scale) {
  std::vector<float> v(n);
  for (float& x : v) x = (static_cast<float>(rng() % 2000001) / 1000000.0f - 1.0f) * scale;
  return v;
}

struct PlanStorage {
  std::vector<unsigned char> bytes;
  std::vector<float> scratch;
  explicit PlanStorage(int max_length)
      : bytes(PlanBuilder::BytesFor(max_length)), scratch(ScratchFloats(max_length)) {}
};

// Applies `plan` with every variant in both layouts and compares with the plain loops.
void check_plan(const FilterPlan& plan, std::mt19937& rng, PlanStorage& storage) {
  const int n = plan.length;
  for (int lines : {1, 3, 8, 13}) {
    const std::vector<float> in = random_floats(rng, static_cast<std::size_t>(n) * lines, 100.0f);
    // Plain reference: line l's samples are contiguous (row layout).
    std::vector<float> want(in.size());
    apply_plan_plain(plan, in.data(), want.data(), lines, n, 1);
    // The same data as columns: sample j of line l at j * lines + l.
    std::vector<float> in_cols(in.size());
    for (int l = 0; l < lines; ++l) {
      for (int j = 0; j < n; ++j) in_cols[static_cast<std::size_t>(j) * lines + l] = in[static_cast<std::size_t>(l) * n + j];
    }
    for (const SimdKernels* k : variants()) {
      std::vector<float> rows(in.size(), -1.0f), cols(in.size(), -1.0f);
      k->apply_rows(plan, in.data(), rows.data(), n, lines, storage.scratch.data());
      k->apply_columns(plan, in_cols.data(), cols.data(), lines, lines, storage.scratch.data());
      std::vector<float> in_place = in;
      k->apply_rows(plan, in_place.data(), in_place.data(), n, lines, storage.scratch.data());
      ASSERT_TRUE(std::memcmp(in_place.data(), rows.data(), rows.size() * sizeof(float)) == 0)
          << k->name << " rows in place, length " << n;
      // Bands of three output rows at a time into an output of its own row stride.
      const int stride = lines + 2;
      std::vector<float> band(static_cast<std::size_t>(n) * stride, -1.0f);
      for (int k0 = 0; k0 < n; k0 += 3) {
        const int k1 = n - k0 < 3 ? n : k0 + 3;
        k->apply_column_outputs(plan, in_cols.data(), lines, lines, k0, k1,
                                band.data() + static_cast<std::size_t>(k0) * stride, stride);
      }
      for (int l = 0; l < lines; ++l) {
        for (int j = 0; j < n; ++j) {
          const float w = want[static_cast<std::size_t>(l) * n + j];
          ASSERT_TRUE(same_bits(rows[static_cast<std::size_t>(l) * n + j], w))
              << k->name << " rows, length " << n << " line " << l << " sample " << j;
          ASSERT_TRUE(same_bits(cols[static_cast<std::size_t>(j) * lines + l], w))
              << k->name << " columns, length " << n << " line " << l << " sample " << j;
          ASSERT_TRUE(same_bits(band[static_cast<std::size_t>(j) * stride + l], w))
              << k->name << " column band, length " << n << " line " << l << " sample " << j;
        }
      }
    }
  }
}

TEST(SimdKernels, SynthesisPlansMatchThePlainPass) {
  SynthesisFilters f;
  PlanStorage storage(200);
  std::mt19937 rng(1);
  for (int length = 1; length <= 70; ++length) {
    for (bool swap : {false, true}) {
      PlanBuilder builder(storage.bytes.data(), storage.bytes.size());
      FilterPlan plan;
      ASSERT_TRUE(build_synthesis_plan(builder, plan, length, f.hi, 9, f.lo, 7, swap)) << length;
      // The plan sums exactly what synthesis_pass sums.
      const std::vector<float> in = random_floats(rng, static_cast<std::size_t>(length), 50.0f);
      std::vector<float> plain(in.size()), planned(in.size());
      synthesis_pass(plain.data(), in.data(), 1, length, 0, 1, f.hi, 9, f.lo, 7, swap);
      apply_plan_plain(plan, in.data(), planned.data(), 1, length, 1);
      for (int j = 0; j < length; ++j) {
        ASSERT_TRUE(same_bits(plain[j], planned[j])) << "length " << length << " sample " << j;
      }
      check_plan(plan, rng, storage);
    }
  }
}

TEST(SimdKernels, AnalysisPlansMatchThePlainPass) {
  PlanStorage storage(200);
  std::mt19937 rng(2);
  for (int length = 1; length <= 70; ++length) {
    for (bool invert : {false, true}) {
      PlanBuilder builder(storage.bytes.data(), storage.bytes.size());
      FilterPlan plan;
      ASSERT_TRUE(build_analysis_plan(builder, plan, length, wsq_hifilt, WSQ_HIFILT_LEN,
                                      wsq_lofilt, WSQ_LOFILT_LEN, invert));
      const std::vector<float> in = random_floats(rng, static_cast<std::size_t>(length), 128.0f);
      std::vector<float> plain(in.size()), planned(in.size());
      analysis_pass(plain.data(), in.data(), 1, length, 0, 1, wsq_hifilt, WSQ_HIFILT_LEN,
                    wsq_lofilt, WSQ_LOFILT_LEN, invert);
      apply_plan_plain(plan, in.data(), planned.data(), 1, length, 1);
      for (int j = 0; j < length; ++j) ASSERT_TRUE(same_bits(plain[j], planned[j])) << length;
      check_plan(plan, rng, storage);
    }
  }
}

TEST(SimdKernels, EvenFiltersAreLeftToThePlainPass) {
  const float hi2[2] = {0.5f, -0.5f}, lo2[2] = {0.5f, 0.5f};
  PlanStorage storage(16);
  PlanBuilder builder(storage.bytes.data(), storage.bytes.size());
  FilterPlan plan;
  EXPECT_FALSE(build_synthesis_plan(builder, plan, 10, hi2, 2, lo2, 2, false));
}

TEST(SimdKernels, ElementwiseKernelsMatch) {
  std::mt19937 rng(3);
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> values = random_floats(rng, 1000, 300.0f);
  for (float v : {-0.6f, 254.5f, 255.2f, 3.49f, -0.0f, 0.0f, 127.5f, 1e30f, -1e30f, inf, -inf,
                  nan, 2147483520.0f, 3e9f, -3e9f, 9.3e18f, -9.3e18f}) {
    values.push_back(v);
  }
  std::vector<std::int16_t> coefficients(1000);
  for (auto& c : coefficients) c = static_cast<std::int16_t>(rng() % 65536 - 32768);
  for (int i = 0; i < 400; ++i) coefficients[static_cast<std::size_t>(rng() % 1000)] = 0;
  coefficients[5] = -32768;
  coefficients[6] = 32767;
  std::vector<std::uint8_t> pixels(1003);
  for (auto& p : pixels) p = static_cast<std::uint8_t>(rng());

  const SimdKernels& plain = BaselineSimdKernels();
  for (const SimdKernels* k : variants()) {
    SCOPED_TRACE(k->name);
    std::vector<std::uint8_t> g1(values.size()), g2(values.size());
    plain.to_gray8(values.data(), g1.data(), values.size(), 127.25f, 0.75f);
    k->to_gray8(values.data(), g2.data(), values.size(), 127.25f, 0.75f);
    EXPECT_EQ(g1, g2);

    // Any bit pattern as the value before rounding (scale 1, shift 0): the rounding of the
    // sum with one half, the clamping and NaN.
    std::vector<float> patterns(1 << 20);
    for (float& v : patterns) {
      const std::uint32_t b = static_cast<std::uint32_t>(rng());
      std::memcpy(&v, &b, sizeof v);
    }
    for (int i = 0; i < 600; ++i) {
      patterns[static_cast<std::size_t>(i)] =
          std::nextafter(static_cast<float>(i / 2) - 0.5f, i % 2 == 0 ? -1.0f : 1e9f);
    }
    std::vector<std::uint8_t> p1(patterns.size()), p2(patterns.size());
    plain.to_gray8(patterns.data(), p1.data(), patterns.size(), 0.0f, 1.0f);
    k->to_gray8(patterns.data(), p2.data(), patterns.size(), 0.0f, 1.0f);
    EXPECT_EQ(p1, p2);

    // Half zero-bin widths that are single-precision numbers, and one that is not (half of
    // the smallest subnormal).
    const double tiny = static_cast<double>(std::numeric_limits<float>::denorm_min()) * 0.5;
    const float params[][3] = {{3.17f, 0.44f, 1.9f}, {1e-3f, 0.0f, 7e-3f}, {250.0f, 0.5f, 1e-20f}};
    for (const auto& p : params) {
      for (double half_z : {static_cast<double>(p[2]) * 0.5, tiny}) {
        std::vector<float> d1(coefficients.size()), d2(coefficients.size());
        plain.dequantize(coefficients.data(), d1.data(), d1.size(), p[0], p[1], half_z);
        k->dequantize(coefficients.data(), d2.data(), d2.size(), p[0], p[1], half_z);
        for (std::size_t i = 0; i < d1.size(); ++i) ASSERT_TRUE(same_bits(d1[i], d2[i])) << i;
      }
    }

    for (float q : {0.37f, 2.5f, 1e-6f}) {
      const float h = 0.6f * q;
      std::vector<float> v = values;
      v.push_back(h);
      v.push_back(-h);
      v.push_back(std::nextafter(h, 10.0f));
      // Values whose quotient lies just below, on and just above whole numbers.
      for (int whole = -40; whole <= 40; ++whole) {
        const float at = whole >= 0 ? h + q * static_cast<float>(whole) : -h + q * static_cast<float>(whole);
        for (float d : {std::nextafter(at, -1e30f), at, std::nextafter(at, 1e30f)}) v.push_back(d);
      }
      std::vector<std::int16_t> q1(v.size()), q2(v.size());
      plain.quantize(v.data(), q1.data(), v.size(), q, h);
      k->quantize(v.data(), q2.data(), v.size(), q, h);
      EXPECT_EQ(q1, q2) << q;
    }

    for (std::size_t n : {std::size_t{0}, std::size_t{31}, std::size_t{32}, pixels.size()}) {
      std::uint64_t s1, s2;
      unsigned lo1, lo2, hi1, hi2;
      plain.pixel_stats(pixels.data(), n, &s1, &lo1, &hi1);
      k->pixel_stats(pixels.data(), n, &s2, &lo2, &hi2);
      EXPECT_EQ(s1, s2);
      EXPECT_EQ(lo1, lo2);
      EXPECT_EQ(hi1, hi2);
    }
    std::vector<float> n1(pixels.size()), n2(pixels.size());
    plain.normalize(pixels.data(), n1.data(), n1.size(), 117.3f, 0.99609375f);
    k->normalize(pixels.data(), n2.data(), n2.size(), 117.3f, 0.99609375f);
    for (std::size_t i = 0; i < n1.size(); ++i) ASSERT_TRUE(same_bits(n1[i], n2[i])) << i;
  }
}

TEST(SimdKernels, QuantizedValuesKeepTheLowSixteenBits) {
  EXPECT_EQ(low16_of_truncated(70000.7), 4464);
  EXPECT_EQ(low16_of_truncated(-70000.7), -4464);
  EXPECT_EQ(low16_of_truncated(1e19), static_cast<std::int16_t>(std::fmod(1e19, 65536.0)));
  EXPECT_EQ(low16_of_truncated(std::nan("")), 0);
}

}  // namespace
}  // namespace ridgeview::codec
