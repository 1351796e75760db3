// Fuzz target: parsing any text as a NIST_COM list never crashes or leaks, and a parsed list
// written back as text parses to the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codec/common/codec_memory.h"
#include "codec/nistcom/fet.h"

namespace {

bool same_list(const ridgeview::codec::fet& a, const ridgeview::codec::fet& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    if (std::strcmp(a.names[i], b.names[i]) != 0) return false;
    const char* va = a.values[i] ? a.values[i] : "";
    const char* vb = b.values[i] ? b.values[i] : "";
    if (std::strcmp(va, vb) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ridgeview::codec;
  codec_reset_alloc_counters();
  {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FetPtr list;
    if (string2fet(list, text.c_str()) == 0) {
      if (!list) std::abort();
      CodecString back;
      if (fet2string(back, list.get()) != 0) std::abort();
      FetPtr again;
      // An empty list writes an empty text, which parses to an empty list again.
      if (string2fet(again, back.get()) != 0 || !same_list(*list, *again)) std::abort();
    }
  }
  if (codec_live_allocations() != 0) std::abort();
  return 0;
}
