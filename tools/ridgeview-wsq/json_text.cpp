#include "tools/ridgeview-wsq/json_text.h"

#include <cstdio>

namespace ridgeview::tools {
namespace {

// Length of the valid UTF-8 sequence at text[i], or 0: no overlong forms, no surrogates,
// nothing above U+10FFFF.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      out += length == 0 ? std::string_view("\\ufffd") : text.substr(i, length);
      i += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out + "\"";
}

void JsonObject::Name(std::string_view name) {
  if (text_.size() > 1) text_ += ", ";
  text_ += JsonString(name);
  text_ += ": ";
}

JsonObject& JsonObject::Add(std::string_view name, std::string_view text) {
  Name(name);
  text_ += JsonString(text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view name, std::int64_t number) {
  Name(name);
  text_ += std::to_string(number);
  return *this;
}

JsonObject& JsonObject::AddNull(std::string_view name) {
  Name(name);
  text_ += "null";
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view name, std::string_view json) {
  Name(name);
  text_ += json;
  return *this;
}

}  // namespace ridgeview::tools
