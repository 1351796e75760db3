// The encoder's driver with a chosen way of working (wsq_encode_1 itself is declared in
// codec/wsq/wsq.h).
#pragma once

#include <cstddef>

#include "codec/wsq/simd_kernels.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec {

// How wsq_encode_1 does its work; every choice gives the same bytes. Tests encode with the
// plain choice to check the fast one bit for bit.
struct EncodeStrategy {
  const SimdKernels* kernels = &BestSimdKernels();  // null: plain analysis loops
  // Threads the encode may use (codec_thread_count: 0 for every processor available); small
  // images use one whatever this says.
  int threads = 1;
};

// wsq_encode_1 with a chosen strategy: the same outputs, codes and ownership.
int wsq_encode_1_with(const EncodeStrategy& strategy, CodecBytes& wsq_data,
                      std::size_t* length, float r, const unsigned char* pixels, int width,
                      int height, int depth, int ppi, const char* comment_text);

}  // namespace ridgeview::codec
