// The decode driver's helpers: the NIST_COM scan, the resolution lookup and the conversion of
// reconstructed values to gray bytes. The entry point wsq_decode_mem is in codec/wsq/wsq.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/nistcom/fet.h"
#include "codec/wsq/wsq.h"
#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

// The first NIST_COM comment before the first SOB as a feature list (left empty when there
// is none). Returns 0 or the code of a failed read or parse.
int find_nistcom_wsq(FetPtr& list, const std::uint8_t* data, std::size_t length);

// Resolution from the NIST_COM "PPI" entry: -1 without a NIST_COM comment or with an empty
// value; a comment without a "PPI" entry fails with -2.
int find_ppi_wsq(int* ppi, const std::uint8_t* data, std::size_t length);

// Reads a decimal integer as C's atoi does (leading white space, a sign, digits up to the
// first other character, 0 without digits); saturates instead of overflowing.
int parse_decimal(const char* text);

// t = v * r_scale + m_shift (single), + 0.5 in double rounded to single, clamped to 0..255
// and truncated.
void float_to_gray8(std::uint8_t* pixels, const float* values, int width, int height,
                    float m_shift, float r_scale,
                    const SimdKernels& kernels = BestSimdKernels());

// How wsq_decode_mem does its work; every choice gives the same pixels. Tests decode with
// the plain choices to check the fast ones bit for bit.
struct DecodeStrategy {
  const SimdKernels* kernels = &BestSimdKernels();  // null: plain synthesis loops
  bool table_huffman = true;                          // false: bit-by-bit Huffman decoding
};

// wsq_decode_mem with a chosen strategy.
int wsq_decode_mem_with(const DecodeStrategy& strategy, CodecBytes& pixels, int* width,
                        int* height, int* depth, int* ppi, int* lossy, int* encoder,
                        int* software, const unsigned char* data, std::size_t length);

}  // namespace ridgeview::codec
