#include "codec/wsq/encode/wavelet_analysis.h"

#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/filter_plan.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/transform_plans.h"

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
                  int hi_len, const float* lofilt, int lo_len, const SimdKernels* kernels,
                  int threads) {
  CodecPtr<float[]> scratch_image(
      static_cast<float*>(codec_malloc(width * height * sizeof(float))));
  TransformPlans plans(PlanKind::analysis, build_analysis_plan, lofilt, lo_len, hifilt, hi_len);
  const std::size_t longest = width > height ? width : height;
  if (!scratch_image ||
      (kernels != nullptr && !plans.Allocate(static_cast<std::int64_t>(longest), 0, threads))) {
    report(msg::WSQ_ENC_DECOMPOSE_ALLOC);
    return WSQ_ENC_DECOMPOSE_ALLOC;
  }
  float* fdata1 = scratch_image.get();
  const auto pitch = static_cast<std::ptrdiff_t>(width);
  for (int node = 0; node < W_TREELEN; ++node) {
    const wavelet_tree_node& t = w_tree[node];
    float* base = fdata + static_cast<std::ptrdiff_t>(t.y) * pitch + t.x;
    // Rows of the node into the top-left corner of the scratch image, then its columns back.
    const FilterPlan* rows = t.dy > 0 ? plans.For(t.dx, t.ir != 0) : nullptr;
    if (rows != nullptr) {
      plans.Rows(*kernels, *rows, base, fdata1, pitch, t.dy);
    } else {
      analysis_pass(fdata1, base, t.dy, t.dx, pitch, 1, hifilt, hi_len, lofilt, lo_len,
                    t.ir != 0);
    }
    const FilterPlan* columns = t.dx > 0 ? plans.For(t.dy, t.ic != 0) : nullptr;
    if (columns != nullptr) {
      plans.Columns(*kernels, *columns, fdata1, base, pitch, t.dx);
    } else {
      analysis_pass(base, fdata1, t.dx, t.dy, 1, pitch, hifilt, hi_len, lofilt, lo_len,
                    t.ic != 0);
    }
  }
  return 0;
}

}  // namespace ridgeview::codec
