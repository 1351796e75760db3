// The texts the view shows: the title bar's two fields and the zoom number that the title and
// the properties sheet print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "view/core/view_units.h"

namespace ridgeview::view {

struct ViewState;

// zoom with two decimals, as printf's "%.2f" in the C locale: 1.0 -> "1.00", 2.345 -> "2.35"
// (the double nearest 2.345 lies above it). The decimal separator is always '.', whatever
// locale the process runs in.
std::string FormatZoom(double zoom);

// What the title bar shows. Without an image: the plain text "No image". With one: an
// owner-drawn strip, filled white, inset by kTitleInset pixels left and right, with `left`
// ("Image: " + displayName) left-aligned and `right` ("Zoom: " + FormatZoom) right-aligned on a
// single line each, in the colour kTitleTextRgb; `middle` (the pixel readout and the
// measurement, see below; often empty) is centred in the room between them.
struct TitleText {
  bool ownerDrawn = false;
  std::string plain;   // set when !ownerDrawn
  std::string left;    // set when ownerDrawn
  std::string middle;  // set by the view when ownerDrawn
  std::string right;   // set when ownerDrawn
  friend bool operator==(const TitleText&, const TitleText&) = default;
};

// An image's resolution in pixels per millimetre along each axis, both above 0.
struct Resolution {
  double xPerMm = 0.0;
  double yPerMm = 0.0;
};

// The resolution of pixels-per-metre header values: both axes when both are above 0, the one
// set for both when only one is, none when neither is.
std::optional<Resolution> ResolutionFromPixelsPerMetre(std::int32_t x, std::int32_t y);

// The value of one image pixel: a gray level, or red, green and blue.
struct PixelValue {
  bool gray = true;
  std::uint8_t red = 0, green = 0, blue = 0;  // gray: all three equal
};

// The pixel readout: "x 812  y 640  gray 137" for a gray image, "x 812  y 640  r 10 g 20 b 30"
// for a colour one; with a resolution each coordinate is followed by its distance from the
// image's left / top edge in millimetres, two decimals: "x 812 (41.25 mm)  y 640 (32.51 mm)
// gray 137" (two blanks between the fields).
std::string FormatReadout(Point pixel, const PixelValue& value,
                          const std::optional<Resolution>& resolution);

// A measurement between the centres of two image pixels: "length 123.4 px", and with a
// resolution "length 123.4 px  6.27 mm" (pixels with one decimal, millimetres with two).
std::string FormatMeasure(Point from, Point to, const std::optional<Resolution>& resolution);

// The title's middle field: the readout and the measurement, three blanks between them when
// both are there.
std::string TitleMiddle(const std::string& readout, const std::string& measure);

inline constexpr std::int32_t kTitleInset = 2;
inline constexpr std::uint8_t kTitleTextRgb[3] = {0, 0, 156};

TitleText Title(const ViewState& state);

}  // namespace ridgeview::view
