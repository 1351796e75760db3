// Strict conversions between UTF-8 (the program's paths) and UTF-16 (stored text values).
// Both refuse malformed input instead of replacing it: a path with a substituted character
// names another file, so a caller is better served by "no text" than by a wrong one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ridgeview::settings {

// UTF-8 to UTF-16. nullopt for malformed UTF-8: a truncated or overlong sequence, a stray
// continuation byte, an encoded surrogate (U+D800..U+DFFF), a code point above U+10FFFF, or
// the bytes 0xC0, 0xC1, 0xF5..0xFF. A NUL byte is converted like any other character.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8. nullopt for an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);

}  // namespace ridgeview::settings
