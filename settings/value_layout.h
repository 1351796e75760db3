// Byte layouts of the settings values: fixed sizes, little-endian numbers and the UTF-16LE
// text of the image path and folder, independent of the host's byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"

namespace ridgeview::settings {

inline constexpr std::uint32_t kTitleBarSize = 4;
inline constexpr std::uint32_t kScrollBarsSize = 1;
inline constexpr std::uint32_t kFullSize = 1;
inline constexpr std::uint32_t kScrollSize = 8;
inline constexpr std::uint32_t kZoomSize = 8;
inline constexpr std::uint32_t kSmoothSize = 1;

// Longest stored path ("Image" or "Folder") in UTF-16 units, terminator included: the system's path limit
// (PATH_MAX, 4096 bytes), which no UTF-8 path of that many bytes can exceed in UTF-16 units.
inline constexpr std::size_t kMaxImagePathUnits = 4096;
inline constexpr std::uint32_t kMaxImageBytes = kMaxImagePathUnits * 2;

// Zooms outside this range are never written by the view (its zoom control moves in steps
// of 0.01 from 1.00 up and magnifies at most 16 times) and would overflow the view's 32-bit
// coordinate conversions; they are ignored.
inline constexpr double kMinZoom = 0.0625;
inline constexpr double kMaxZoom = 10000.0;

std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value);
std::int32_t DecodeInt32(std::span<const std::uint8_t, 4> bytes);
std::array<std::uint8_t, 8> EncodeDouble(double value);
double DecodeDouble(std::span<const std::uint8_t, 8> bytes);

// A path ("Image" or "Folder") as UTF-16LE with a zero terminator; nullopt for a path that
// cannot be stored faithfully (invalid UTF-8, a zero byte, or more than
// kMaxImagePathUnits - 1 units).
std::optional<std::vector<std::uint8_t>> EncodePathText(std::string_view utf8);

// The stored text back as UTF-8, under the rules of SettingsReader::ReadImage; nullopt when
// it cannot be used.
std::optional<std::string> DecodePathText(platform::ValueType type,
                                          std::span<const std::uint8_t> bytes);

bool IsUsableZoom(double zoom);

}  // namespace ridgeview::settings
