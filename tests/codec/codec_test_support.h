// Helpers shared by the codec tests: decoding a file into plain vectors, and which named
// code a failure was, by its value and the message it wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/common/codes.h"
#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec_test {

// Whether `text` is what printf would make of `format`: the literal pieces between the
// conversions appear in order, the first at the start and the last at the end.
inline bool matches_format(std::string_view format, std::string_view text) {
  if (format.empty()) return text.empty();
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    pieces.push_back(format.substr(start, i - start));
    ++i;
    while (i < format.size() && std::string_view("0123456789.-+ #lhzj").find(format[i]) !=
                                    std::string_view::npos) {
      ++i;
    }
    start = i + 1;
  }
  pieces.push_back(format.substr(start < format.size() ? start : format.size()));
  std::size_t at = 0;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const std::string_view piece = pieces[p];
    if (p == 0) {
      if (text.substr(0, piece.size()) != piece) return false;
      at = piece.size();
    } else if (p + 1 == pieces.size()) {
      if (text.size() < at + piece.size() || text.substr(text.size() - piece.size()) != piece) {
        return false;
      }
    } else {
      const std::size_t found = text.find(piece, at);
      if (found == std::string_view::npos) return false;
      at = found + piece.size();
    }
  }
  return true;
}

// The name of the code whose value is `ret` and whose message gives `message` (what the
// failing call wrote), or "" when no named code fits.
inline std::string code_name(int ret, const std::string& message) {
  for (const codec::CodecCodeInfo& c : codec::codec_code_table()) {
    if (c.value == ret && matches_format(c.message, message)) return c.name;
  }
  return "";
}

// The outputs of one decode, copied out of the codec's memory.
struct Decoded {
  int ret = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes; empty unless ret is 0
  int width = 0, height = 0, depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  std::string err;  // what the decode wrote to stderr
};

// Decodes a file with wsq_decode_mem, or with a chosen strategy, catching what it writes to
// stderr. The pixels are copied and the codec's array freed before returning, so nothing of
// the decode stays allocated. Not for several threads at once (stderr is caught).
inline Decoded decode_file(const std::vector<std::uint8_t>& file,
                           const codec::DecodeStrategy* strategy = nullptr) {
  Decoded d;
  codec::CodecBytes pixels;
  testing::internal::CaptureStderr();
  d.ret = strategy == nullptr
              ? codec::wsq_decode_mem(pixels, &d.width, &d.height, &d.depth, &d.ppi, &d.lossy,
                                      &d.encoder, &d.software, file.data(), file.size())
              : codec::wsq_decode_mem_with(*strategy, pixels, &d.width, &d.height, &d.depth,
                                           &d.ppi, &d.lossy, &d.encoder, &d.software,
                                           file.data(), file.size());
  d.err = testing::internal::GetCapturedStderr();
  if (d.ret == 0) {
    d.pixels.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(d.width) *
                                                     static_cast<std::size_t>(d.height));
  } else if (pixels) {
    ADD_FAILURE() << "a failed decode handed out pixels";
  }
  return d;
}

}  // namespace ridgeview::codec_test
