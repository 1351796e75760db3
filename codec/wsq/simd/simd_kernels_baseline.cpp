// Filter kernels for the baseline instruction set (SSE2 on x86-64): four lanes.
#define RIDGEVIEW_KERNEL_LANES 4
#include "codec/wsq/simd/simd_kernels_impl.h"

#include "codec/wsq/simd_kernels.h"

#include <cmath>

namespace ridgeview::codec {

std::int16_t low16_of_truncated(double t) {
  if (!std::isfinite(t)) return 0;
  double r = std::fmod(std::trunc(t), 65536.0);  // exact, in (-65536, 65536)
  if (r < 0) r += 65536.0;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(r)));
}

std::size_t ScratchFloats(std::int64_t length) {
  // Two blocks of the widest variant (8 lanes).
  return static_cast<std::size_t>(length < 1 ? 1 : length) * 8 * 2;
}

const SimdKernels* Avx2KernelsUnchecked();  // simd_kernels_avx2.cpp

const SimdKernels* Avx2SimdKernels() {
#if defined(__x86_64__)
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? Avx2KernelsUnchecked() : nullptr;
#else
  return nullptr;
#endif
}

const SimdKernels& BaselineSimdKernels() {
  static const SimdKernels kernels{"baseline", apply_columns_scratch, apply_rows, apply_column_outputs, to_gray8, dequantize, pixel_stats, normalize, quantize};
  return kernels;
}

const SimdKernels& BestSimdKernels() {
  static const SimdKernels& best = [] () -> const SimdKernels& {
    const SimdKernels* avx2 = Avx2SimdKernels();
    return avx2 != nullptr ? *avx2 : BaselineSimdKernels();
  }();
  return best;
}

}  // namespace ridgeview::codec
