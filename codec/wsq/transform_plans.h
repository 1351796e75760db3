// What one wavelet transform (analysis or synthesis) needs for its fast path: one block of
// memory to build plans in and for the kernels' scratch, and its plans, kept on the thread
// from earlier transforms or built. Both directions get their plans this one way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/filter_plan.h"
#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

// Builds the plan of one pass over lines of `length` samples in the builder's storage;
// false when the filters need steps a plan cannot express or the builder has too little
// room. `flag` is the halves' order (swap_halves or invert).
using PlanBuildFn = bool (*)(PlanBuilder& builder, FilterPlan& plan, std::int64_t length,
                             const float* hifilt, int hi_len, const float* lofilt, int lo_len,
                             bool flag);

// Samples a piece of a pass should hold at least for a split over threads to gain: below
// that, waking a helper and joining it costs about as much as the piece.
inline constexpr std::int64_t kMinPieceSamples = 96 * 1024;

class TransformPlans {
 public:
  // The plans are made by `build` from the filters; kind and filters keep them apart from the
  // plans of other transforms kept on the thread.
  TransformPlans(PlanKind kind, PlanBuildFn build, const float* lofilt, int lo_len,
                 const float* hifilt, int hi_len);

  // Size of the one allocation: the plan builder's storage for lines of up to `longest`
  // samples, then for each of `pieces` pieces of work the kernels' scratch for such lines
  // (ScratchFloats) and `extra_floats` floats for the caller. Nothing more: each part holds a
  // whole number of 4-byte units (so every part starts aligned for floats) and the kernels
  // stay inside their parts.
  static std::size_t BytesFor(std::int64_t longest, std::size_t extra_floats, int pieces = 1);

  // Gets that allocation through the codec's allocator for `threads` threads (one piece of
  // work each); false when memory is short (the caller reports its own code). Without it,
  // For() hands out no plans.
  bool Allocate(std::int64_t longest, std::size_t extra_floats = 0, int threads = 1);
  int threads() const { return threads_; }
  float* scratch(int piece = 0) const { return scratch_ + piece * piece_floats_; }
  float* extra(int piece = 0) const { return scratch(piece) + scratch_floats_; }

  // A kernel pass over `lines` lines with `plan`, split over the threads when it is large
  // enough to gain: rows (samples contiguous, lines `stride` apart) or columns (lines next to
  // each other, samples `stride` apart), as SimdKernels::apply_rows / apply_columns. Every
  // line is filtered the same way whoever filters it.
  void Rows(const SimdKernels& kernels, const FilterPlan& plan, const float* in, float* out,
            std::ptrdiff_t stride, std::int64_t lines) const;
  void Columns(const SimdKernels& kernels, const FilterPlan& plan, const float* in, float* out,
               std::ptrdiff_t stride, std::int64_t lines) const;

  // The plan for lines of `length` samples with the given halves' order: kept from an
  // earlier transform, or built here and kept when it can be. Null when the plain pass must
  // run. A built plan that could not be kept lives until the next call.
  const FilterPlan* For(std::int64_t length, bool flag);
  // The kept plan only (null when it is not kept): for plans that must outlive the next call.
  const FilterPlan* Kept(std::int64_t length, bool flag) const;

 private:
  bool Key(std::int64_t length, bool flag, PlanKey& key) const;

  PlanKind kind_;
  PlanBuildFn build_;
  const float* lofilt_;
  int lo_len_;
  const float* hifilt_;
  int hi_len_;
  CodecPtr<unsigned char[]> memory_;
  std::size_t plan_bytes_ = 0;
  float* scratch_ = nullptr;
  std::size_t scratch_floats_ = 0;  // per piece
  std::size_t piece_floats_ = 0;    // scratch and extra of one piece
  int threads_ = 1;
  FilterPlan built_;
};

}  // namespace ridgeview::codec
