#include "view/core/view_readouts.h"

#include <cmath>
#include <cstdint>

namespace ridgeview::view {

Point SettingsScrollPoint(Point offset, double zoom) { return ToImage(offset, zoom); }

std::optional<Rect> VisibleOutline(Point offset, Size clientSize, double zoom, double fit) {
  if (!std::isfinite(fit) || fit <= 0.0) return std::nullopt;
  const Point origin = ToImage(offset, zoom);
  const std::int64_t left = static_cast<std::int64_t>(origin.x) + ToImage(0, zoom);
  const std::int64_t top = static_cast<std::int64_t>(origin.y) + ToImage(0, zoom);
  const std::int64_t right = static_cast<std::int64_t>(origin.x) + ToImage(clientSize.w, zoom);
  const std::int64_t bottom = static_cast<std::int64_t>(origin.y) + ToImage(clientSize.h, zoom);
  const double scale = 1.0 / fit;
  return Rect{TruncToInt32(static_cast<double>(left) * scale),
              TruncToInt32(static_cast<double>(top) * scale),
              TruncToInt32(static_cast<double>(right - left) * scale),
              TruncToInt32(static_cast<double>(bottom - top) * scale)};
}

}  // namespace ridgeview::view
