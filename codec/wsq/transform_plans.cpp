#include "codec/wsq/transform_plans.h"

#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

TransformPlans::TransformPlans(PlanKind kind, PlanBuildFn build, const float* lofilt,
                               int lo_len, const float* hifilt, int hi_len)
    : kind_(kind), build_(build), lofilt_(lofilt), lo_len_(lo_len), hifilt_(hifilt),
      hi_len_(hi_len) {}

std::size_t TransformPlans::BytesFor(std::int64_t longest, std::size_t extra_floats) {
  return PlanBuilder::BytesFor(longest) + (ScratchFloats(longest) + extra_floats) * sizeof(float);
}

bool TransformPlans::Allocate(std::int64_t longest, std::size_t extra_floats) {
  memory_.reset(static_cast<unsigned char*>(codec_malloc(BytesFor(longest, extra_floats))));
  if (!memory_) return false;
  plan_bytes_ = PlanBuilder::BytesFor(longest);
  scratch_ = reinterpret_cast<float*>(memory_.get() + plan_bytes_);
  extra_ = scratch_ + ScratchFloats(longest);
  return true;
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
