#include "codec/wsq/encode/wavelet_analysis.h"

#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/filter_plan.h"
#include "codec/wsq/simd_kernels.h"

#include <optional>

namespace ridgeview::codec {
namespace {

// One filter output centred on sample `centre` of line x: taps in increasing order, each
// product rounded to single precision and added to the single-precision accumulator.
float filter_at(const float* x, std::int64_t n, std::ptrdiff_t stride, std::int64_t centre,
                const float* filt, int len) {
  const std::int64_t first = centre - (len - 1) / 2;
  if (first >= 0 && first + len <= n) {
    const float* p = x + first * stride;
    float acc = filt[0] * p[0];
    for (int i = 1; i < len; ++i) acc = acc + filt[i] * p[i * stride];
    return acc;
  }
  float acc = filt[0] * x[extension_index(first, n) * stride];
  for (int i = 1; i < len; ++i) acc = acc + filt[i] * x[extension_index(first + i, n) * stride];
  return acc;
}

}  // namespace

std::int64_t extension_index(std::int64_t j, std::int64_t n) {
  if (n <= 1) return 0;
  // The two reflections generate a period of 2(n - 1); fold into it, then reflect once.
  const std::int64_t period = 2 * (n - 1);
  std::int64_t m = j % period;
  if (m < 0) m += period;
  return m > n - 1 ? period - m : m;
}

void analysis_pass(float* out, const float* in, std::int64_t line_count, std::int64_t n,
                   std::ptrdiff_t pitch, std::ptrdiff_t stride, const float* hifilt,
                   int hi_len, const float* lofilt, int lo_len, bool invert) {
  if (n <= 0) return;
  const std::int64_t nl = (n + 1) / 2;
  const std::int64_t nh = n / 2;
  const std::int64_t lo_base = invert ? nh : 0;
  const std::int64_t hi_base = invert ? 0 : nl;
  for (std::int64_t line = 0; line < line_count; ++line) {
    const float* x = in + line * pitch;
    float* y = out + line * pitch;
    for (std::int64_t k = 0; k < nl; ++k) {
      y[(lo_base + k) * stride] = filter_at(x, n, stride, 2 * k, lofilt, lo_len);
    }
    for (std::int64_t k = 0; k < nh; ++k) {
      y[(hi_base + k) * stride] = filter_at(x, n, stride, 2 * k + 1, hifilt, hi_len);
    }
  }
}

bool build_analysis_plan(PlanBuilder& builder, FilterPlan& plan, std::int64_t n,
                         const float* hifilt, int hi_len, const float* lofilt, int lo_len,
                         bool invert) {
  if (n <= 0 || n > 0x7FFFFFFF || lo_len > kMaxPlanTerms || hi_len > kMaxPlanTerms ||
      lo_len < 1 || hi_len < 1 || !builder.Begin(static_cast<std::int32_t>(n))) {
    return false;
  }
  const std::int64_t nl = (n + 1) / 2;
  const std::int64_t nh = n / 2;
  const std::int64_t lo_base = invert ? nh : 0;
  const std::int64_t hi_base = invert ? 0 : nl;
  auto add_output = [&](std::int64_t position, std::int64_t centre, const float* filt, int len) {
    const auto k = static_cast<std::int32_t>(position);
    const std::int64_t first = centre - (len - 1) / 2;
    builder.Store(k, static_cast<std::int32_t>(extension_index(first, n)), filt[0]);
    for (int i = 1; i < len; ++i) {
      builder.Add(k, static_cast<std::int32_t>(extension_index(first + i, n)), filt[i]);
    }
  };
  for (std::int64_t k = 0; k < nl; ++k) add_output(lo_base + k, 2 * k, lofilt, lo_len);
  for (std::int64_t k = 0; k < nh; ++k) add_output(hi_base + k, 2 * k + 1, hifilt, hi_len);
  return builder.Finish(plan, 1, 2);
}

int wsq_decompose(float* fdata, std::size_t width, std::size_t height,
                  const wavelet_tree_node (&w_tree)[W_TREELEN], const float* hifilt,
                  int hi_len, const float* lofilt, int lo_len) {
  return wsq_decompose_with(fdata, width, height, w_tree, hifilt, hi_len, lofilt, lo_len,
                            &BestSimdKernels());
}

int wsq_decompose_with(float* fdata, std::size_t width, std::size_t height,
                       const wavelet_tree_node (&w_tree)[W_TREELEN], const float* hifilt,
                       int hi_len, const float* lofilt, int lo_len,
                       const SimdKernels* kernels) {
  CodecPtr<float[]> scratch_image(
      static_cast<float*>(codec_malloc(width * height * sizeof(float))));
  // The fast path's plan storage and filter scratch: a little per line, not per pixel.
  const std::size_t longest = width > height ? width : height;
  const std::size_t plan_bytes =
      kernels != nullptr ? PlanBuilder::BytesFor(static_cast<std::int64_t>(longest)) : 0;
  const std::size_t scratch_bytes =
      kernels != nullptr ? ScratchFloats(static_cast<std::int64_t>(longest)) * sizeof(float) : 0;
  CodecPtr<unsigned char[]> arena;
  if (scratch_image && kernels != nullptr) {
    arena.reset(
        static_cast<unsigned char*>(codec_malloc(plan_bytes + scratch_bytes)));
  }
  if (!scratch_image || (kernels != nullptr && !arena)) {
    report(msg::WSQ_ENC_DECOMPOSE_ALLOC);
    return WSQ_ENC_DECOMPOSE_ALLOC;
  }
  float* fdata1 = scratch_image.get();
  std::optional<PlanBuilder> builder;
  float* scratch = nullptr;
  if (kernels != nullptr) {
    builder.emplace(arena.get(), plan_bytes);
    scratch = reinterpret_cast<float*>(arena.get() + plan_bytes);
  }
  // The plan for lines of n samples with the given halves' order, kept from an earlier pass
  // or built; null when the plain pass must run.
  FilterPlan built;
  PlanKey key;
  auto plan_for = [&](std::int64_t n, bool invert) -> const FilterPlan* {
    if (!builder || n <= 0 || n > 0x7FFFFFFF) return nullptr;
    const auto length = static_cast<std::int32_t>(n);
    const bool keyed = key.Set(2, length, invert, lofilt, lo_len, hifilt, hi_len);
    if (keyed) {
      if (const FilterPlan* kept = FindKeptPlan(key)) return kept;
    }
    if (!build_analysis_plan(*builder, built, n, hifilt, hi_len, lofilt, lo_len, invert)) {
      return nullptr;
    }
    const FilterPlan* kept = keyed ? KeepPlan(key, built) : nullptr;
    return kept != nullptr ? kept : &built;
  };
  const auto pitch = static_cast<std::ptrdiff_t>(width);
  for (int node = 0; node < W_TREELEN; ++node) {
    const wavelet_tree_node& t = w_tree[node];
    float* base = fdata + static_cast<std::ptrdiff_t>(t.y) * pitch + t.x;
    // Rows of the node into the top-left corner of the scratch image, then its columns back.
    const FilterPlan* rows = t.dy > 0 ? plan_for(t.dx, t.ir != 0) : nullptr;
    if (rows != nullptr) {
      kernels->apply_rows(*rows, base, fdata1, pitch, t.dy, scratch);
    } else {
      analysis_pass(fdata1, base, t.dy, t.dx, pitch, 1, hifilt, hi_len, lofilt, lo_len,
                    t.ir != 0);
    }
    const FilterPlan* columns = t.dx > 0 ? plan_for(t.dy, t.ic != 0) : nullptr;
    if (columns != nullptr) {
      kernels->apply_columns(*columns, fdata1, base, pitch, t.dx, scratch);
    } else {
      analysis_pass(base, fdata1, t.dx, t.dy, 1, pitch, hifilt, hi_len, lofilt, lo_len,
                    t.ic != 0);
    }
  }
  return 0;
}

}  // namespace ridgeview::codec
