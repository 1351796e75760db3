// Maps quantized coefficients back to single-precision subband values.
#pragma once

#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/subband_geometry.h"

namespace ridgeview::codec {

// Places the coefficients of subbands 0..59 (those with a non-zero bin width, in order, each
// row by row) into a new width x height array, 0.0 outside them, handed to the caller in
// `out`. The sequence must hold at least as many values as those subbands cover. Returns 0,
// WSQ_UNQUANTIZE_ALLOC when memory is short, or WSQ_NO_QUANTIZATION_TABLE; on failure `out`
// is untouched and nothing stays allocated. `kernels` selects the instruction set (all give
// the same values).
int unquantize(CodecPtr<float[]>& out, const quantization_table& dqt,
               const quantization_tree_entry* q_tree, const std::int16_t* coefficients,
               int width, int height, const SimdKernels& kernels = BestSimdKernels());

}  // namespace ridgeview::codec
