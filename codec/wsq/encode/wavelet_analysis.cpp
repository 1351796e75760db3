#include "codec/wsq/encode/wavelet_analysis.h"

#include "codec/common/codec_memory.h"
#include "codec/common/report.h"

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

int wsq_decompose(float* fdata, std::size_t width, std::size_t height,
                  const wavelet_tree_node (&w_tree)[W_TREELEN], const float* hifilt,
                  int hi_len, const float* lofilt, int lo_len) {
  CodecPtr<float[]> fdata1(static_cast<float*>(codec_malloc(width * height * sizeof(float))));
  if (!fdata1) {
    report("ERROR : wsq_decompose : malloc : fdata1\n");
    return -94;
  }
  const auto pitch = static_cast<std::ptrdiff_t>(width);
  for (int node = 0; node < W_TREELEN; ++node) {
    const wavelet_tree_node& t = w_tree[node];
    float* base = fdata + static_cast<std::ptrdiff_t>(t.y) * pitch + t.x;
    // Rows of the node into the top-left corner of the scratch image, then its columns back.
    analysis_pass(fdata1.get(), base, t.dy, t.dx, pitch, 1, hifilt, hi_len, lofilt, lo_len,
                  t.ir != 0);
    analysis_pass(base, fdata1.get(), t.dx, t.dy, 1, pitch, hifilt, hi_len, lofilt, lo_len,
                  t.ic != 0);
  }
  return 0;
}

}  // namespace ridgeview::codec
