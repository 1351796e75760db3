#include "settings/value_layout.h"

#include <bit>
#include <cmath>

#include "settings/utf16.h"

namespace ridgeview::settings {

std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
          static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

std::int32_t DecodeInt32(std::span<const std::uint8_t, 4> bytes) {
  const std::uint32_t bits = std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
                             (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
  return static_cast<std::int32_t>(bits);
}

std::array<std::uint8_t, 8> EncodeDouble(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  std::array<std::uint8_t, 8> out{};
  for (std::size_t i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  return out;
}

double DecodeDouble(std::span<const std::uint8_t, 8> bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits |= std::uint64_t{bytes[i]} << (8 * i);
  return std::bit_cast<double>(bits);
}

std::optional<std::vector<std::uint8_t>> EncodePathText(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<std::u16string> units = Utf8ToUtf16(utf8);
  if (!units || units->size() + 1 > kMaxImagePathUnits) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve((units->size() + 1) * 2);
  for (const char16_t unit : *units) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::optional<std::string> DecodePathText(platform::ValueType type,
                                          std::span<const std::uint8_t> bytes) {
  if (type != platform::ValueType::String && type != platform::ValueType::ExpandString) {
    return std::nullopt;
  }
  if (bytes.size() % 2 != 0 || bytes.size() < 2 || bytes.size() > kMaxImageBytes) {
    return std::nullopt;
  }
  std::u16string text;
  bool ended = false;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (ended) {
      if (unit != 0) return std::nullopt;  // text after the terminator
    } else if (unit == 0) {
      ended = true;
    } else {
      text.push_back(unit);
    }
  }
  if (!ended) return std::nullopt;
  return Utf16ToUtf8(text);
}

bool IsUsableZoom(double zoom) {
  // NaN fails both comparisons; infinities fall outside the range.
  return zoom >= kMinZoom && zoom <= kMaxZoom;
}

}  // namespace ridgeview::settings
