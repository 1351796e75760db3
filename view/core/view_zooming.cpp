// The desktop zoom operations of the view core: zooming about an anchor point exactly (the
// zoom keys, Ctrl + wheel, and every zoom change from or to a magnification), the trackbar's
// magnification limit, the drawing mode of reductions, and the image pixel under a client
// point that the readout and measuring use.
#include <algorithm>
#include <cmath>

#include "view/core/paint_geometry.h"
#include "view/core/view_core.h"
#include "view/core/view_core_steps.h"
#include "view/core/zoom_steps.h"

namespace ridgeview::view {

using detail::CarriedStep;

ViewUpdate ViewCore::ZoomKeeping(double newZoom, Point anchor, bool redraw) {
  const double oldZoom = s_.zoom;
  // The image point under the anchor pixel's centre, and the offset that puts it there again.
  const double ux = (static_cast<double>(s_.offset.x) + anchor.x + 0.5) * oldZoom;
  const double uy = (static_cast<double>(s_.offset.y) + anchor.y + 0.5) * oldZoom;
  // (offset' + a + 0.5) * newZoom = u, rounded to the nearest whole offset.
  const auto place = [newZoom](double u, std::int32_t a) {
    const double target = std::floor(u / newZoom - a);
    return TruncToInt32(std::clamp(target, -2147483648.0, 2147483647.0));
  };

  ViewUpdate update;
  update.titleChanged = true;
  update.repaintAll = redraw;
  if (s_.scrollBarsOn) {
    // The steps keep their size in image units across the zoom change, as in SetZoom.
    const Point line = ToImage(s_.lineStep, oldZoom);
    const Point page = ToImage(s_.pageStep, oldZoom);
    s_.zoom = newZoom;
    s_.contentSize = ToScreen(s_.imageSize, s_.zoom);
    ResetScrollGeometry();
    s_.lineStep = {CarriedStep(ToScreen(line.x, s_.zoom), s_.contentSize.w, 100),
                   CarriedStep(ToScreen(line.y, s_.zoom), s_.contentSize.h, 100)};
    s_.pageStep = {CarriedStep(ToScreen(page.x, s_.zoom), s_.contentSize.w, 10),
                   CarriedStep(ToScreen(page.y, s_.zoom), s_.contentSize.h, 10)};
    s_.offset = {place(ux, anchor.x), place(uy, anchor.y)};
    ClampOffset();
    SetBarPositions();
    update.scrollBarsChanged = true;
  } else {
    s_.zoom = newZoom;
    s_.contentSize = ToScreen(s_.imageSize, s_.zoom);
    s_.offset = {place(ux, anchor.x), place(uy, anchor.y)};
    ClampOffset();
  }
  return update;
}

std::int32_t ViewCore::MagnifyMinimumFor(Size imageSize) {
  const std::int64_t side = std::max<std::int64_t>({1, imageSize.w, imageSize.h});
  std::int32_t position = kUnitZoomPosition;
  std::int64_t factor = 1;
  while (position > kMagnifyMinimumPosition && side * factor * 2 <= (std::int64_t{1} << 30)) {
    factor *= 2;
    --position;
  }
  return position;
}

double ViewCore::LargestZoomAllowed() const {
  return ZoomFromTrackbarPosition(s_.zoomTrack.EffectiveMaximum());
}

double ViewCore::SmallestZoomAllowed() const {
  return ZoomFromTrackbarPosition(s_.zoomTrack.Minimum());
}

ViewUpdate ViewCore::ZoomAround(double newZoom, Point anchor) {
  if (!s_.hasImage || !IsUsableZoom(newZoom) || newZoom == s_.zoom) return {};
  ViewUpdate update = ZoomKeeping(newZoom, anchor, true);
  s_.zoomTrack.SetPosition(TrackbarPositionFromZoom(newZoom));
  update.zoomTrackChanged = true;
  return update;
}

ViewUpdate ViewCore::ZoomLarger(std::optional<Point> anchor) {
  const double floorZoom = SmallestZoomAllowed();
  if (s_.zoom <= floorZoom) return {};
  const double next = std::max(LargerZoom(s_.zoom), floorZoom);
  return ZoomAround(next, anchor.value_or(Point{s_.clientSize.w / 2, s_.clientSize.h / 2}));
}

ViewUpdate ViewCore::ZoomSmaller(std::optional<Point> anchor) {
  const double ceiling = LargestZoomAllowed();
  if (s_.zoom >= ceiling) return {};
  const double next = std::min(SmallerZoom(s_.zoom), ceiling);
  return ZoomAround(next, anchor.value_or(Point{s_.clientSize.w / 2, s_.clientSize.h / 2}));
}

ViewUpdate ViewCore::ZoomToOne() {
  return ZoomAround(1.0, Point{s_.clientSize.w / 2, s_.clientSize.h / 2});
}

ViewUpdate ViewCore::ZoomToFit() {
  const double fit = std::max(FitZoom(s_.imageSize, s_.clientSize), SmallestZoomAllowed());
  return ZoomAround(fit, Point{s_.clientSize.w / 2, s_.clientSize.h / 2});
}

ViewUpdate ViewCore::ZoomWheel(std::int32_t delta, Point anchor) {
  const std::int64_t total = static_cast<std::int64_t>(s_.zoomWheelRemainder) + delta;
  std::int64_t notches = total / kWheelDelta;
  s_.zoomWheelRemainder = static_cast<std::int32_t>(total % kWheelDelta);
  ViewUpdate update;
  for (; notches > 0; --notches) update.Merge(ZoomLarger(anchor));
  for (; notches < 0; ++notches) update.Merge(ZoomSmaller(anchor));
  return update;
}

ViewUpdate ViewCore::SetSmooth(bool smooth) {
  if (smooth == s_.smooth) return {};
  s_.smooth = smooth;
  ViewUpdate update;
  update.repaintAll = true;
  return update;
}

std::optional<Point> ViewCore::ImagePixelAt(Point p) const {
  if (!s_.hasImage || !s_.bitmapHeld) return std::nullopt;
  if (p.x < 0 || p.y < 0 || p.x >= s_.clientSize.w || p.y >= s_.clientSize.h) return std::nullopt;
  const std::int64_t cx = static_cast<std::int64_t>(s_.offset.x) + p.x;
  const std::int64_t cy = static_cast<std::int64_t>(s_.offset.y) + p.y;
  if (cx >= s_.contentSize.w || cy >= s_.contentSize.h) return std::nullopt;
  Point pixel;
  if (s_.zoom > 1.0 && !s_.smooth) {
    const Rect source = PaintSourceRect(s_.offset, s_.clientSize, s_.zoom);
    pixel = {SourcePixel(p.x, source.x, source.w, s_.clientSize.w),
             SourcePixel(p.y, source.y, source.h, s_.clientSize.h)};
  } else {
    pixel = {TruncToInt32(std::floor((static_cast<double>(cx) + 0.5) * s_.zoom)),
             TruncToInt32(std::floor((static_cast<double>(cy) + 0.5) * s_.zoom))};
  }
  if (pixel.x < 0 || pixel.y < 0 || pixel.x >= s_.imageSize.w || pixel.y >= s_.imageSize.h) {
    return std::nullopt;
  }
  return pixel;
}

ClientPointF ViewCore::ClientPointOf(Point imagePixel) const {
  return {(imagePixel.x + 0.5) / s_.zoom - s_.offset.x,
          (imagePixel.y + 0.5) / s_.zoom - s_.offset.y};
}

}  // namespace ridgeview::view
