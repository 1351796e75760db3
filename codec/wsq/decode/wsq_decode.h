// The decode driver's pixel conversion and its choice of fast or plain paths. The entry point
// wsq_decode_mem is in codec/wsq/wsq.h; the header part of a file is read by
// codec/wsq/decode/header_reader.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/wsq.h"
#include "codec/wsq/simd_kernels.h"

namespace ridgeview::codec {

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
  // Threads the decode may use (codec_thread_count: 0 for every processor available); small
  // images use one whatever this says.
  int threads = 1;
};

// wsq_decode_mem with a chosen strategy: the same outputs, codes and ownership.
int wsq_decode_mem_with(const DecodeStrategy& strategy, CodecBytes& pixels, int* width,
                        int* height, int* depth, int* ppi, int* lossy, int* encoder,
                        int* software, const unsigned char* data, std::size_t length);

}  // namespace ridgeview::codec
