#include "view/core/zoom_steps.h"

#include <algorithm>
#include <cmath>

#include "view/core/trackbar_model.h"

namespace ridgeview::view {
namespace {

// Ladder values compare with a tolerance, so that a zoom read back from a position (1.16 is
// 1.15999...) counts as the ladder value it stands for.
constexpr double kTolerance = 1e-9;

// The ladder value after `zoom` going up (toward reductions), for zoom on or off the ladder.
double NextAbove(double zoom) {
  if (zoom < 1.0 - kTolerance) {
    // Magnifications: the next power of two above.
    double z = kSmallestZoom;
    while (z <= zoom + kTolerance) z *= 2.0;
    return std::min(z, 1.0);
  }
  if (zoom < 1.25 - kTolerance) return 1.25;
  if (zoom < 1.5 - kTolerance) return 1.5;
  // 2, 3, 4, 6, 8, 12, ...: powers of two and one and a half times them.
  double z = 2.0;
  for (;;) {
    if (zoom < z - kTolerance) return z;
    if (zoom < z * 1.5 - kTolerance) return z * 1.5;
    z *= 2.0;
    if (!std::isfinite(z)) return zoom;
  }
}

}  // namespace

double LargerZoom(double zoom) {
  if (!IsUsableZoom(zoom) || zoom <= kSmallestZoom + kTolerance) return zoom;
  // The largest ladder value below zoom: walk up from the bottom.
  double below = kSmallestZoom;
  for (double z = kSmallestZoom; z < zoom - kTolerance;) {
    below = z;
    const double next = NextAbove(z);
    if (next <= z) break;
    z = next;
  }
  return below;
}

double SmallerZoom(double zoom) {
  if (!IsUsableZoom(zoom)) return zoom;
  return NextAbove(std::max(zoom, kSmallestZoom));
}

double FitZoom(Size imageSize, Size clientSize) {
  if (imageSize.w <= 0 || imageSize.h <= 0 || clientSize.w <= 0 || clientSize.h <= 0) {
    return 1.0;
  }
  const double fit = std::max(static_cast<double>(imageSize.w) / clientSize.w,
                              static_cast<double>(imageSize.h) / clientSize.h);
  if (fit > 1.0) {
    // Up to the next trackbar position; a fit that is one already stays.
    const double position = std::ceil(fit * 100.0 - kTolerance);
    return position * 0.01;
  }
  double zoom = 1.0;
  while (zoom > kSmallestZoom && zoom * 0.5 >= fit) zoom *= 0.5;
  return zoom;
}

}  // namespace ridgeview::view
