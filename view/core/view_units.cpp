#include "view/core/view_units.h"

#include <cmath>
#include <limits>

namespace ridgeview::view {

std::int32_t TruncToInt32(double v) {
  if (std::isnan(v)) return 0;
  // Every double in (-2^31 - 1, 2^31) truncates into the int32 range; outside it saturate.
  if (v >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::int32_t SaturateToInt32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::int32_t ToImage(std::int32_t v, double zoom) {
  return TruncToInt32(static_cast<double>(v) * zoom);
}

std::int32_t ToScreen(std::int32_t v, double zoom) {
  const double reciprocal = 1.0 / zoom;
  return TruncToInt32(static_cast<double>(v) * reciprocal);
}

Size ToImage(Size s, double zoom) { return {ToImage(s.w, zoom), ToImage(s.h, zoom)}; }
Size ToScreen(Size s, double zoom) { return {ToScreen(s.w, zoom), ToScreen(s.h, zoom)}; }
Point ToImage(Point p, double zoom) { return {ToImage(p.x, zoom), ToImage(p.y, zoom)}; }
Point ToScreen(Point p, double zoom) { return {ToScreen(p.x, zoom), ToScreen(p.y, zoom)}; }

bool IsUsableZoom(double zoom) { return std::isfinite(zoom) && zoom > 0.0; }

}  // namespace ridgeview::view
