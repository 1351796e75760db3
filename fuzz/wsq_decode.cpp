// Fuzz target: any byte string handed to the WSQ decoder returns a code, never crashes, a
// successful decode hands over exactly width * height pixels, and the plain decoding paths
// (bit-by-bit Huffman, plain synthesis loops) give the same code and the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codec/common/codec_memory.h"
#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/wsq.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ridgeview::codec;
  // Frames of up to half a megapixel: larger frames decode the same code paths, only slower,
  // and would cut the fuzzer's rate; the budget refuses them at once (-20).
  codec_set_memory_budget(std::size_t{4} << 20);
  codec_reset_alloc_counters();
  CodecBytes pixels;
  int width = 0, height = 0, depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  const int ret = wsq_decode_mem(pixels, &width, &height, &depth, &ppi, &lossy, &encoder,
                                 &software, data, size);
  if (ret == 0) {
    if (!pixels || width <= 0 || height <= 0 || depth != 8 || lossy != 1) std::abort();
    // Touch the last pixel: the sanitizer checks the array really has that size.
    volatile std::uint8_t last = pixels[static_cast<std::size_t>(width) * height - 1];
    (void)last;
  } else if (ret > 0 || pixels) {
    std::abort();
  }
  // The plain loops are slow under the sanitizers: compare them on frames up to 256 x 256.
  CodecBytes plain;
  if (ret != 0 || static_cast<std::size_t>(width) * height <= 256 * 256) {
    int pw = 0, ph = 0;
    const int plain_ret = wsq_decode_mem_with(DecodeStrategy{nullptr, false}, plain, &pw, &ph,
                                              &depth, &ppi, &lossy, &encoder, &software, data,
                                              size);
    if (plain_ret != ret) std::abort();
    if (ret == 0 && (pw != width || ph != height ||
                     std::memcmp(plain.get(), pixels.get(),
                                 static_cast<std::size_t>(width) * height) != 0)) {
      std::abort();
    }
  }
  pixels.reset();
  plain.reset();
  if (codec_live_allocations() != 0) std::abort();
  return 0;
}
