// The body of the filter kernels, compiled once per instruction set: the including file
// defines RIDGEVIEW_KERNEL_LANES (floats per vector) and a namespace of its own. Everything
// here has internal linkage so that code compiled for one instruction set is never shared
// with another translation unit.
//
// Vectors are GCC/Clang vector extensions; with -ffp-contract=off and without -mfma the
// compiler emits separate multiplies and adds, in the order written.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/wsq/filter_plan.h"
#include "codec/wsq/simd_kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

#if RIDGEVIEW_KERNEL_LANES == 8 && defined(__AVX__)
// Transposes an 8 x 8 block held in eight registers.
inline void transpose8(__m256 (&r)[8]) {
  const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
  const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
  const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
  const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
  const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
  const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
  const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
  const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
  r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
  r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
  r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
  r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
  r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
  r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
  r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
  r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}
#endif

constexpr int kLanes = RIDGEVIEW_KERNEL_LANES;
typedef float Vec __attribute__((vector_size(kLanes * sizeof(float))));

inline Vec load(const float* p) {
  Vec v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store(float* p, Vec v) { std::memcpy(p, &v, sizeof v); }

inline Vec splat(float x) {
  Vec v;
  for (int i = 0; i < kLanes; ++i) v[i] = x;
  return v;
}

using ridgeview::codec::FilterPlan;
using ridgeview::codec::FilterRun;
using ridgeview::codec::FilterTerm;

// Output r of a run for `lines` adjacent lines (a multiple of kLanes), written to y; N terms,
// unrolled.
template <int N>
void one_row(const FilterRun& run, const FilterTerm* t, std::int32_t r, const float* in,
             float* y, std::ptrdiff_t stride, std::int64_t lines) {
  Vec c[N];
  const float* x[N];
  const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(r) * run.index_step;
  for (int i = 0; i < N; ++i) {
    c[i] = splat(t[i].coefficient);
    x[i] = in + (t[i].index + shift) * stride;
  }
  for (std::int64_t l = 0; l < lines; l += kLanes) {
    Vec acc = load(x[0] + l) * c[0];
    for (int i = 1; i < N; ++i) acc = acc + load(x[i] + l) * c[i];
    store(y + l, acc);
  }
}

using RowFn = void (*)(const FilterRun&, const FilterTerm*, std::int32_t, const float*, float*,
                       std::ptrdiff_t, std::int64_t);

// One kernel per term count; plans never hold more than kMaxPlanTerms terms per output.
constexpr RowFn kRowFns[] = {nullptr,     one_row<1>,  one_row<2>,  one_row<3>,  one_row<4>,
                             one_row<5>,  one_row<6>,  one_row<7>,  one_row<8>,  one_row<9>,
                             one_row<10>, one_row<11>, one_row<12>, one_row<13>, one_row<14>,
                             one_row<15>, one_row<16>};
static_assert(sizeof kRowFns / sizeof kRowFns[0] == ridgeview::codec::kMaxPlanTerms + 1);

// A run of outputs for exactly kLanes lines stored as groups of kLanes (one vector per
// sample): the rows mode's transposed blocks.
template <int N>
void run_block(const FilterRun& run, const FilterTerm* t, const float* in, float* out,
               std::ptrdiff_t, std::int64_t) {
  Vec c[N];
  std::ptrdiff_t offset[N];
  for (int i = 0; i < N; ++i) {
    c[i] = splat(t[i].coefficient);
    offset[i] = static_cast<std::ptrdiff_t>(t[i].index) * kLanes;
  }
  float* y = out + static_cast<std::ptrdiff_t>(run.first) * kLanes;
  const std::ptrdiff_t y_step = static_cast<std::ptrdiff_t>(run.step) * kLanes;
  const float* x = in;
  const std::ptrdiff_t x_step = static_cast<std::ptrdiff_t>(run.index_step) * kLanes;
  for (std::int32_t r = 0; r < run.count; ++r, x += x_step, y += y_step) {
    Vec acc = load(x + offset[0]) * c[0];
    for (int i = 1; i < N; ++i) acc = acc + load(x + offset[i]) * c[i];
    store(y, acc);
  }
}

using RunFn = void (*)(const FilterRun&, const FilterTerm*, const float*, float*,
                       std::ptrdiff_t, std::int64_t);

constexpr RunFn kBlockFns[] = {nullptr,        run_block<1>,  run_block<2>,  run_block<3>,
                               run_block<4>,   run_block<5>,  run_block<6>,  run_block<7>,
                               run_block<8>,   run_block<9>,  run_block<10>, run_block<11>,
                               run_block<12>,  run_block<13>, run_block<14>, run_block<15>,
                               run_block<16>};

void run_plan_on_block(const FilterPlan& plan, const float* a, float* b) {
  for (std::int32_t i = 0; i < plan.run_count; ++i) {
    const FilterRun& run = plan.runs[i];
    kBlockFns[run.term_count](run, plan.terms + run.term_begin, a, b, kLanes, kLanes);
  }
}

void apply_columns_scratch(const FilterPlan& plan, const float* in, float* out,
                           std::ptrdiff_t sample_stride, std::int64_t lines, float* scratch) {
  const std::int64_t full = lines - lines % kLanes;
  // Outputs in the order of the input rows they read, so that the input is walked down once
  // (outputs taken one after the other read nearly the same rows), in wide strips of columns.
  constexpr std::int64_t kStrip = 256 * kLanes;
  for (std::int64_t c = 0; c < full; c += kStrip) {
    const std::int64_t width = full - c < kStrip ? full - c : kStrip;
    for (std::int32_t i = 0; i < plan.length; ++i) {
      const std::int32_t k = plan.order[i];
      const FilterRun& run = plan.runs[plan.run_of[k]];
      kRowFns[run.term_count](run, plan.terms + run.term_begin, (k - run.first) / run.step,
                              in + c, out + c + k * sample_stride, sample_stride, width);
    }
  }
  const std::int64_t rest = lines - full;
  if (rest == 0) return;
  // The last lines, padded with zero lanes into one block; only their own lanes go back.
  const std::int32_t n = plan.length;
  float* a = scratch;
  float* b = scratch + static_cast<std::ptrdiff_t>(n) * kLanes;
  for (std::int32_t j = 0; j < n; ++j) {
    for (int l = 0; l < kLanes; ++l) {
      a[j * kLanes + l] = l < rest ? in[j * sample_stride + full + l] : 0.0f;
    }
  }
  run_plan_on_block(plan, a, b);
  for (std::int32_t j = 0; j < n; ++j) {
    for (std::int64_t l = 0; l < rest; ++l) out[j * sample_stride + full + l] = b[j * kLanes + l];
  }
}

// Outputs k_begin..k_end-1 of `lines` adjacent lines, output k of line l to
// out[(k - k_begin) * out_stride + l]: a band of output rows of a column pass. The lines
// beyond the last full vector are summed one by one in the same order.
void apply_column_outputs(const FilterPlan& plan, const float* in, std::ptrdiff_t in_stride,
                          std::int64_t lines, std::int32_t k_begin, std::int32_t k_end,
                          float* out, std::ptrdiff_t out_stride) {
  const std::int64_t full = lines - lines % kLanes;
  for (std::int32_t k = k_begin; k < k_end; ++k) {
    const FilterRun& run = plan.runs[plan.run_of[k]];
    const FilterTerm* t = plan.terms + run.term_begin;
    const std::int32_t r = (k - run.first) / run.step;
    float* y = out + static_cast<std::ptrdiff_t>(k - k_begin) * out_stride;
    if (full > 0) kRowFns[run.term_count](run, t, r, in, y, in_stride, full);
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(r) * run.index_step;
    for (std::int64_t l = full; l < lines; ++l) {
      float acc = in[(t[0].index + shift) * in_stride + l] * t[0].coefficient;
      for (std::int32_t i = 1; i < run.term_count; ++i) {
        acc = acc + in[(t[i].index + shift) * in_stride + l] * t[i].coefficient;
      }
      y[l] = acc;
    }
  }
}

// Copies a block of kLanes rows of n samples (row stride `stride`) into n groups of kLanes
// (sample j of row l at block[j * kLanes + l]), or back.
inline void rows_to_block(const float* rows, std::ptrdiff_t stride, std::int32_t n,
                          float* block) {
  std::int32_t j = 0;
#if RIDGEVIEW_KERNEL_LANES == 8 && defined(__AVX__)
  for (; j + 8 <= n; j += 8) {
    __m256 r[8];
    for (int l = 0; l < 8; ++l) r[l] = _mm256_loadu_ps(rows + l * stride + j);
    transpose8(r);
    for (int l = 0; l < 8; ++l) _mm256_storeu_ps(block + (j + l) * 8, r[l]);
  }
#elif RIDGEVIEW_KERNEL_LANES == 4 && defined(__SSE2__)
  for (; j + 4 <= n; j += 4) {
    __m128 r0 = _mm_loadu_ps(rows + j), r1 = _mm_loadu_ps(rows + stride + j);
    __m128 r2 = _mm_loadu_ps(rows + 2 * stride + j), r3 = _mm_loadu_ps(rows + 3 * stride + j);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(block + j * 4, r0);
    _mm_storeu_ps(block + (j + 1) * 4, r1);
    _mm_storeu_ps(block + (j + 2) * 4, r2);
    _mm_storeu_ps(block + (j + 3) * 4, r3);
  }
#endif
  for (; j < n; ++j) {
    for (int l = 0; l < kLanes; ++l) block[j * kLanes + l] = rows[l * stride + j];
  }
}

inline void block_to_rows(const float* block, std::int32_t n, float* rows,
                          std::ptrdiff_t stride) {
  std::int32_t j = 0;
#if RIDGEVIEW_KERNEL_LANES == 8 && defined(__AVX__)
  for (; j + 8 <= n; j += 8) {
    __m256 r[8];
    for (int l = 0; l < 8; ++l) r[l] = _mm256_loadu_ps(block + (j + l) * 8);
    transpose8(r);
    for (int l = 0; l < 8; ++l) _mm256_storeu_ps(rows + l * stride + j, r[l]);
  }
#elif RIDGEVIEW_KERNEL_LANES == 4 && defined(__SSE2__)
  for (; j + 4 <= n; j += 4) {
    __m128 r0 = _mm_loadu_ps(block + j * 4), r1 = _mm_loadu_ps(block + (j + 1) * 4);
    __m128 r2 = _mm_loadu_ps(block + (j + 2) * 4), r3 = _mm_loadu_ps(block + (j + 3) * 4);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(rows + j, r0);
    _mm_storeu_ps(rows + stride + j, r1);
    _mm_storeu_ps(rows + 2 * stride + j, r2);
    _mm_storeu_ps(rows + 3 * stride + j, r3);
  }
#endif
  for (; j < n; ++j) {
    for (int l = 0; l < kLanes; ++l) rows[l * stride + j] = block[j * kLanes + l];
  }
}

// Rows, kLanes at a time: transpose them into columns of the scratch block, filter the
// columns, transpose the results back. The last rows are padded with zero rows.
void apply_rows(const FilterPlan& plan, const float* in, float* out, std::ptrdiff_t row_stride,
                std::int64_t rows, float* scratch) {
  const std::int32_t n = plan.length;
  float* a = scratch;
  float* b = scratch + static_cast<std::ptrdiff_t>(n) * kLanes;
  const std::int64_t full = rows - rows % kLanes;
  for (std::int64_t r0 = 0; r0 < full; r0 += kLanes) {
    rows_to_block(in + r0 * row_stride, row_stride, n, a);
    run_plan_on_block(plan, a, b);
    block_to_rows(b, n, out + r0 * row_stride, row_stride);
  }
  const std::int64_t rest = rows - full;
  if (rest == 0) return;
  for (std::int32_t j = 0; j < n; ++j) {
    for (int l = 0; l < kLanes; ++l) {
      a[j * kLanes + l] = l < rest ? in[(full + l) * row_stride + j] : 0.0f;
    }
  }
  run_plan_on_block(plan, a, b);
  for (std::int64_t l = 0; l < rest; ++l) {
    for (std::int32_t j = 0; j < n; ++j) out[(full + l) * row_stride + j] = b[j * kLanes + l];
  }
}

inline std::int16_t quantized(float v, float q, float h) {
  using ridgeview::codec::low16_of_truncated;
  if (-h <= v && v <= h) return 0;
  if (v > 0) return low16_of_truncated(static_cast<double>((v - h) / q) + 1.0);
  return low16_of_truncated(static_cast<double>((v + h) / q) - 1.0);
}

void pixel_stats_plain(const std::uint8_t* pixels, std::size_t count, std::uint64_t* sum,
                       unsigned* lowest, unsigned* highest) {
  std::uint64_t s = 0;
  unsigned lo = 255, hi = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned p = pixels[i];
    s += p;
    lo = p < lo ? p : lo;
    hi = p > hi ? p : hi;
  }
  *sum = s;
  *lowest = lo;
  *highest = hi;
}

inline std::uint8_t gray_of(float v, float m_shift, float r_scale) {
  float t = v * r_scale + m_shift;
  t = static_cast<float>(static_cast<double>(t) + 0.5);
  if (!(t >= 0.0f)) return 0;
  if (t > 255.0f) return 255;
  return static_cast<std::uint8_t>(t);
}

inline float value_of(std::int16_t s, float q, float centre, double half_z) {
  if (s == 0) return 0.0f;
  if (s > 0) {
    return static_cast<float>(static_cast<double>(q * (static_cast<float>(s) - centre)) + half_z);
  }
  return static_cast<float>(static_cast<double>(q * (static_cast<float>(s) + centre)) - half_z);
}

#if RIDGEVIEW_KERNEL_LANES == 8 && defined(__AVX2__)

// Both kernels below add a single-precision number to a single-precision number where the
// plain loops add them in double precision and round the sum to single. The results are the
// same: a sum rounded to double's 53 bits and then to single's 24 rounds exactly as the sum
// rounded once to single (53 >= 2 * 24 + 2), so the kernels add in single precision.

void to_gray8(const float* values, std::uint8_t* pixels, std::size_t count, float m_shift,
              float r_scale) {
  const __m256 r = _mm256_set1_ps(r_scale), m = _mm256_set1_ps(m_shift);
  const __m256 zero = _mm256_setzero_ps(), top = _mm256_set1_ps(255.0f);
  const __m256 half = _mm256_set1_ps(0.5f);
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m256 t0 = _mm256_add_ps(_mm256_mul_ps(_mm256_loadu_ps(values + i), r), m);
    __m256 t1 = _mm256_add_ps(_mm256_mul_ps(_mm256_loadu_ps(values + i + 8), r), m);
    t0 = _mm256_add_ps(t0, half);
    t1 = _mm256_add_ps(t1, half);
    // max(t, 0) gives 0 for NaN as well (the second operand wins).
    t0 = _mm256_min_ps(_mm256_max_ps(t0, zero), top);
    t1 = _mm256_min_ps(_mm256_max_ps(t1, zero), top);
    const __m256i w = _mm256_packus_epi32(_mm256_cvttps_epi32(t0), _mm256_cvttps_epi32(t1));
    // The pack works within 128-bit halves: t0[0..3], t1[0..3] | t0[4..7], t1[4..7].
    const __m128i lo = _mm256_castsi256_si128(w), hi = _mm256_extracti128_si256(w, 1);
    const __m128i b = _mm_packus_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), b);
  }
  for (; i < count; ++i) pixels[i] = gray_of(values[i], m_shift, r_scale);
}

void dequantize(const std::int16_t* coefficients, float* values, std::size_t count, float q,
                float centre, double half_z) {
  const float h = static_cast<float>(half_z);
  // Half of a zero-bin width is a single-precision number unless the width is a tiny
  // subnormal; only then is the sum's double precision needed.
  if (static_cast<double>(h) != half_z) {
    for (std::size_t i = 0; i < count; ++i) values[i] = value_of(coefficients[i], q, centre, half_z);
    return;
  }
  const __m256 vq = _mm256_set1_ps(q), vc = _mm256_set1_ps(centre), vh = _mm256_set1_ps(h);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i s16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + i));
    // Most coefficients of a fingerprint are 0.
    if (_mm_testz_si128(s16, s16)) {
      _mm256_storeu_ps(values + i, _mm256_setzero_ps());
      continue;
    }
    const __m256i s32 = _mm256_cvtepi16_epi32(s16);
    const __m256 s = _mm256_cvtepi32_ps(s32);
    const __m256 pos = _mm256_add_ps(_mm256_mul_ps(vq, _mm256_sub_ps(s, vc)), vh);
    const __m256 neg = _mm256_sub_ps(_mm256_mul_ps(vq, _mm256_add_ps(s, vc)), vh);
    const __m256 is_pos = _mm256_castsi256_ps(_mm256_cmpgt_epi32(s32, _mm256_setzero_si256()));
    const __m256 is_neg = _mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_setzero_si256(), s32));
    const __m256 v = _mm256_or_ps(_mm256_and_ps(is_pos, pos), _mm256_and_ps(is_neg, neg));
    _mm256_storeu_ps(values + i, v);
  }
  for (; i < count; ++i) values[i] = value_of(coefficients[i], q, centre, half_z);
}

void pixel_stats(const std::uint8_t* pixels, std::size_t count, std::uint64_t* sum,
                 unsigned* lowest, unsigned* highest) {
  __m256i acc = _mm256_setzero_si256();
  __m256i lo = _mm256_set1_epi8(static_cast<char>(0xFF)), hi = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
    acc = _mm256_add_epi64(acc, _mm256_sad_epu8(p, _mm256_setzero_si256()));
    lo = _mm256_min_epu8(lo, p);
    hi = _mm256_max_epu8(hi, p);
  }
  alignas(32) std::uint64_t parts[4];
  alignas(32) std::uint8_t los[32], his[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(parts), acc);
  _mm256_store_si256(reinterpret_cast<__m256i*>(los), lo);
  _mm256_store_si256(reinterpret_cast<__m256i*>(his), hi);
  std::uint64_t s;
  unsigned l, h;
  pixel_stats_plain(pixels + i, count - i, &s, &l, &h);
  s += parts[0] + parts[1] + parts[2] + parts[3];
  for (int k = 0; k < 32 && i > 0; ++k) {
    l = los[k] < l ? los[k] : l;
    h = his[k] > h ? his[k] : h;
  }
  *sum = s;
  *lowest = l;
  *highest = h;
}

void normalize(const std::uint8_t* pixels, float* values, std::size_t count, float m_shift,
               float r_scale) {
  const __m256 m = _mm256_set1_ps(m_shift), r = _mm256_set1_ps(r_scale);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + i));
    const __m256 p = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(b));
    _mm256_storeu_ps(values + i, _mm256_div_ps(_mm256_sub_ps(p, m), r));
  }
  for (; i < count; ++i) values[i] = (static_cast<float>(pixels[i]) - m_shift) / r_scale;
}

void quantize(const float* values, std::int16_t* out, std::size_t count, float q, float h) {
  const __m256 vq = _mm256_set1_ps(q), vh = _mm256_set1_ps(h), nh = _mm256_set1_ps(-h);
  const __m256d one = _mm256_set1_pd(1.0), limit = _mm256_set1_pd(2147483520.0);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256 v = _mm256_loadu_ps(values + i);
    // Lanes inside the zero bin (both bounds included) give 0.
    const __m256 inside = _mm256_and_ps(_mm256_cmp_ps(nh, v, _CMP_LE_OQ),
                                        _mm256_cmp_ps(v, vh, _CMP_LE_OQ));
    if (_mm256_movemask_ps(inside) == 0xFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_setzero_si128());
      continue;
    }
    const __m256 positive = _mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_GT_OQ);
    const __m256 a = _mm256_div_ps(_mm256_sub_ps(v, vh), vq);
    const __m256 b = _mm256_div_ps(_mm256_add_ps(v, vh), vq);
    const __m256 f = _mm256_blendv_ps(b, a, positive);
    // +1.0 for positive lanes, -1.0 for the others, in double.
    const __m256d lo = _mm256_cvtps_pd(_mm256_castps256_ps128(f));
    const __m256d hi = _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1));
    const __m256d sgn_lo = _mm256_cvtps_pd(_mm256_castps256_ps128(
        _mm256_blendv_ps(_mm256_set1_ps(-1.0f), _mm256_set1_ps(1.0f), positive)));
    const __m256d sgn_hi = _mm256_cvtps_pd(_mm256_extractf128_ps(
        _mm256_blendv_ps(_mm256_set1_ps(-1.0f), _mm256_set1_ps(1.0f), positive), 1));
    const __m256d t_lo = _mm256_add_pd(lo, _mm256_mul_pd(sgn_lo, one));
    const __m256d t_hi = _mm256_add_pd(hi, _mm256_mul_pd(sgn_hi, one));
    // Lanes beyond the 32-bit range (or not numbers) take the plain path.
    const __m256d big_lo = _mm256_cmp_pd(_mm256_andnot_pd(_mm256_set1_pd(-0.0), t_lo), limit,
                                         _CMP_NLT_UQ);
    const __m256d big_hi = _mm256_cmp_pd(_mm256_andnot_pd(_mm256_set1_pd(-0.0), t_hi), limit,
                                         _CMP_NLT_UQ);
    if (_mm256_movemask_pd(_mm256_or_pd(big_lo, big_hi)) != 0) {
      for (int k = 0; k < 8; ++k) out[i + k] = quantized(values[i + k], q, h);
      continue;
    }
    const __m128i n_lo = _mm256_cvttpd_epi32(t_lo), n_hi = _mm256_cvttpd_epi32(t_hi);
    __m256i n = _mm256_set_m128i(n_hi, n_lo);
    n = _mm256_andnot_si256(_mm256_castps_si256(inside), n);
    // The low 16 bits of each 32-bit lane.
    n = _mm256_and_si256(n, _mm256_set1_epi32(0xFFFF));
    const __m128i packed = _mm_packus_epi32(_mm256_castsi256_si128(n), _mm256_extracti128_si256(n, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
  }
  for (; i < count; ++i) out[i] = quantized(values[i], q, h);
}

#else

void pixel_stats(const std::uint8_t* pixels, std::size_t count, std::uint64_t* sum,
                 unsigned* lowest, unsigned* highest) {
  pixel_stats_plain(pixels, count, sum, lowest, highest);
}

void normalize(const std::uint8_t* pixels, float* values, std::size_t count, float m_shift,
               float r_scale) {
  for (std::size_t i = 0; i < count; ++i) {
    values[i] = (static_cast<float>(pixels[i]) - m_shift) / r_scale;
  }
}

void quantize(const float* values, std::int16_t* out, std::size_t count, float q, float h) {
  for (std::size_t i = 0; i < count; ++i) out[i] = quantized(values[i], q, h);
}

void to_gray8(const float* values, std::uint8_t* pixels, std::size_t count, float m_shift,
              float r_scale) {
  for (std::size_t i = 0; i < count; ++i) pixels[i] = gray_of(values[i], m_shift, r_scale);
}

void dequantize(const std::int16_t* coefficients, float* values, std::size_t count, float q,
                float centre, double half_z) {
  for (std::size_t i = 0; i < count; ++i) values[i] = value_of(coefficients[i], q, centre, half_z);
}

#endif

}  // namespace
