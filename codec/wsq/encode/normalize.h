// Pixel normalization: turns 8-bit gray pixels into single-precision values centred on
// zero, with the extreme pixel on the farther side of the mean at +-128.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

// Fills fdata[0..num_pix) with (pixel - m_shift) / r_scale, where m_shift is the mean pixel
// value and r_scale = max(mean - lowest, highest - mean) / 128 (1.0 for a uniform image).
// num_pix must be at least 1; allocates nothing and cannot fail (returns 0).
// `kernels` selects the instruction set (all give the same values).
int conv_img_2_flt(float* fdata, float* m_shift, float* r_scale, const std::uint8_t* data,
                   std::size_t num_pix, const SimdKernels& kernels = BestSimdKernels());

}  // namespace ridgeview::codec
