// The texts the view shows: the title bar's two fields and the zoom number that the title and
// the properties sheet print.
#pragma once

#include <cstdint>
#include <string>

namespace ridgeview::view {

struct ViewState;

// zoom with two decimals, as printf's "%.2f" in the C locale: 1.0 -> "1.00", 2.345 -> "2.35"
// (the double nearest 2.345 lies above it). The decimal separator is always '.', whatever
// locale the process runs in.
std::string FormatZoom(double zoom);

// What the title bar shows. Without an image: the plain text "No image". With one: an
// owner-drawn strip, filled white, inset by kTitleInset pixels left and right, with `left`
// ("Image: " + displayName) left-aligned and `right` ("Zoom: " + FormatZoom) right-aligned on a
// single line each, in the colour kTitleTextRgb.
struct TitleText {
  bool ownerDrawn = false;
  std::string plain;  // set when !ownerDrawn
  std::string left;   // set when ownerDrawn
  std::string right;  // set when ownerDrawn
};

inline constexpr std::int32_t kTitleInset = 2;
inline constexpr std::uint8_t kTitleTextRgb[3] = {0, 0, 156};

TitleText Title(const ViewState& state);

}  // namespace ridgeview::view
