// Wavelet decomposition of the normalized image into the 64-subband WSQ layout by 20
// two-dimensional analysis steps with the fixed 9-tap lowpass / 7-tap highpass filter pair.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/filter_plan.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/subband_geometry.h"

namespace ridgeview::codec {

inline constexpr int WSQ_LOFILT_LEN = 9;
inline constexpr int WSQ_HIFILT_LEN = 7;

// The analysis filters, symmetric about their centre taps lofilt[4] and hifilt[3].
inline constexpr float wsq_lofilt[WSQ_LOFILT_LEN] = {
    0.037828457f, -0.023849465f, -0.1106244f, 0.37740284f, 0.8526987f,
    0.37740284f,  -0.1106244f,   -0.023849465f, 0.037828457f};
inline constexpr float wsq_hifilt[WSQ_HIFILT_LEN] = {
    0.06453888f, -0.040689416f, -0.41809228f, 0.7884856f, -0.41809228f, -0.040689416f,
    0.06453888f};

// Index of sample j of a line of n >= 1 samples under the symmetric extension that does not
// repeat the edge sample (ext(-j) = ext(j), ext(n - 1 + j) = ext(n - 1 - j)), folded as
// often as needed; always in 0..n-1 (0 for n = 1).
std::int64_t extension_index(std::int64_t j, std::int64_t n);

// Filters line_count lines of n samples. Line j of the input starts at in + j * pitch and
// its samples are `stride` apart; the output line has the same layout in `out`. Lowpass
// outputs (centred on even samples) come first and highpass outputs (odd samples) after
// them, or the other way round when invert is set. Sums are single precision, tap 0 first.
// The filter lengths must be odd. in and out must not overlap. Cannot fail.
void analysis_pass(float* out, const float* in, std::int64_t line_count, std::int64_t n,
                   std::ptrdiff_t pitch, std::ptrdiff_t stride, const float* hifilt,
                   int hi_len, const float* lofilt, int lo_len, bool invert);

// Transforms fdata (width x height, row-major) in place, node 0 to 19 of w_tree: each node's
// rows, then its columns. `kernels` picks the instruction set; null runs every pass through
// analysis_pass, the plain path the fast kernels are checked against (same results).
// `threads` splits the large passes over that many threads (the same results for every
// count). Returns 0, or WSQ_ENC_DECOMPOSE_ALLOC when the scratch image or the fast path's plan
// storage cannot be allocated (fdata is then untouched).
int wsq_decompose(float* fdata, std::size_t width, std::size_t height,
                  const wavelet_tree_node (&w_tree)[W_TREELEN], const float* hifilt,
                  int hi_len, const float* lofilt, int lo_len,
                  const SimdKernels* kernels = &BestSimdKernels(), int threads = 1);

// The plan of one analysis pass over lines of n samples: the sums analysis_pass forms,
// output by output. False when the filters are longer than a plan holds or `builder` has too
// little room.
bool build_analysis_plan(PlanBuilder& builder, FilterPlan& plan, std::int64_t n,
                         const float* hifilt, int hi_len, const float* lofilt, int lo_len,
                         bool invert);

}  // namespace ridgeview::codec
