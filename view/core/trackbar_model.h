// The zoom trackbar as a plain model: range, page size, line size and position, and the key
// handling of a conventional trackbar control. A widget mirrors it onto its slider and feeds
// the slider's key presses and drags back through it, so that the keys behave the same on
// every toolkit.
//
// Position p >= 100 stands for zoom p * 0.01 (100 is 1.00). Below 100 the positions are the
// magnifications, one position per doubling: 99 is zoom 1/2, 98 1/4, 97 1/8 and 96 1/16
// (16 x). The view sets the range to 96..max when it shows an image (see ViewCore::SetImage),
// and to the single position 100 without one.
//
// Mirroring onto a slider: range Minimum()..EffectiveMaximum(), page step PageSize(), single
// step LineSize(), value Position(). The slider's own key handling should be bypassed in favour
// of KeyDown so that the clamping and notifications below hold.
#pragma once

#include <cstdint>
#include <optional>

namespace ridgeview::view {

// Scroll notification codes of a trackbar, the reason its position changed.
enum class TrackbarCode : std::int32_t {
  LineUp = 0,         // Left arrow: -line size
  LineDown = 1,       // Right arrow: +line size
  PageUp = 2,         // Page Up: -page size
  PageDown = 3,       // Page Down: +page size
  ThumbPosition = 4,  // the thumb was released at a position
  ThumbTrack = 5,     // the thumb is being dragged
  Top = 6,            // Home: the minimum
  Bottom = 7,         // End: the maximum
  EndTrack = 8,       // a key or the thumb was released
};

// Keys a trackbar understands. Up and Down are line moves on a bare trackbar; the image view
// forwards them as Page Up and Page Down instead (ViewCore::KeyDown).
enum class TrackbarKey { Left, Right, Up, Down, PageUp, PageDown, Home, End };

class TrackbarModel {
 public:
  static constexpr std::int32_t kDefaultLineSize = 1;

  // Sets the range as given and clamps the position into it. A maximum below the minimum is
  // kept as the requested maximum (Maximum() reports it) but the control then behaves as the
  // single position `minimum`: see EffectiveMaximum().
  void SetRange(std::int32_t minimum, std::int32_t maximum);

  // Page size for Page Up / Page Down; values below 1 count as 1.
  void SetPageSize(std::int32_t page);

  // Moves the thumb, clamped to [Minimum(), EffectiveMaximum()]. Returns the position taken.
  std::int32_t SetPosition(std::int32_t position);

  // Handles a key press. Returns the notification code when the key moved the position; when
  // the key is not one of the trackbar's or the position was already at the end it moves
  // towards, nothing changes and nullopt is returned.
  std::optional<TrackbarCode> KeyDown(TrackbarKey key);

  std::int32_t Minimum() const { return minimum_; }
  std::int32_t Maximum() const { return maximum_; }
  // The largest reachable position: the maximum, or the minimum when the maximum lies below it.
  std::int32_t EffectiveMaximum() const { return maximum_ < minimum_ ? minimum_ : maximum_; }
  std::int32_t PageSize() const { return page_; }
  std::int32_t LineSize() const { return kDefaultLineSize; }
  std::int32_t Position() const { return position_; }

 private:
  std::int32_t minimum_ = 0;
  std::int32_t maximum_ = 100;
  std::int32_t page_ = 20;
  std::int32_t position_ = 0;
};

// The position of zoom 1.00, the first magnification position (16 x) and the zoom it stands
// for, the smallest zoom the view takes from its controls.
inline constexpr std::int32_t kUnitZoomPosition = 100;
inline constexpr std::int32_t kMagnifyMinimumPosition = 96;
inline constexpr double kSmallestZoom = 0.0625;

// The zoom a trackbar position stands for: position * 0.01 in double precision from 100 up;
// 2^(position - 100) for 96..99 (1/16 .. 1/2); 1/16 below 96.
double ZoomFromTrackbarPosition(std::int32_t position);

// The trackbar position for a zoom: for zooms from 1.00 up trunc(zoom * 100.0), saturated to
// the 32-bit range, a product within 1e-9 of a whole number being taken as that number
// (1.16 * 100 is 115.99999...); for zooms below 1.00 the magnification position whose zoom is
// the largest one not above it (0.75 -> 99, 0.5 -> 99, 0.3 -> 98, 0.0625 and less -> 96).
std::int32_t TrackbarPositionFromZoom(double zoom);

}  // namespace ridgeview::view
