// Every vectorised kernel against a plain reference, bit for bit, on random and edge input,
// for each instruction set this processor runs: the filter kernels against the plain plan
// loop, the element-wise kernels against scalar versions of the arithmetic.
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

// Plain scalar versions of the element-wise kernels, written from the arithmetic the codec
// specifies step by step (which operations are single and which double precision), not
// from the kernels. Every kernel set must give exactly their bits.

// Gray conversion: t = v * r_scale + m_shift in single precision, t + 0.5 in double rounded
// to single, then 0 below 0 (and for NaN), 255 above 255, else t truncated.
std::uint8_t gray_reference(float v, float m_shift, float r_scale) {
  const float product = v * r_scale;
  float t = product + m_shift;
  t = static_cast<float>(static_cast<double>(t) + 0.5);
  if (std::isnan(t) || t < 0.0f) return 0;
  if (t > 255.0f) return 255;
  return static_cast<std::uint8_t>(static_cast<int>(t));
}

// Dequantization: 0 stays 0.0; s > 0 gives q * (s - C) in single precision, widened, plus
// half_z in double, rounded once; s < 0 gives q * (s + C) - half_z the same way.
float dequantize_reference(std::int16_t s, float q, float centre, double half_z) {
  if (s == 0) return 0.0f;
  const float value = static_cast<float>(s);
  if (s > 0) {
    const float product = q * (value - centre);
    return static_cast<float>(static_cast<double>(product) + half_z);
  }
  const float product = q * (value + centre);
  return static_cast<float>(static_cast<double>(product) - half_z);
}

// The low 16 bits (two's complement) of t truncated toward zero; 0 when t is not finite.
// Reduced with floor rather than the codec's fmod: every step is exact in double.
std::int16_t low16_reference(double t) {
  if (!std::isfinite(t)) return 0;
  const double whole = std::trunc(t);
  const double rest = whole - 65536.0 * std::floor(whole / 65536.0);  // 0 <= rest < 65536
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(rest));
}

// Quantization: 0 for -h <= v <= h (both bounds included); else (v - h) / q in single
// precision, widened, + 1.0 in double, truncated (v > 0), or (v + h) / q - 1.0 (v < 0).
std::int16_t quantize_reference(float v, float q, float h) {
  if (-h <= v && v <= h) return 0;
  if (v > 0) {
    const float quotient = (v - h) / q;
    return low16_reference(static_cast<double>(quotient) + 1.0);
  }
  const float quotient = (v + h) / q;
  return low16_reference(static_cast<double>(quotient) - 1.0);
}

// Normalization: (pixel converted to single - m_shift) / r_scale, both in single precision.
float normalize_reference(std::uint8_t p, float m_shift, float r_scale) {
  const float difference = static_cast<float>(p) - m_shift;
  return difference / r_scale;
}

struct PixelStats {
  std::uint64_t sum = 0;
  unsigned lowest = 255, highest = 0;
  bool operator==(const PixelStats&) const = default;
};

PixelStats stats_reference(const std::uint8_t* pixels, std::size_t count) {
  PixelStats s;
  for (std::size_t i = 0; i < count; ++i) {
    s.sum += pixels[i];
    if (pixels[i] < s.lowest) s.lowest = pixels[i];
    if (pixels[i] > s.highest) s.highest = pixels[i];
  }
  return s;
}

// Floats that make rounding, clamping and the special cases show: values around the gray
// limits, signed zeros, subnormals, the largest floats, infinities and NaN.
std::vector<float> edge_floats() {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float tiny = std::numeric_limits<float>::denorm_min();
  const float big = std::numeric_limits<float>::max();
  return {-0.6f, -0.5f,  -0.49999997f, 254.5f,  255.2f, 255.49998f, 255.5f, 3.49f,  -0.0f,
          0.0f,  127.5f, 1e30f,        -1e30f,  inf,    -inf,       nan,    -nan,   tiny,
          -tiny, big,    -big,         2147483520.0f, 3e9f, -3e9f,  9.3e18f, -9.3e18f,
          65535.5f, -65536.5f, 1.17549435e-38f};
}

// Runs the kernels on every count from 0 to 40 as well (the vector loops' tails), and on
// the whole input.
std::vector<std::size_t> counts_for(std::size_t size) {
  std::vector<std::size_t> counts;
  for (std::size_t n = 0; n <= 40 && n <= size; ++n) counts.push_back(n);
  counts.push_back(size);
  return counts;
}

TEST(SimdKernels, ElementwiseKernelsMatchTheScalarArithmetic) {
  std::mt19937 rng(3);
  std::vector<float> values = random_floats(rng, 1000, 300.0f);
  for (float v : edge_floats()) values.push_back(v);
  std::vector<std::int16_t> coefficients(1000);
  for (auto& c : coefficients) c = static_cast<std::int16_t>(rng() % 65536 - 32768);
  for (int i = 0; i < 400; ++i) coefficients[static_cast<std::size_t>(rng() % 1000)] = 0;
  coefficients[5] = -32768;
  coefficients[6] = 32767;
  coefficients[7] = 1;
  coefficients[8] = -1;
  std::vector<std::uint8_t> pixels(1003);
  for (auto& p : pixels) p = static_cast<std::uint8_t>(rng());
  pixels[0] = 0;
  pixels[1] = 255;

  // Any bit pattern as the value before rounding (scale 1, shift 0): the rounding of the sum
  // with one half, the clamping and NaN; and values just around every half.
  std::vector<float> patterns(1 << 20);
  for (float& v : patterns) {
    const std::uint32_t b = static_cast<std::uint32_t>(rng());
    std::memcpy(&v, &b, sizeof v);
  }
  for (int i = 0; i < 600; ++i) {
    patterns[static_cast<std::size_t>(i)] =
        std::nextafter(static_cast<float>(i / 2) - 0.5f, i % 2 == 0 ? -1.0f : 1e9f);
  }

  for (const SimdKernels* k : variants()) {
    SCOPED_TRACE(k->name);
    const float gray_params[][2] = {{127.25f, 0.75f}, {0.0f, 1.0f}, {-3.5f, 1.0e-3f}};
    for (const auto& g : gray_params) {
      for (const std::vector<float>* input : {&values, &patterns}) {
        for (std::size_t n : counts_for(input->size())) {
          std::vector<std::uint8_t> got(n + 1, 77);
          k->to_gray8(input->data(), got.data(), n, g[0], g[1]);
          for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(got[i], gray_reference((*input)[i], g[0], g[1]))
                << "value " << (*input)[i] << " shift " << g[0] << " scale " << g[1];
          }
          ASSERT_EQ(got[n], 77) << "written past the count";
        }
      }
    }

    // Half zero-bin widths that are single-precision numbers, and one that is not (half of
    // the smallest subnormal).
    const double tiny = static_cast<double>(std::numeric_limits<float>::denorm_min()) * 0.5;
    const float params[][3] = {
        {3.17f, 0.44f, 1.9f}, {1e-3f, 0.0f, 7e-3f}, {250.0f, 0.5f, 1e-20f}, {0.37f, 0.44f, 0.444f}};
    for (const auto& p : params) {
      for (double half_z : {static_cast<double>(p[2]) * 0.5, tiny}) {
        for (std::size_t n : counts_for(coefficients.size())) {
          std::vector<float> got(n);
          k->dequantize(coefficients.data(), got.data(), n, p[0], p[1], half_z);
          for (std::size_t i = 0; i < n; ++i) {
            ASSERT_TRUE(same_bits(got[i], dequantize_reference(coefficients[i], p[0], p[1], half_z)))
                << "coefficient " << coefficients[i] << " q " << p[0] << " half z " << half_z;
          }
        }
      }
    }

    for (float q : {0.37f, 2.5f, 1e-6f, 13.75f}) {
      const float h = 0.6f * q;
      std::vector<float> v = values;
      v.push_back(h);
      v.push_back(-h);
      v.push_back(std::nextafter(h, 10.0f));
      v.push_back(std::nextafter(-h, -10.0f));
      // Values whose quotient lies just below, on and just above whole numbers.
      for (int whole = -40; whole <= 40; ++whole) {
        const float at = whole >= 0 ? h + q * static_cast<float>(whole)
                                    : -h + q * static_cast<float>(whole);
        for (float d : {std::nextafter(at, -1e30f), at, std::nextafter(at, 1e30f)}) v.push_back(d);
      }
      for (std::size_t n : counts_for(v.size())) {
        std::vector<std::int16_t> got(n);
        k->quantize(v.data(), got.data(), n, q, h);
        for (std::size_t i = 0; i < n; ++i) {
          ASSERT_EQ(got[i], quantize_reference(v[i], q, h)) << "value " << v[i] << " q " << q;
        }
      }
    }

    // From an odd start as well, so that the vector loops meet unaligned pixels.
    for (std::size_t start : {std::size_t{0}, std::size_t{3}}) {
      for (std::size_t n : counts_for(pixels.size() - start)) {
        PixelStats got;
        k->pixel_stats(pixels.data() + start, n, &got.sum, &got.lowest, &got.highest);
        EXPECT_EQ(got, stats_reference(pixels.data() + start, n)) << start << " " << n;
      }
    }
    const std::vector<std::uint8_t> flat(100, 200);
    PixelStats got;
    k->pixel_stats(flat.data(), flat.size(), &got.sum, &got.lowest, &got.highest);
    EXPECT_EQ(got, (PixelStats{20000, 200, 200}));

    const float normalize_params[][2] = {{117.3f, 0.99609375f}, {127.5f, 1.494140625f}, {0.0f, 3.0f}};
    for (const auto& p : normalize_params) {
      for (std::size_t n : counts_for(pixels.size())) {
        std::vector<float> out(n);
        k->normalize(pixels.data(), out.data(), n, p[0], p[1]);
        for (std::size_t i = 0; i < n; ++i) {
          ASSERT_TRUE(same_bits(out[i], normalize_reference(pixels[i], p[0], p[1])))
              << "pixel " << int(pixels[i]);
        }
      }
    }
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
