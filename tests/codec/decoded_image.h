// One decode, copied out of the codec's memory: shared by the codec tests and the fuzz
// targets (no test framework here, so that fuzzers can include it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec_test {

// The outputs of one decode.
struct Decoded {
  int ret = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes; empty unless ret is 0
  int width = 0, height = 0, depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  std::string err;     // what the decode wrote to stderr, where the caller caught it
  bool leaked = false;  // a failed decode handed out pixels anyway
};

// Decodes `size` bytes with wsq_decode_mem, or with a chosen strategy. The pixels are copied
// and the codec's array freed before returning, so nothing of the decode stays allocated.
inline Decoded decode_bytes(const std::uint8_t* data, std::size_t size,
                            const codec::DecodeStrategy* strategy = nullptr) {
  Decoded d;
  codec::CodecBytes pixels;
  d.ret = strategy == nullptr
              ? codec::wsq_decode_mem(pixels, &d.width, &d.height, &d.depth, &d.ppi, &d.lossy,
                                      &d.encoder, &d.software, data, size)
              : codec::wsq_decode_mem_with(*strategy, pixels, &d.width, &d.height, &d.depth,
                                           &d.ppi, &d.lossy, &d.encoder, &d.software, data,
                                           size);
  if (d.ret == 0) {
    d.pixels.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(d.width) *
                                                     static_cast<std::size_t>(d.height));
  } else {
    d.leaked = pixels != nullptr;
  }
  return d;
}

}  // namespace ridgeview::codec_test
