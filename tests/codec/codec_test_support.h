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
#include "decoded_image.h"

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

// Decodes a file with wsq_decode_mem, or with a chosen strategy, catching what it writes to
// stderr. Not for several threads at once (stderr is caught).
inline Decoded decode_file(const std::vector<std::uint8_t>& file,
                           const codec::DecodeStrategy* strategy = nullptr) {
  testing::internal::CaptureStderr();
  Decoded d = decode_bytes(file.data(), file.size(), strategy);
  d.err = testing::internal::GetCapturedStderr();
  if (d.leaked) ADD_FAILURE() << "a failed decode handed out pixels";
  return d;
}

}  // namespace ridgeview::codec_test
