// Fuzz target: the encoder on images the input describes. The first bytes choose the size
// (each side 1..2048), the bit rate and the resolution; the rest are the pixels (repeated to
// fill the image). An encode either fails with a code or gives a file that decodes to an image
// of the same size and resolution, and encoding the same image again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/common/codec_memory.h"
#include "codec/wsq/wsq.h"

namespace {

struct Case {
  int width, height, ppi;
  float rate;
  std::vector<unsigned char> pixels;
};

Case describe(const std::uint8_t* data, std::size_t size) {
  auto byte = [&](std::size_t i) { return i < size ? data[i] : 0; };
  Case c;
  c.width = 1 + ((byte(0) | byte(1) << 8) % 2048);
  c.height = 1 + ((byte(2) | byte(3) << 8) % 2048);
  // Keep each run short: at most a quarter of a megapixel, trimming the height.
  while (static_cast<long>(c.width) * c.height > 262144) c.height = (c.height + 1) / 2;
  c.rate = 0.1f + static_cast<float>(byte(4)) / 32.0f;  // 0.1 .. 8.07 bits per pixel
  c.ppi = static_cast<std::int16_t>(byte(5) | byte(6) << 8);
  c.pixels.resize(static_cast<std::size_t>(c.width) * c.height);
  const std::size_t body = size > 7 ? size - 7 : 0;
  for (std::size_t i = 0; i < c.pixels.size(); ++i) {
    c.pixels[i] = body > 0 ? data[7 + i % body] : static_cast<unsigned char>(i);
  }
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ridgeview::codec;
  codec_reset_alloc_counters();
  const Case c = describe(data, size);
  {
    CodecBytes file, again;
    std::size_t length = 0, length2 = 0;
    const int ret = wsq_encode_1(file, &length, c.rate, c.pixels.data(), c.width, c.height, 8,
                                 c.ppi, "");
    if (ret > 0) std::abort();
    if (ret == 0) {
      if (!file || length == 0 || length > c.pixels.size()) std::abort();
      if (wsq_encode_1(again, &length2, c.rate, c.pixels.data(), c.width, c.height, 8, c.ppi,
                       "") != 0 ||
          length2 != length || std::memcmp(file.get(), again.get(), length) != 0) {
        std::abort();
      }
      CodecBytes pixels;
      int w = 0, h = 0, d = 0, ppi = 0, lossy = 0, enc = 0, sw = 0;
      if (wsq_decode_mem(pixels, &w, &h, &d, &ppi, &lossy, &enc, &sw, file.get(), length) != 0 ||
          w != c.width || h != c.height || ppi != c.ppi || d != 8 || lossy != 1) {
        std::abort();
      }
    }
  }
  if (codec_live_allocations() != 0) std::abort();
  return 0;
}
