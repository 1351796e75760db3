// Fuzz target: allocations that fail at pseudo-random points, chosen from a hash of the input,
// while the input is decoded as a WSQ file and a small image made from it is encoded. Every
// call must either succeed with exactly the result of an undisturbed call or fail with a code,
// and nothing may stay allocated either way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/common/codec_memory.h"
#include "codec/wsq/wsq.h"
#include "tests/codec/decoded_image.h"

namespace {

std::uint64_t hash_bytes(const std::uint8_t* data, std::size_t size) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h;
}

// Fails roughly one allocation in eight, the same ones for the same input.
bool fail_some(std::uint64_t index, std::size_t, void* context) {
  std::uint64_t x = *static_cast<std::uint64_t*>(context) + index * 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return ((x ^ (x >> 31)) & 7) == 0;
}

std::vector<unsigned char> encode(const std::vector<unsigned char>& image, int* ret) {
  using namespace ridgeview::codec;
  CodecBytes out;
  std::size_t n = 0;
  *ret = wsq_encode_1(out, &n, 0.75f, image.data(), 40, 30, 8, 500, "");
  return *ret == 0 ? std::vector<unsigned char>(out.get(), out.get() + n)
                   : std::vector<unsigned char>{};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ridgeview::codec;
  codec_set_memory_budget(std::size_t{64} << 20);
  std::vector<unsigned char> image(40 * 30);
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = size > 0 ? data[i % size] : static_cast<unsigned char>(i * 7);
  }

  codec_reset_alloc_counters();
  const ridgeview::codec_test::Decoded want = ridgeview::codec_test::decode_bytes(data, size);
  int want_ret = 0;
  const std::vector<unsigned char> want_file = encode(image, &want_ret);

  std::uint64_t seed = hash_bytes(data, size);
  codec_reset_alloc_counters();
  codec_set_alloc_fail_hook(fail_some, &seed);
  const ridgeview::codec_test::Decoded got = ridgeview::codec_test::decode_bytes(data, size);
  int got_ret = 0;
  const std::vector<unsigned char> got_file = encode(image, &got_ret);
  codec_set_alloc_fail_hook(nullptr, nullptr);

  if (got.leaked || (got.ret == 0 && (want.ret != 0 || got.pixels != want.pixels))) std::abort();
  if (got.ret > 0 || got_ret > 0) std::abort();
  if (got_ret == 0 && (want_ret != 0 || got_file != want_file)) std::abort();
  if (codec_live_allocations() != 0) std::abort();
  codec_release_cached_memory();
  return 0;
}
