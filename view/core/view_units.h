// Plain geometry records of the image view and the two unit conversions that every zoom
// computation goes through.
//
// The view shows an image reduced by `zoom` (1.0 = pixel for pixel, larger = smaller on screen,
// below 1.0 magnified: 0.25 shows every image pixel as 4 x 4 screen pixels).
// Image units are bitmap pixels, screen units are pixels of the view's client area. The two
// conversions truncate toward zero and their rounding is part of the behaviour: scroll positions,
// saved scroll points and painted rectangles all depend on it bit for bit.
#pragma once

#include <cstdint>

namespace ridgeview::view {

// A width and height, or any pair of per-axis amounts.
struct Size {
  std::int32_t w = 0, h = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A position (x, y), or any pair of per-axis coordinates.
struct Point {
  std::int32_t x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle by its top-left corner and its size. An empty rectangle has w <= 0 or h <= 0.
struct Rect {
  std::int32_t x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Truncates toward zero to a signed 32-bit integer. Values beyond the 32-bit range saturate to
// INT32_MIN / INT32_MAX and NaN gives 0, so a degenerate zoom can never cause undefined
// behaviour; within the range this is exactly the C conversion (int)v.
std::int32_t TruncToInt32(double v);

// Clamps a 64-bit intermediate into the signed 32-bit range. Sums and differences of view
// coordinates are formed in 64 bits and brought back through this.
std::int32_t SaturateToInt32(std::int64_t v);

// To image units: trunc(v * zoom).
std::int32_t ToImage(std::int32_t v, double zoom);

// To screen units: trunc(v * (1.0 / zoom)). The reciprocal is computed first, in double
// precision, and then multiplied; this is not the same as v / zoom for every v.
std::int32_t ToScreen(std::int32_t v, double zoom);

// Per-axis forms of the conversions.
Size ToImage(Size s, double zoom);
Size ToScreen(Size s, double zoom);
Point ToImage(Point p, double zoom);
Point ToScreen(Point p, double zoom);

// True when zoom is a finite number greater than zero, the only values the view accepts.
bool IsUsableZoom(double zoom);

}  // namespace ridgeview::view
