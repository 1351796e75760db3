#include "codec/wsq/decode/dequantize.h"

#include <algorithm>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {

int unquantize(CodecPtr<float[]>& out, const quantization_table& dqt,
               const quantization_tree_entry* q_tree, const std::int16_t* coefficients,
               int width, int height, const SimdKernels& kernels) {
  const std::size_t stride = static_cast<std::size_t>(width);
  // Every pixel belongs to exactly one of the 64 subband rectangles: the coded ones are
  // written below, the others are set to 0 here, so the array needs no zero-filling first.
  CodecPtr<float[]> values(static_cast<float*>(
      codec_malloc(stride * static_cast<std::size_t>(height) * sizeof(float))));
  if (!values) {
    report(msg::WSQ_UNQUANTIZE_ALLOC);
    return WSQ_UNQUANTIZE_ALLOC;
  }
  if (!dqt.defined) {
    report(msg::WSQ_NO_QUANTIZATION_TABLE);
    return WSQ_NO_QUANTIZATION_TABLE;
  }
  for (int k = 0; k < Q_TREELEN; ++k) {
    if (k < NUM_SUBBANDS && dqt.q[k] != 0.0f) continue;
    const quantization_tree_entry& band = q_tree[k];
    for (int row = 0; row < band.ly; ++row) {
      float* dst = &values[static_cast<std::size_t>(band.y + row) * stride +
                           static_cast<std::size_t>(band.x)];
      std::fill(dst, dst + band.lx, 0.0f);
    }
  }
  const float center = dqt.center;
  const std::int16_t* next = coefficients;
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    const float q = dqt.q[k];
    if (q == 0.0f) continue;
    const double half_z = static_cast<double>(dqt.z[k]) * 0.5;
    const quantization_tree_entry& band = q_tree[k];
    for (int row = 0; row < band.ly; ++row) {
      float* dst = &values[static_cast<std::size_t>(band.y + row) * stride +
                           static_cast<std::size_t>(band.x)];
      kernels.dequantize(next, dst, static_cast<std::size_t>(band.lx), q, center, half_z);
      next += band.lx;
    }
  }
  out = std::move(values);
  return 0;
}

}  // namespace ridgeview::codec
