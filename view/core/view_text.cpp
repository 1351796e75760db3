#include "view/core/view_text.h"

#include <charconv>
#include <cmath>

#include "view/core/view_core.h"

namespace ridgeview::view {

namespace {

// `value` with `decimals` decimals. to_chars rounds exactly like printf and never consults the
// locale; 330 characters hold the longest fixed form of any double with two decimals.
std::string Fixed(double value, int decimals) {
  char buffer[330];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc{}) return {};
  return std::string(buffer, r.ptr);
}

}  // namespace

std::string FormatZoom(double zoom) { return Fixed(zoom, 2); }

std::optional<Resolution> ResolutionFromPixelsPerMetre(std::int32_t x, std::int32_t y) {
  if (x <= 0 && y <= 0) return std::nullopt;
  if (x <= 0) x = y;
  if (y <= 0) y = x;
  return Resolution{x / 1000.0, y / 1000.0};
}

std::string FormatReadout(Point pixel, const PixelValue& value,
                          const std::optional<Resolution>& resolution) {
  std::string text = "x " + std::to_string(pixel.x);
  if (resolution) text += " (" + Fixed(pixel.x / resolution->xPerMm, 2) + " mm)";
  text += "  y " + std::to_string(pixel.y);
  if (resolution) text += " (" + Fixed(pixel.y / resolution->yPerMm, 2) + " mm)";
  if (value.gray) {
    text += "  gray " + std::to_string(value.red);
  } else {
    text += "  r " + std::to_string(value.red) + " g " + std::to_string(value.green) + " b " +
            std::to_string(value.blue);
  }
  return text;
}

std::string FormatMeasure(Point from, Point to, const std::optional<Resolution>& resolution) {
  const double dx = static_cast<double>(to.x) - from.x;
  const double dy = static_cast<double>(to.y) - from.y;
  std::string text = "length " + Fixed(std::hypot(dx, dy), 1) + " px";
  if (resolution) {
    text += "  " + Fixed(std::hypot(dx / resolution->xPerMm, dy / resolution->yPerMm), 2) + " mm";
  }
  return text;
}

std::string TitleMiddle(const std::string& readout, const std::string& measure) {
  if (readout.empty()) return measure;
  if (measure.empty()) return readout;
  return readout + "   " + measure;
}

TitleText Title(const ViewState& state) {
  TitleText title;
  if (!state.hasImage) {
    title.plain = "No image";
    return title;
  }
  title.ownerDrawn = true;
  title.left = "Image: " + state.displayName;
  title.right = "Zoom: " + FormatZoom(state.zoom);
  return title;
}

}  // namespace ridgeview::view
