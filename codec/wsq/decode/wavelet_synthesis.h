// Wavelet reconstruction: merges the subbands back into the image, node by node of the
// wavelet tree, with the synthesis filters of the transform table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/common/codec_memory.h"

#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/filter_plan.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/subband_geometry.h"

namespace ridgeview::codec {

// Rebuilds the image in place in `image` (width x height, row stride width). Returns 0, -95 or
// -96 when a filter is not defined, -97 when the work array cannot be allocated.
int wsq_reconstruct(float* image, int width, int height, const wavelet_tree_node* w_tree,
                    int w_treelen, const transform_table& dtt);

// The same with a chosen kernel variant; null runs every pass through synthesis_pass (the
// plain path the fast kernels are checked against).
int wsq_reconstruct_with(float* image, int width, int height, const wavelet_tree_node* w_tree,
                         int w_treelen, const transform_table& dtt,
                         const SimdKernels* kernels);

// wsq_reconstruct_with on a work array of width * height values the caller provides; only
// the fast path's small plan storage is allocated here (-97 when it cannot be).
int wsq_reconstruct_in(float* image, int width, int height, const wavelet_tree_node* w_tree,
                       int w_treelen, const transform_table& dtt, const SimdKernels* kernels,
                       float* work);

// wsq_reconstruct_in for nodes `last` down to `first` of the tree only.
int wsq_reconstruct_nodes(float* image, int width, int height, const wavelet_tree_node* w_tree,
                          int first, int last, const transform_table& dtt,
                          const SimdKernels* kernels, float* work);

// The root node's synthesis (the node that covers the whole image) with its output turned
// straight into gray pixels, a band of rows at a time, so that the finished image is never
// written out as values: the same pixels as the root pass of wsq_reconstruct_in followed by
// the kernels' to_gray8. It needs no work array.
class RootToGray {
 public:
  // Gets the plans and the band memory. 0 when ready; 1 when this way does not apply (no fast
  // kernels, a root that does not cover the image, filters or plans that need the plain
  // pass): the caller then runs the root with wsq_reconstruct_nodes. -95/-96 for undefined
  // filters and -97 when the memory cannot be had, with the messages of wsq_reconstruct.
  int Prepare(const float* image, int width, int height, const wavelet_tree_node& root,
              const transform_table& dtt, const SimdKernels* kernels);
  // Writes width x height pixels (row stride width); only after Prepare returned 0. `image`
  // must still hold the merged subbands.
  void Run(std::uint8_t* pixels, float m_shift, float r_scale);

 private:
  static constexpr int kBand = 8;  // output rows merged per step
  CodecPtr<unsigned char[]> memory_;
  const FilterPlan* columns_ = nullptr;
  const FilterPlan* rows_ = nullptr;
  const float* image_ = nullptr;
  float* band_ = nullptr;
  float* scratch_ = nullptr;
  int width_ = 0, height_ = 0;
  const SimdKernels* kernels_ = nullptr;
};

// The plan of one synthesis pass over lines of `length` samples: the sums synthesis_pass
// forms, output by output. False when the filters need steps a plan cannot express (an even
// lowpass length) or `builder` has too little room.
bool build_synthesis_plan(PlanBuilder& builder, FilterPlan& plan, int length,
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
