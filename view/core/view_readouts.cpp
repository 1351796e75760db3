#include "view/core/view_readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ridgeview::view {

Point SettingsScrollPoint(Point offset, double zoom) { return ToImage(offset, zoom); }

std::optional<Rect> VisibleOutline(Point offset, Size clientSize, double zoom, double fit,
                                   Size imageSize) {
  if (!std::isfinite(fit) || fit <= 0.0) return std::nullopt;
  const Point origin = ToImage(offset, zoom);
  const auto clip = [](std::int64_t v, std::int32_t limit) {
    return limit > 0 ? std::clamp<std::int64_t>(v, 0, limit) : v;
  };
  const std::int64_t left =
      clip(static_cast<std::int64_t>(origin.x) + ToImage(0, zoom), imageSize.w);
  const std::int64_t top =
      clip(static_cast<std::int64_t>(origin.y) + ToImage(0, zoom), imageSize.h);
  const std::int64_t right =
      clip(static_cast<std::int64_t>(origin.x) + ToImage(clientSize.w, zoom), imageSize.w);
  const std::int64_t bottom =
      clip(static_cast<std::int64_t>(origin.y) + ToImage(clientSize.h, zoom), imageSize.h);
  const double scale = 1.0 / fit;
  return Rect{TruncToInt32(static_cast<double>(left) * scale),
              TruncToInt32(static_cast<double>(top) * scale),
              TruncToInt32(static_cast<double>(right - left) * scale),
              TruncToInt32(static_cast<double>(bottom - top) * scale)};
}

}  // namespace ridgeview::view
