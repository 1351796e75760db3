// JSON text for `--json` output: strings escaped for any bytes, and a builder for the one-line
// objects of JSON Lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ridgeview::tools {

// `text` as a JSON string literal, quotes included. '"', '\\' and the control characters are
// escaped (\n, \t, ... or \u00XX); valid UTF-8 passes through; a byte that is not part of a
// valid UTF-8 sequence (file names and comments may hold any bytes) becomes \ufffd, the
// replacement character, so the output is always valid JSON.
std::string JsonString(std::string_view text);

// Builds {"name": value, ...} on one line; members appear in the order they are added.
class JsonObject {
 public:
  JsonObject& Add(std::string_view name, std::string_view text);
  JsonObject& Add(std::string_view name, const char* text) {
    return Add(name, std::string_view(text));
  }
  JsonObject& Add(std::string_view name, std::int64_t number);
  JsonObject& AddNull(std::string_view name);
  // `json` is already JSON text (an array or object).
  JsonObject& AddRaw(std::string_view name, std::string_view json);
  std::string Text() const { return text_ + "}"; }

 private:
  void Name(std::string_view name);
  std::string text_ = "{";
};

}  // namespace ridgeview::tools
