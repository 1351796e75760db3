// Filter kernels for processors with AVX2: eight lanes. This file is compiled with -mavx2
// (never -mfma) and its code runs only after the processor reported AVX2.
#include "codec/wsq/simd_kernels.h"

#if defined(__x86_64__) && defined(__AVX2__)

#define RIDGEVIEW_KERNEL_LANES 8
#include "codec/wsq/simd/simd_kernels_impl.h"

namespace ridgeview::codec {

// Only the table: whether the processor runs it is asked in baseline code.
const SimdKernels* Avx2KernelsUnchecked() {
  static const SimdKernels kernels{"avx2", apply_columns_scratch, apply_rows, apply_column_outputs, to_gray8, dequantize, pixel_stats, normalize, quantize};
  return &kernels;
}

}  // namespace ridgeview::codec

#else

namespace ridgeview::codec {
const SimdKernels* Avx2KernelsUnchecked() { return nullptr; }
}  // namespace ridgeview::codec

#endif
