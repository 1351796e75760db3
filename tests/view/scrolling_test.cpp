// Moving the offset without a zoom change: scroll-bar requests, the wheel, resizing,
// panning with the stylus and turning the scroll bars off and on.
#include <gtest/gtest.h>

#include "view/core/view_core.h"

namespace ridgeview::view {
namespace {

// A 1000 x 1000 image in a 200 x 200 client at zoom 1: centred at (400, 400), line step 10,
// page step 200, offsets 0..800.
ViewCore BigView(bool scrollBarsOn) {
  ViewCore view(scrollBarsOn);
  view.Resize({200, 200});
  view.SetImage(Size{1000, 1000}, "scan", 1.0, {-1, -1}, {240, 268});
  return view;
}

class ScrollingBothModes : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(ScrollBars, ScrollingBothModes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST(ScrollBars, RequestsMoveByStepsAndScrollThePixels) {
  ViewCore view = BigView(true);
  ViewUpdate u = view.Scroll(Axis::Horizontal, ScrollAction::LineDown);
  EXPECT_EQ(view.State().offset, (Point{410, 400}));
  EXPECT_EQ(u.scrollBy, (Point{-10, 0}));
  EXPECT_FALSE(u.repaintAll);
  EXPECT_TRUE(u.scrollBarsChanged);
  EXPECT_EQ(view.State().horizontal.Position(), 410);

  u = view.Scroll(Axis::Vertical, ScrollAction::PageUp);
  EXPECT_EQ(view.State().offset, (Point{410, 200}));
  EXPECT_EQ(u.scrollBy, (Point{0, 200}));
  EXPECT_EQ(view.State().vertical.Position(), 200);

  u = view.Scroll(Axis::Horizontal, ScrollAction::ThumbTrack, 123);
  EXPECT_EQ(view.State().offset.x, 123);
  EXPECT_EQ(u.scrollBy.x, 410 - 123);
  view.Scroll(Axis::Horizontal, ScrollAction::ThumbPosition, 5000);
  EXPECT_EQ(view.State().offset.x, 800);
  view.Scroll(Axis::Horizontal, ScrollAction::Top);
  EXPECT_EQ(view.State().offset.x, 0);
  u = view.Scroll(Axis::Horizontal, ScrollAction::Bottom);
  EXPECT_EQ(view.State().offset.x, 800);
  EXPECT_EQ(u.scrollBy.x, -800);
  EXPECT_FALSE(view.Scroll(Axis::Horizontal, ScrollAction::EndScroll).Any());
}

TEST(ScrollBars, NothingMovesWhenTheContentFits) {
  ViewCore view(true);
  view.Resize({200, 200});
  view.SetImage(Size{1000, 150}, "wide", 1.0, {-1, -1}, {240, 268});
  for (ScrollAction a : {ScrollAction::LineDown, ScrollAction::PageDown, ScrollAction::Bottom}) {
    EXPECT_FALSE(view.Scroll(Axis::Vertical, a).Any());
  }
  EXPECT_FALSE(view.Scroll(Axis::Vertical, ScrollAction::ThumbTrack, 40).Any());
  EXPECT_EQ(view.State().offset.y, 0);
  EXPECT_FALSE(view.State().vertical.Visible());
  EXPECT_TRUE(view.State().horizontal.Visible());
}

TEST(Wheel, NotchesScrollThreeLinesAndCarryRemainders) {
  ViewCore view = BigView(true);
  EXPECT_FALSE(view.Wheel(-60).Any());  // half a notch: carried
  EXPECT_EQ(view.State().offset.y, 400);
  ViewUpdate u = view.Wheel(-60);  // completes one notch towards the user: down 3 lines
  EXPECT_EQ(view.State().offset.y, 430);
  EXPECT_EQ(u.scrollBy, (Point{0, -30}));
  view.Wheel(200);  // one notch up, 80 carried
  EXPECT_EQ(view.State().offset.y, 400);
  view.Wheel(40);  // 80 + 40: another notch
  EXPECT_EQ(view.State().offset.y, 370);
  EXPECT_EQ(view.State().wheelRemainder, 0);
  view.Wheel(-360);  // three notches at once: nine lines
  EXPECT_EQ(view.State().offset.y, 460);
  view.Wheel(-120 * 100);  // clamped at the bottom
  EXPECT_EQ(view.State().offset.y, 800);
  EXPECT_EQ(view.State().offset.x, 400);
}

TEST(Wheel, ScrollsSidewaysWhenTheContentIsNotTaller) {
  ViewCore view(true);
  view.Resize({200, 200});
  view.SetImage(Size{1000, 200}, "wide", 1.0, {-1, -1}, {240, 268});
  ASSERT_EQ(view.State().offset.x, 400);
  const ViewUpdate u = view.Wheel(-120);
  EXPECT_EQ(view.State().offset, (Point{430, 0}));
  EXPECT_EQ(u.scrollBy, (Point{-30, 0}));
}

TEST_P(ScrollingBothModes, ResizeClampsWithoutRecentring) {
  ViewCore view = BigView(GetParam());
  view.Scroll(Axis::Horizontal, ScrollAction::Bottom);
  view.Scroll(Axis::Vertical, ScrollAction::Bottom);
  ASSERT_EQ(view.State().offset, (Point{800, 800}));

  ViewUpdate u = view.Resize({300, 250});
  EXPECT_EQ(view.State().offset, (Point{700, 750}));
  EXPECT_EQ(u.scrollBy, (Point{100, 50}));
  EXPECT_FALSE(u.repaintAll);
  if (GetParam()) {
    EXPECT_EQ(view.State().horizontal.Page(), 300);
    EXPECT_EQ(view.State().horizontal.Position(), 700);
    EXPECT_EQ(view.State().vertical.Position(), 750);
  } else {
    EXPECT_FALSE(view.State().horizontal.Visible());
  }

  u = view.Resize({100, 100});  // smaller: room to scroll grows, offset stays
  EXPECT_EQ(view.State().offset, (Point{700, 750}));
  EXPECT_EQ(u.scrollBy, (Point{0, 0}));

  u = view.Resize({1200, -5});  // wider than the content; a negative height counts as 0
  EXPECT_EQ(view.State().clientSize, (Size{1200, 0}));
  EXPECT_EQ(view.State().offset, (Point{0, 750}));
  EXPECT_EQ(u.scrollBy, (Point{700, 0}));
}

TEST_P(ScrollingBothModes, PanFollowsTheStylusAndStopsAtTheEdges) {
  ViewCore view = BigView(GetParam());
  view.StylusDown({100, 100});
  ViewUpdate u = view.StylusMove({130, 90});  // right 30, up 10
  EXPECT_EQ(view.State().offset, (Point{370, 410}));
  EXPECT_TRUE(u.repaintAll);
  EXPECT_EQ(view.State().dragPoint, (Point{130, 90}));

  view.StylusMove({-5000, 90});
  EXPECT_EQ(view.State().offset, (Point{800, 410}));
  view.StylusMove({5000, 5000});
  EXPECT_EQ(view.State().offset, (Point{0, 0}));
  u = view.StylusMove({5001, 5001});  // already at the edge: still a full repaint
  EXPECT_EQ(view.State().offset, (Point{0, 0}));
  EXPECT_TRUE(u.repaintAll);
  if (GetParam()) {
    EXPECT_EQ(view.State().horizontal.Position(), 0);
  }
}

TEST_P(ScrollingBothModes, PanAtZoomTwoMovesAboutOnePixelPerPixel) {
  ViewCore view = BigView(GetParam());
  view.SetZoom(2.0, true);
  ASSERT_EQ(view.State().offset, (Point{150, 150}));
  view.StylusDown({50, 50});
  view.StylusMove({60, 47});
  EXPECT_EQ(view.State().offset, (Point{140, 153}));
}

TEST_P(ScrollingBothModes, TogglingTheBarsKeepsOffsetStepsAndZoom) {
  ViewCore view = BigView(GetParam());
  view.SetZoom(1.37, true);
  view.StylusDown({0, 0});
  view.StylusMove({-41, 17});
  const ViewState before = view.State();

  const ViewUpdate u = view.ToggleScrollBars();
  EXPECT_TRUE(u.repaintAll && u.scrollBarsChanged);
  const ViewState& s = view.State();
  if (s.scrollBarsOn) {  // turned on: the bars show the current offset
    EXPECT_EQ(s.horizontal.Maximum(), s.contentSize.w - 1);
    EXPECT_EQ(s.horizontal.Page(), 200);
    EXPECT_EQ(s.horizontal.Position(), before.offset.x);
    EXPECT_EQ(s.vertical.Position(), before.offset.y);
  } else {
    EXPECT_FALSE(s.horizontal.Visible() || s.vertical.Visible());
  }
  view.ToggleScrollBars();
  const ViewState& after = view.State();
  EXPECT_EQ(after.scrollBarsOn, before.scrollBarsOn);
  EXPECT_EQ(after.offset, before.offset);
  EXPECT_EQ(after.zoom, before.zoom);
  EXPECT_EQ(after.lineStep, before.lineStep);
  EXPECT_EQ(after.pageStep, before.pageStep);
}

}  // namespace
}  // namespace ridgeview::view
