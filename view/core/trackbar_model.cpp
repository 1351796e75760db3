#include "view/core/trackbar_model.h"

#include <algorithm>
#include <cmath>

#include "view/core/view_units.h"

namespace ridgeview::view {

void TrackbarModel::SetRange(std::int32_t minimum, std::int32_t maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  SetPosition(position_);
}

void TrackbarModel::SetPageSize(std::int32_t page) { page_ = std::max<std::int32_t>(1, page); }

std::int32_t TrackbarModel::SetPosition(std::int32_t position) {
  position_ = std::clamp(position, minimum_, EffectiveMaximum());
  return position_;
}

std::optional<TrackbarCode> TrackbarModel::KeyDown(TrackbarKey key) {
  const std::int32_t old = position_;
  std::int64_t target = old;
  TrackbarCode code;
  switch (key) {
    case TrackbarKey::Left:
    case TrackbarKey::Up:
      target -= LineSize();
      code = TrackbarCode::LineUp;
      break;
    case TrackbarKey::Right:
    case TrackbarKey::Down:
      target += LineSize();
      code = TrackbarCode::LineDown;
      break;
    case TrackbarKey::PageUp:
      target -= page_;
      code = TrackbarCode::PageUp;
      break;
    case TrackbarKey::PageDown:
      target += page_;
      code = TrackbarCode::PageDown;
      break;
    case TrackbarKey::Home:
      target = minimum_;
      code = TrackbarCode::Top;
      break;
    case TrackbarKey::End:
      target = EffectiveMaximum();
      code = TrackbarCode::Bottom;
      break;
    default:
      return std::nullopt;
  }
  if (SetPosition(SaturateToInt32(target)) == old) return std::nullopt;
  return code;
}

double ZoomFromTrackbarPosition(std::int32_t position) {
  if (position >= kUnitZoomPosition) return static_cast<double>(position) * 0.01;
  const std::int32_t p = std::max(position, kMagnifyMinimumPosition);
  return std::ldexp(1.0, p - kUnitZoomPosition);
}

std::int32_t TrackbarPositionFromZoom(double zoom) {
  const double scaled = zoom * 100.0;
  if (scaled < 100.0 - 1e-9) {
    // A magnification: the position of the largest power-of-two zoom not above it.
    std::int32_t position = kUnitZoomPosition - 1;
    while (position > kMagnifyMinimumPosition &&
           zoom < ZoomFromTrackbarPosition(position)) {
      --position;
    }
    return position;
  }
  // A zoom stored from a position (1.16) multiplies back to just below it (115.99999...):
  // within 1e-9 of a whole number the product is that number, else it truncates.
  const double nearest = std::round(scaled);
  if (std::fabs(scaled - nearest) <= 1e-9) return TruncToInt32(nearest);
  return TruncToInt32(scaled);
}

}  // namespace ridgeview::view
