#include "view/core/view_text.h"

#include <charconv>

#include "view/core/view_core.h"

namespace ridgeview::view {

std::string FormatZoom(double zoom) {
  // to_chars rounds exactly like printf and never consults the locale. 330 characters hold
  // the longest fixed form of any double with two decimals.
  char buffer[330];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, zoom, std::chars_format::fixed, 2);
  if (r.ec != std::errc{}) return {};
  return std::string(buffer, r.ptr);
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
