// The state of one of the view's two scroll bars, kept in the view's own terms so that a widget
// can mirror it onto a toolkit scroll bar.
//
// The bar describes content of `maximum - minimum + 1` pixels of which `page` are visible; the
// thumb's position is the first visible content pixel. The view sets the range to
// 0..content-1 with the client size as page, and hides a bar by setting its range to 0..0.
//
// Mirroring onto a scroll bar whose range counts thumb positions (as Qt's does):
//   range 0..MaxPosition(), page step = page, value = position, visible = Visible().
#pragma once

#include <cstdint>

namespace ridgeview::view {

class ScrollBarModel {
 public:
  // Sets range, page and position together. A negative page counts as 0, a maximum below the
  // minimum as equal to it. The position is clamped to [minimum, MaxPosition()].
  void Set(std::int32_t minimum, std::int32_t maximum, std::int32_t page, std::int32_t position);

  // Moves the thumb, clamped to [minimum, MaxPosition()]. Returns the position taken.
  std::int32_t SetPosition(std::int32_t position);

  // Range 0..0: the bar is hidden. Page and position become 0.
  void Hide();

  std::int32_t Minimum() const { return minimum_; }
  std::int32_t Maximum() const { return maximum_; }
  std::int32_t Page() const { return page_; }
  std::int32_t Position() const { return position_; }

  // The largest position the thumb can take: maximum - (page - 1) when a page is set, never
  // below the minimum.
  std::int32_t MaxPosition() const;

  // Whether a widget should show this bar: the range is not 0..0 and there is more content
  // than one page, i.e. something to scroll.
  bool Visible() const;

  friend bool operator==(const ScrollBarModel&, const ScrollBarModel&) = default;

 private:
  std::int32_t minimum_ = 0;
  std::int32_t maximum_ = 0;
  std::int32_t page_ = 0;
  std::int32_t position_ = 0;
};

}  // namespace ridgeview::view
