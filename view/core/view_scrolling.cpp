// Scroll-bar requests, the mouse wheel and resizing: the operations that move the offset
// without a zoom change and can therefore scroll the pixels already shown instead of
// repainting everything.
#include "view/core/view_core.h"

#include <algorithm>
#include <limits>

namespace ridgeview::view {

ViewUpdate ViewCore::Resize(Size newClientSize) {
  const Point before = s_.offset;
  s_.clientSize = {std::max<std::int32_t>(0, newClientSize.w),
                   std::max<std::int32_t>(0, newClientSize.h)};
  ViewUpdate update;
  if (s_.scrollBarsOn) {
    SetBarRanges();
    update.scrollBarsChanged = true;
  }
  ClampOffset();
  if (s_.scrollBarsOn) SetBarPositions();
  update.scrollBy = {SaturateToInt32(static_cast<std::int64_t>(before.x) - s_.offset.x),
                     SaturateToInt32(static_cast<std::int64_t>(before.y) - s_.offset.y)};
  return update;
}

// Moves one axis of the offset to target, clamped to [0, max(0, content - client)], and
// reports the move as a pixel scroll. Nothing is reported when the offset stays.
ViewUpdate ViewCore::ScrollAxisTo(Axis axis, std::int64_t target) {
  const bool horizontal = axis == Axis::Horizontal;
  std::int32_t& offset = horizontal ? s_.offset.x : s_.offset.y;
  const std::int64_t content = horizontal ? s_.contentSize.w : s_.contentSize.h;
  const std::int64_t client = horizontal ? s_.clientSize.w : s_.clientSize.h;
  const std::int64_t limit = std::max<std::int64_t>(0, content - client);
  const std::int32_t moved = static_cast<std::int32_t>(std::clamp<std::int64_t>(target, 0, limit));
  if (moved == offset) return {};

  ViewUpdate update;
  const std::int32_t delta = SaturateToInt32(static_cast<std::int64_t>(offset) - moved);
  offset = moved;
  (horizontal ? update.scrollBy.x : update.scrollBy.y) = delta;
  if (s_.scrollBarsOn) {
    SetBarPositions();
    update.scrollBarsChanged = true;
  }
  return update;
}

ViewUpdate ViewCore::Scroll(Axis axis, ScrollAction action, std::int32_t thumbPosition) {
  const bool horizontal = axis == Axis::Horizontal;
  const std::int64_t current = horizontal ? s_.offset.x : s_.offset.y;
  const std::int64_t line = horizontal ? s_.lineStep.x : s_.lineStep.y;
  const std::int64_t page = horizontal ? s_.pageStep.x : s_.pageStep.y;
  switch (action) {
    case ScrollAction::LineUp:
      return ScrollAxisTo(axis, current - line);
    case ScrollAction::LineDown:
      return ScrollAxisTo(axis, current + line);
    case ScrollAction::PageUp:
      return ScrollAxisTo(axis, current - page);
    case ScrollAction::PageDown:
      return ScrollAxisTo(axis, current + page);
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition:
      return ScrollAxisTo(axis, thumbPosition);
    case ScrollAction::Top:
      return ScrollAxisTo(axis, 0);
    case ScrollAction::Bottom:
      return ScrollAxisTo(axis, std::numeric_limits<std::int64_t>::max());
    case ScrollAction::EndScroll:
      break;
  }
  return {};
}

ViewUpdate ViewCore::Wheel(std::int32_t delta) {
  const std::int64_t total = static_cast<std::int64_t>(s_.wheelRemainder) + delta;
  const std::int64_t notches = total / kWheelDelta;  // toward zero: a remainder keeps its sign
  s_.wheelRemainder = static_cast<std::int32_t>(total % kWheelDelta);
  if (notches == 0) return {};

  const Axis axis =
      s_.contentSize.h > s_.clientSize.h ? Axis::Vertical : Axis::Horizontal;
  const std::int64_t line = axis == Axis::Vertical ? s_.lineStep.y : s_.lineStep.x;
  const std::int64_t current = axis == Axis::Vertical ? s_.offset.y : s_.offset.x;
  // Turning the wheel away from the user (positive) scrolls up or left.
  return ScrollAxisTo(axis, current - notches * kWheelLines * line);
}

}  // namespace ridgeview::view
