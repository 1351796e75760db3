#include "codec/wsq/transform_plans.h"

#include "codec/common/parallel.h"
#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

TransformPlans::TransformPlans(PlanKind kind, PlanBuildFn build, const float* lofilt,
                               int lo_len, const float* hifilt, int hi_len)
    : kind_(kind), build_(build), lofilt_(lofilt), lo_len_(lo_len), hifilt_(hifilt),
      hi_len_(hi_len) {}

std::size_t TransformPlans::BytesFor(std::int64_t longest, std::size_t extra_floats,
                                     int pieces) {
  const std::size_t per_piece = ScratchFloats(longest) + extra_floats;
  return PlanBuilder::BytesFor(longest) +
         per_piece * static_cast<std::size_t>(pieces < 1 ? 1 : pieces) * sizeof(float);
}

bool TransformPlans::Allocate(std::int64_t longest, std::size_t extra_floats, int threads) {
  threads_ = threads < 1 ? 1 : threads;
  memory_.reset(
      static_cast<unsigned char*>(codec_malloc(BytesFor(longest, extra_floats, threads_))));
  if (!memory_) return false;
  plan_bytes_ = PlanBuilder::BytesFor(longest);
  scratch_ = reinterpret_cast<float*>(memory_.get() + plan_bytes_);
  scratch_floats_ = ScratchFloats(longest);
  piece_floats_ = scratch_floats_ + extra_floats;
  return true;
}

namespace {

// Column pieces start at a multiple of this many lines, so vector kernels see whole groups.
constexpr std::int64_t kColumnAlign = 16;

}  // namespace

void TransformPlans::Rows(const SimdKernels& kernels, const FilterPlan& plan, const float* in,
                          float* out, std::ptrdiff_t stride, std::int64_t lines) const {
  const int pieces = pieces_for(threads_, lines * plan.length, kMinPieceSamples);
  run_pieces(threads_, pieces, [&](int i) {
    std::int64_t begin = 0, end = 0;
    piece_range(lines, pieces, i, 1, &begin, &end);
    if (end > begin) {
      kernels.apply_rows(plan, in + begin * stride, out + begin * stride, stride, end - begin,
                         scratch(i));
    }
  });
}

void TransformPlans::Columns(const SimdKernels& kernels, const FilterPlan& plan,
                             const float* in, float* out, std::ptrdiff_t stride,
                             std::int64_t lines) const {
  const int pieces = pieces_for(threads_, lines * plan.length, kMinPieceSamples);
  run_pieces(threads_, pieces, [&](int i) {
    std::int64_t begin = 0, end = 0;
    piece_range(lines, pieces, i, kColumnAlign, &begin, &end);
    if (end > begin) {
      kernels.apply_columns(plan, in + begin, out + begin, stride, end - begin, scratch(i));
    }
  });
}

bool TransformPlans::Key(std::int64_t length, bool flag, PlanKey& key) const {
  if (length <= 0 || length > 0x7FFFFFFF) return false;
  return key.Set(kind_, static_cast<std::int32_t>(length), flag, lofilt_, lo_len_, hifilt_,
                 hi_len_);
}

const FilterPlan* TransformPlans::For(std::int64_t length, bool flag) {
  if (!memory_ || length <= 0 || length > 0x7FFFFFFF) return nullptr;
  PlanKey key;
  const bool keyed = Key(length, flag, key);
  if (keyed) {
    if (const FilterPlan* kept = FindKeptPlan(key)) return kept;
  }
  // The builder's storage is reused for every plan of the transform.
  PlanBuilder builder(memory_.get(), plan_bytes_);
  if (!build_(builder, built_, length, hifilt_, hi_len_, lofilt_, lo_len_, flag)) {
    return nullptr;
  }
  const FilterPlan* kept = keyed ? KeepPlan(key, built_) : nullptr;
  return kept != nullptr ? kept : &built_;
}

const FilterPlan* TransformPlans::Kept(std::int64_t length, bool flag) const {
  PlanKey key;
  return Key(length, flag, key) ? FindKeptPlan(key) : nullptr;
}

}  // namespace ridgeview::codec
