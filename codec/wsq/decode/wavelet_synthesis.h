// Wavelet reconstruction: merges the subbands back into the image, node by node of the
// wavelet tree, with the synthesis filters of the transform table.
#pragma once

#include <cstddef>
#include <cstdint>

#include <optional>

#include "codec/wsq/filter_plan.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/subband_geometry.h"
#include "codec/wsq/transform_plans.h"

namespace ridgeview::codec {

// Merges nodes `last_node` down to `first_node` of the wavelet tree in place in `image`
// (width x height, row stride width): the whole reconstruction is nodes W_TREELEN - 1 down
// to 0. Each node merges its columns into `work` (width x height values, the caller's) and
// its rows back into the image. `kernels` picks the instruction set; null runs every pass
// through synthesis_pass, the plain path the fast kernels are checked against (same
// results). Returns 0, WSQ_LOPASS_UNDEFINED or WSQ_HIPASS_UNDEFINED when a filter is not
// defined, or WSQ_RECONSTRUCT_ALLOC when the fast path's plan storage cannot be allocated
// (the image is then untouched). `threads` splits the large passes over that many threads
// (the same results for every count).
int wsq_reconstruct(float* image, int width, int height, const wavelet_tree_node* w_tree,
                    int first_node, int last_node, const transform_table& dtt,
                    const SimdKernels* kernels, float* work, int threads = 1);

// The root node's synthesis (the node that covers the whole image) with its output turned
// straight into gray pixels, a band of rows at a time, so that the finished image is never
// written out as values: the same pixels as wsq_reconstruct of the root followed by the
// kernels' to_gray8. It needs no work array.
class RootToGray {
 public:
  static constexpr int kReady = 0;
  // This way does not apply (no fast kernels, a root that does not cover the image, filters
  // or plans that need the plain pass): the caller merges the root with wsq_reconstruct.
  static constexpr int kNotApplicable = 1;

  // Gets the plans and the band memory. Returns kReady, kNotApplicable,
  // WSQ_LOPASS_UNDEFINED / WSQ_HIPASS_UNDEFINED for undefined filters, or
  // WSQ_RECONSTRUCT_ALLOC when the memory cannot be had (with wsq_reconstruct's messages).
  int Prepare(const float* image, int width, int height, const wavelet_tree_node& root,
              const transform_table& dtt, const SimdKernels* kernels, int threads = 1);
  // Writes width x height pixels (row stride width); only after Prepare returned kReady.
  // `image` must still hold the merged subbands.
  void Run(std::uint8_t* pixels, float m_shift, float r_scale);

 private:
  static constexpr int kBand = 8;  // output rows merged per step
  std::optional<TransformPlans> plans_;  // its extra floats hold the band
  const FilterPlan* columns_ = nullptr;
  const FilterPlan* rows_ = nullptr;
  const float* image_ = nullptr;
  int width_ = 0, height_ = 0;
  const SimdKernels* kernels_ = nullptr;
};

// The plan of one synthesis pass over lines of `length` samples: the sums synthesis_pass
// forms, output by output. False when the filters need steps a plan cannot express (an even
// lowpass length) or `builder` has too little room.
bool build_synthesis_plan(PlanBuilder& builder, FilterPlan& plan, std::int64_t length,
                          const float* hifilt, int hisize, const float* lofilt, int losize,
                          bool swap_halves);

// Merges `lines` lines of `length` samples. Line n of the input starts at
// input + n * line_step, its samples sample_step apart, holding its lowpass half then its
// highpass half (the other way round with swap_halves); the output line has the same layout.
// Reads stay inside each input line and writes inside each output line, also for lines too
// short for the filters.
void synthesis_pass(float* output, const float* input, int lines, int length,
                    std::ptrdiff_t line_step, std::ptrdiff_t sample_step, const float* hifilt,
                    int hisize, const float* lofilt, int losize, bool swap_halves);

}  // namespace ridgeview::codec
