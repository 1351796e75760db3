// The scroll-bar and trackbar models on their own.
#include <gtest/gtest.h>

#include <limits>

#include "view/core/scroll_bar_model.h"
#include "view/core/trackbar_model.h"

namespace ridgeview::view {
namespace {

TEST(ScrollBarModel, ThumbStopsOnePageBeforeTheEnd) {
  ScrollBarModel bar;
  bar.Set(0, 499, 240, 400);  // 500 pixels of content, 240 visible
  EXPECT_EQ(bar.MaxPosition(), 260);
  EXPECT_EQ(bar.Position(), 260);
  EXPECT_TRUE(bar.Visible());
  EXPECT_EQ(bar.SetPosition(-5), 0);
}

TEST(ScrollBarModel, HiddenWhenRangeIsEmptyOrContentFits) {
  ScrollBarModel bar;
  bar.Set(0, 499, 240, 10);
  bar.Hide();
  EXPECT_FALSE(bar.Visible());
  EXPECT_EQ(bar.Maximum(), 0);
  EXPECT_EQ(bar.Position(), 0);

  bar.Set(0, 99, 240, 50);  // content 100 in a client of 240: nothing to scroll
  EXPECT_FALSE(bar.Visible());
  EXPECT_EQ(bar.Position(), 0);

  bar.Set(0, -1, 10, 0);  // no content at all: treated as 0..0
  EXPECT_EQ(bar.Maximum(), 0);
  EXPECT_FALSE(bar.Visible());

  bar.Set(0, 240, 240, 1);  // one pixel more than a page
  EXPECT_TRUE(bar.Visible());
  EXPECT_EQ(bar.MaxPosition(), 1);
}

TEST(TrackbarModel, BareTrackbarTakesUpAndDownAsLines) {
  TrackbarModel t;
  t.SetRange(100, 208);
  t.SetPageSize(100);
  t.SetPosition(150);
  EXPECT_EQ(t.KeyDown(TrackbarKey::Down), TrackbarCode::LineDown);
  EXPECT_EQ(t.Position(), 151);
  EXPECT_EQ(t.KeyDown(TrackbarKey::Up), TrackbarCode::LineUp);
  EXPECT_EQ(t.Position(), 150);
  t.SetPosition(100);
  EXPECT_FALSE(t.KeyDown(TrackbarKey::Left));  // at the end: no notification
  EXPECT_FALSE(t.KeyDown(TrackbarKey::Home));
}

TEST(TrackbarModel, MaximumBelowMinimumHoldsThePositionAtTheMinimum) {
  // A 100 x 80 image on a 240 x 268 work area asks for the range 100..41.
  TrackbarModel t;
  t.SetRange(100, 41);
  t.SetPageSize(100);
  EXPECT_EQ(t.SetPosition(250), 100);
  EXPECT_EQ(t.Maximum(), 41);
  EXPECT_EQ(t.EffectiveMaximum(), 100);
  for (TrackbarKey k : {TrackbarKey::Left, TrackbarKey::Right, TrackbarKey::Up, TrackbarKey::Down,
                        TrackbarKey::PageUp, TrackbarKey::PageDown, TrackbarKey::Home,
                        TrackbarKey::End}) {
    EXPECT_FALSE(t.KeyDown(k));
    EXPECT_EQ(t.Position(), 100);
  }
  EXPECT_EQ(t.SetPosition(0), 100);
}

TEST(TrackbarModel, ExtremePositionsDoNotOverflow) {
  TrackbarModel t;
  t.SetRange(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
  t.SetPageSize(std::numeric_limits<std::int32_t>::max());
  t.SetPosition(std::numeric_limits<std::int32_t>::max() - 1);
  EXPECT_EQ(t.KeyDown(TrackbarKey::PageDown), TrackbarCode::PageDown);
  EXPECT_EQ(t.Position(), std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace ridgeview::view
