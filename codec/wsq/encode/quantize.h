// Subband variances, the bit-rate driven choice of quantizer bin widths, and the
// quantization of the decomposed image into 16-bit integers in three blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/subband_geometry.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {

// The encoder's quantization record, one per encoding. Entries 60..63 of q and z stay 0.
struct quant_params {
  float r = 0.0f;           // target bit rate, bits per pixel
  float q[Q_TREELEN] = {};  // bin width per subband; 0: the subband is not coded
  float z[Q_TREELEN] = {};  // zero-bin width per subband
  float variance[Q_TREELEN] = {};
};

using CoefficientArray = CodecPtr<std::int16_t[]>;

// Variance of the region (x, y, lx, ly) of data (row pitch `width`), summed in single
// precision. Regions of fewer than two samples have no variance: the result is NaN, which
// fails both threshold tests of quantize_wsq and so gives the subband width 0.
float subband_variance(const float* data, std::size_t width, std::int32_t x, std::int32_t y,
                       std::int32_t lx, std::int32_t ly);

// Fills variance[0..59]: from the central regions of the subbands, or from the whole
// rectangles when the four lowest subbands vary little (sum of their variances < 20000).
void subband_variances(quant_params& params, const quantization_tree_entry (&q_tree)[Q_TREELEN],
                       const float* fdata, std::size_t width);

// Reads r and variance, writes q and z, and quantizes the coded subbands of fdata into a
// new array of width * height values handed to the caller (only the first *count are
// meaningful; subbands in order 0..59, each row by row). Returns 0, or WSQ_ENC_SIP_ALLOC when
// the array cannot be allocated: then nothing is allocated and sip, count, q and z are
// untouched.
// `kernels` selects the instruction set (all give the same values).
int quantize_wsq(CoefficientArray& sip, std::size_t* count, quant_params& params,
                 const quantization_tree_entry (&q_tree)[Q_TREELEN], const float* fdata,
                 std::size_t width, std::size_t height,
                 const SimdKernels& kernels = BestSimdKernels());

// Number of quantized values in each block (subbands 0..18, 19..51, 52..59). Cannot fail.
void block_coefficient_counts(std::int64_t sizes[3], const quant_params& params,
                              const wavelet_tree_node (&w_tree)[W_TREELEN],
                              const quantization_tree_entry (&q_tree)[Q_TREELEN]);

// Quantized value of coefficient v for bin width q and half zero-bin h: 0 when -h <= v <= h,
// else (v -+ h) / q in single precision, then +-1.0 in double, truncated to its low 16 bits.
std::int16_t quantize_coefficient(float v, float q, float h);

}  // namespace ridgeview::codec
