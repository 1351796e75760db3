// Image, zoom, trackbar and pan operations of the view core. Scroll-bar, wheel and resize
// handling live in view_scrolling.cpp, the zoom keys, Ctrl + wheel, exact anchoring and the
// pixel under a client point in view_zooming.cpp.
#include "view/core/view_core.h"

#include <algorithm>
#include <cmath>

#include "view/core/view_core_steps.h"

namespace ridgeview::view {

using detail::CarriedStep;
using detail::DefaultStep;

void ViewUpdate::Merge(const ViewUpdate& later) {
  repaintAll = repaintAll || later.repaintAll;
  scrollBy.x = SaturateToInt32(static_cast<std::int64_t>(scrollBy.x) + later.scrollBy.x);
  scrollBy.y = SaturateToInt32(static_cast<std::int64_t>(scrollBy.y) + later.scrollBy.y);
  scrollBarsChanged = scrollBarsChanged || later.scrollBarsChanged;
  zoomTrackChanged = zoomTrackChanged || later.zoomTrackChanged;
  titleChanged = titleChanged || later.titleChanged;
}

ViewCore::ViewCore(bool scrollBarsOn) { s_.scrollBarsOn = scrollBarsOn; }

void ViewCore::SetBarRanges() {
  s_.horizontal.Set(0, s_.contentSize.w - 1, s_.clientSize.w, s_.offset.x);
  s_.vertical.Set(0, s_.contentSize.h - 1, s_.clientSize.h, s_.offset.y);
}

void ViewCore::SetBarPositions() {
  s_.horizontal.SetPosition(s_.offset.x);
  s_.vertical.SetPosition(s_.offset.y);
}

// Offset to the origin, steps derived from the content size, both bars spanning the content
// with the client as page and the thumb at 0.
void ViewCore::ResetScrollGeometry() {
  s_.offset = {0, 0};
  s_.lineStep = {DefaultStep(s_.contentSize.w, 100), DefaultStep(s_.contentSize.h, 100)};
  s_.pageStep = {DefaultStep(s_.contentSize.w, 10), DefaultStep(s_.contentSize.h, 10)};
  SetBarRanges();
}

ViewUpdate ViewCore::SetImage(std::optional<Size> bitmapSize, std::string_view name,
                              double newZoom, Point start, Size workArea) {
  if (bitmapSize) {
    s_.hasImage = true;
    s_.bitmapHeld = true;
    s_.displayName.assign(name);
    const bool readable = bitmapSize->w > 0 && bitmapSize->h > 0;
    s_.imageSize = readable ? *bitmapSize : Size{1, 1};
  } else {
    s_.hasImage = false;
    s_.bitmapHeld = false;
    s_.displayName.clear();
    s_.imageSize = {1, 1};
  }

  s_.zoom = IsUsableZoom(newZoom) ? newZoom : 1.0;
  s_.contentSize = ToScreen(s_.imageSize, s_.zoom);
  ResetScrollGeometry();

  const Size clientPage = ToScreen(s_.clientSize, s_.zoom);
  s_.pageStep = {CarriedStep(clientPage.w, s_.contentSize.w, 10),
                 CarriedStep(clientPage.h, s_.contentSize.h, 10)};

  if (start.x == -1 && start.y == -1) {
    start.x = SaturateToInt32((static_cast<std::int64_t>(s_.imageSize.w) - s_.clientSize.w) / 2);
    start.y = SaturateToInt32((static_cast<std::int64_t>(s_.imageSize.h) - s_.clientSize.h) / 2);
  }

  ViewUpdate update;
  if (s_.scrollBarsOn) {
    update.Merge(ScrollToImagePoint(start.x, start.y, true));
  } else {
    s_.offset = ToScreen(start, s_.zoom);
    ClampOffset();
    s_.horizontal.Hide();
    s_.vertical.Hide();
    update.repaintAll = true;
  }

  // Trackbar maximum: the zoom (x 100) at which the whole image fits the work area along its
  // tighter dimension. Formed in 64 bits so that no image width can wrap the product.
  const std::int64_t workW = std::max<std::int32_t>(1, workArea.w);
  const std::int64_t workH = std::max<std::int32_t>(1, workArea.h);
  const std::int64_t ratioW = static_cast<std::int64_t>(s_.imageSize.w) * 100 / workW;
  const std::int64_t ratioH = static_cast<std::int64_t>(s_.imageSize.h) * 100 / workH;
  std::int64_t maximum = std::max(ratioW, ratioH);
  // An image that already fits the work area would leave the trackbar a single position;
  // such an image can still be reduced, down to a quarter of its size.
  if (s_.hasImage && maximum < kTrackbarMinimum) maximum = kSmallImageMaximum;
  // The magnifications sit below 100; without an image the trackbar keeps its one position.
  const std::int32_t minimum = s_.hasImage ? MagnifyMinimumFor(s_.imageSize) : kTrackbarMinimum;
  s_.zoomTrack.SetRange(minimum, SaturateToInt32(maximum));
  s_.zoomTrack.SetPageSize(kTrackbarPage);
  s_.zoomTrack.SetPosition(TrackbarPositionFromZoom(s_.zoom));

  update.repaintAll = true;
  update.scrollBarsChanged = true;
  update.zoomTrackChanged = true;
  update.titleChanged = true;
  return update;
}

ViewUpdate ViewCore::ReleaseBitmap() {
  s_.bitmapHeld = false;
  return {};
}

ViewUpdate ViewCore::RestoreBitmap() {
  if (!s_.hasImage) return {};
  s_.bitmapHeld = true;
  ViewUpdate update;
  update.repaintAll = true;
  return update;
}

bool ViewCore::ClampOffset() {
  const Point before = s_.offset;
  s_.offset.x = detail::ClampAxis(s_.offset.x, s_.contentSize.w, s_.clientSize.w);
  s_.offset.y = detail::ClampAxis(s_.offset.y, s_.contentSize.h, s_.clientSize.h);
  return !(before == s_.offset);
}

ViewUpdate ViewCore::ScrollToImagePoint(std::int32_t px, std::int32_t py, bool redraw) {
  s_.offset = ToScreen(Point{px, py}, s_.zoom);
  ClampOffset();
  SetBarPositions();
  ViewUpdate update;
  update.scrollBarsChanged = true;
  update.repaintAll = redraw;
  return update;
}

ViewUpdate ViewCore::SetZoom(double newZoom, bool redraw) {
  if (!IsUsableZoom(newZoom)) return {};
  const double oldZoom = s_.zoom;
  if (oldZoom < 1.0 || newZoom < 1.0) {
    // From or to a magnification: the truncations below would move the centre by up to
    // a few image pixels, which magnified are dozens of screen pixels.
    return ZoomKeeping(newZoom, Point{s_.clientSize.w / 2, s_.clientSize.h / 2}, redraw);
  }
  // Image point under the client's centre, each term truncated on its own.
  const std::int64_t cx = static_cast<std::int64_t>(ToImage(s_.offset.x, oldZoom)) +
                          ToImage(s_.clientSize.w / 2, oldZoom);
  const std::int64_t cy = static_cast<std::int64_t>(ToImage(s_.offset.y, oldZoom)) +
                          ToImage(s_.clientSize.h / 2, oldZoom);

  ViewUpdate update;
  update.titleChanged = true;
  if (!s_.scrollBarsOn) {
    s_.contentSize = ToScreen(s_.imageSize, newZoom);
    s_.zoom = newZoom;
    // The old offset taken through the new zoom: algebraically offset + rx is the centre in
    // new screen units, so subtracting half the client puts that point back in the middle.
    const std::int32_t rx =
        ToScreen(SaturateToInt32(cx - ToImage(s_.offset.x, s_.zoom)), s_.zoom);
    const std::int32_t ry =
        ToScreen(SaturateToInt32(cy - ToImage(s_.offset.y, s_.zoom)), s_.zoom);
    s_.offset.x = SaturateToInt32(static_cast<std::int64_t>(s_.offset.x) + rx -
                                  s_.clientSize.w / 2);
    s_.offset.y = SaturateToInt32(static_cast<std::int64_t>(s_.offset.y) + ry -
                                  s_.clientSize.h / 2);
    ClampOffset();
    update.repaintAll = redraw;
    return update;
  }

  // The steps keep their size in image units across the zoom change.
  const Point line = ToImage(s_.lineStep, oldZoom);
  const Point page = ToImage(s_.pageStep, oldZoom);

  s_.zoom = newZoom;
  s_.contentSize = ToScreen(s_.imageSize, s_.zoom);
  ResetScrollGeometry();
  update.scrollBarsChanged = true;
  update.repaintAll = redraw;

  s_.lineStep = {CarriedStep(ToScreen(line.x, s_.zoom), s_.contentSize.w, 100),
                 CarriedStep(ToScreen(line.y, s_.zoom), s_.contentSize.h, 100)};
  s_.pageStep = {CarriedStep(ToScreen(page.x, s_.zoom), s_.contentSize.w, 10),
                 CarriedStep(ToScreen(page.y, s_.zoom), s_.contentSize.h, 10)};

  update.Merge(ScrollToImagePoint(SaturateToInt32(cx - ToImage(s_.clientSize.w / 2, s_.zoom)),
                                  SaturateToInt32(cy - ToImage(s_.clientSize.h / 2, s_.zoom)),
                                  redraw));
  return update;
}

ViewUpdate ViewCore::ToggleScrollBars() {
  s_.scrollBarsOn = !s_.scrollBarsOn;
  if (s_.scrollBarsOn) {
    SetBarRanges();
  } else {
    s_.horizontal.Hide();
    s_.vertical.Hide();
  }
  ViewUpdate update;
  update.scrollBarsChanged = true;
  update.repaintAll = true;
  return update;
}

void ViewCore::StylusDown(Point p) { s_.dragPoint = p; }

ViewUpdate ViewCore::StylusMove(Point p) {
  if (!s_.bitmapHeld) return {};
  if (s_.zoom < 1.0) {
    // Magnified: device pixels, so that every pixel of movement moves the image.
    const Point target{
        SaturateToInt32(static_cast<std::int64_t>(s_.offset.x) + s_.dragPoint.x - p.x),
        SaturateToInt32(static_cast<std::int64_t>(s_.offset.y) + s_.dragPoint.y - p.y)};
    ViewUpdate update;
    s_.offset = target;
    ClampOffset();
    if (s_.scrollBarsOn) {
      SetBarPositions();
      update.scrollBarsChanged = true;
    }
    update.repaintAll = true;
    s_.dragPoint = p;
    return update;
  }
  const std::int64_t dx =
      ToImage(SaturateToInt32(static_cast<std::int64_t>(s_.dragPoint.x) - p.x), s_.zoom);
  const std::int64_t dy =
      ToImage(SaturateToInt32(static_cast<std::int64_t>(s_.dragPoint.y) - p.y), s_.zoom);
  const std::int64_t ox = ToImage(s_.offset.x, s_.zoom);
  const std::int64_t oy = ToImage(s_.offset.y, s_.zoom);
  const Point target{SaturateToInt32(dx + ox), SaturateToInt32(dy + oy)};

  ViewUpdate update;
  if (s_.scrollBarsOn) {
    update = ScrollToImagePoint(target.x, target.y, true);
  } else {
    s_.offset = ToScreen(target, s_.zoom);
    ClampOffset();
    update.repaintAll = true;
  }
  s_.dragPoint = p;
  return update;
}

ViewUpdate ViewCore::ZoomByTrackbar(TrackbarCode code, std::int32_t thumbPosition) {
  ViewUpdate update;
  if (code == TrackbarCode::ThumbPosition || code == TrackbarCode::ThumbTrack) {
    const std::int32_t before = s_.zoomTrack.Position();
    const std::int32_t taken = s_.zoomTrack.SetPosition(thumbPosition);
    // The slider shows something else than the model when the model moved or clamped.
    update.zoomTrackChanged = taken != before || taken != thumbPosition;
  }
  const double newZoom = ZoomFromTrackbarPosition(s_.zoomTrack.Position());
  if (newZoom == s_.zoom) return update;
  update.Merge(SetZoom(newZoom, true));
  update.titleChanged = true;
  return update;
}

ViewUpdate ViewCore::KeyDown(TrackbarKey key) {
  if (key == TrackbarKey::Up) key = TrackbarKey::PageUp;
  if (key == TrackbarKey::Down) key = TrackbarKey::PageDown;
  TrackbarModel& track = s_.zoomTrack;
  const std::int32_t position = track.Position();
  std::int64_t target = position;
  TrackbarCode code;
  switch (key) {
    case TrackbarKey::Left:
    case TrackbarKey::PageUp: {
      code = key == TrackbarKey::Left ? TrackbarCode::LineUp : TrackbarCode::PageUp;
      const std::int32_t step = key == TrackbarKey::Left ? track.LineSize() : track.PageSize();
      if (position > kUnitZoomPosition) {
        target = std::max<std::int64_t>(kUnitZoomPosition, std::int64_t{position} - step);
      } else if (position == kUnitZoomPosition && s_.zoom > 1.0) {
        target = kUnitZoomPosition;  // a restored zoom just above 1.00 stops at 1.00 first
      } else {
        target = std::int64_t{position} - 1;  // the next magnification
      }
      break;
    }
    case TrackbarKey::Right:
    case TrackbarKey::PageDown: {
      code = key == TrackbarKey::Right ? TrackbarCode::LineDown : TrackbarCode::PageDown;
      const std::int32_t step = key == TrackbarKey::Right ? track.LineSize() : track.PageSize();
      target = position < kUnitZoomPosition ? std::int64_t{position} + 1
                                            : std::int64_t{position} + step;
      break;
    }
    case TrackbarKey::Home:
      code = TrackbarCode::Top;
      target = track.Minimum();
      break;
    case TrackbarKey::End:
      code = TrackbarCode::Bottom;
      target = track.EffectiveMaximum();
      break;
    default:
      return {};
  }
  const std::int32_t taken = track.SetPosition(SaturateToInt32(target));
  if (taken == position && !(position == kUnitZoomPosition && s_.zoom > 1.0 &&
                             (code == TrackbarCode::LineUp || code == TrackbarCode::PageUp))) {
    return {};  // at the end it moves toward: nothing, as on a plain trackbar
  }
  ViewUpdate update = ZoomByTrackbar(code);
  update.zoomTrackChanged = true;
  return update;
}

TrackbarBackground ViewCore::ZoomTrackBackground() const {
  return s_.bitmapHeld ? TrackbarBackground::ButtonHighlight : TrackbarBackground::ButtonFace;
}

}  // namespace ridgeview::view
