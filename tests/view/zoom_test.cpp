// Zooming: the centre point, the carried-over scroll steps, the trackbar and the keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "view/core/view_core.h"
#include "view/core/view_text.h"
#include "view_test_support.h"

namespace ridgeview::view {
namespace {

using testing::kCentre;
using testing::ShownView;

// The image point under the client's centre.
Point CentrePoint(const ViewState& s) {
  return {ToImage(s.offset.x, s.zoom) + ToImage(s.clientSize.w / 2, s.zoom),
          ToImage(s.offset.y, s.zoom) + ToImage(s.clientSize.h / 2, s.zoom)};
}

class ZoomBothModes : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(ScrollBars, ZoomBothModes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_P(ZoomBothModes, ExactCentreAtDoubleZoom) {
  ViewCore view = ShownView(GetParam(), {1000, 1000}, {200, 200});
  ASSERT_EQ(view.State().offset, (Point{400, 400}));
  const ViewUpdate u = view.SetZoom(2.0, true);
  EXPECT_TRUE(u.repaintAll);
  EXPECT_TRUE(u.titleChanged);
  EXPECT_EQ(view.State().zoom, 2.0);
  EXPECT_EQ(view.State().contentSize, (Size{500, 500}));
  EXPECT_EQ(view.State().offset, (Point{150, 150}));
  EXPECT_EQ(CentrePoint(view.State()), (Point{500, 500}));
  EXPECT_EQ(Title(view.State()).right, "Zoom: 2.00");
}

TEST_P(ZoomBothModes, CentreStaysUpToTruncation) {
  ViewCore view = ShownView(GetParam(), {4000, 3000}, {200, 150});
  view.StylusDown({0, 0});
  view.StylusMove({137, 71});  // off the exact centre of the image
  for (int position : {101, 137, 208, 250, 333, 399, 120, 100}) {
    const Point before = CentrePoint(view.State());
    const double zoom = position * 0.01;
    view.SetZoom(zoom, true);
    const Point after = CentrePoint(view.State());
    // Each of the few truncations loses less than one screen pixel, i.e. `zoom` image pixels.
    const int tolerance = static_cast<int>(std::ceil(2 * zoom)) + 2;
    EXPECT_LE(std::abs(after.x - before.x), tolerance) << "zoom " << zoom;
    EXPECT_LE(std::abs(after.y - before.y), tolerance) << "zoom " << zoom;
  }
}

TEST_P(ZoomBothModes, RangeEndClampsTheOffset) {
  ViewCore view = ShownView(GetParam(), {500, 500}, {240, 268});
  view.ZoomByTrackbar(TrackbarCode::ThumbPosition, 208);
  EXPECT_EQ(view.State().zoom, 2.08);
  EXPECT_EQ(view.State().contentSize, (Size{240, 240}));  // the whole image fits
  EXPECT_EQ(view.State().offset, (Point{0, 0}));
}

TEST(Zoom, ScrollStepsKeepTheirImageSize) {
  ViewCore view = ShownView(true, {1000, 1000}, {200, 200});
  ASSERT_EQ(view.State().lineStep, (Point{10, 10}));
  ASSERT_EQ(view.State().pageStep, (Point{200, 200}));
  view.SetZoom(4.0, true);
  EXPECT_EQ(view.State().lineStep, (Point{2, 2}));
  EXPECT_EQ(view.State().pageStep, (Point{50, 50}));
  EXPECT_EQ(view.State().horizontal.Maximum(), 249);
  EXPECT_EQ(view.State().horizontal.Page(), 200);
  EXPECT_EQ(view.State().horizontal.Position(), view.State().offset.x);
  view.SetZoom(1.0, true);
  EXPECT_EQ(view.State().lineStep, (Point{8, 8}));
  EXPECT_EQ(view.State().pageStep, (Point{200, 200}));
  // A step that vanishes at a large zoom falls back to the content-derived one.
  view.SetZoom(20.0, true);  // content 50: line 8 / 20 -> 0 -> max(1, 50 / 100)
  EXPECT_EQ(view.State().lineStep, (Point{1, 1}));
  EXPECT_EQ(view.State().pageStep, (Point{10, 10}));
}

TEST(Zoom, UnusableZoomIsIgnored) {
  ViewCore view = ShownView(true, {1000, 1000}, {200, 200});
  for (double z : {0.0, -1.0, std::nan("")}) {
    EXPECT_FALSE(view.SetZoom(z, true).Any());
    EXPECT_EQ(view.State().zoom, 1.0);
    EXPECT_EQ(view.State().offset, (Point{400, 400}));
  }
}

TEST(ZoomTrack, ArrowKeysZoomThroughTheTrackbar) {
  ViewCore view = ShownView(true, {500, 500}, {240, 268});
  ASSERT_EQ(view.State().zoomTrack.Maximum(), 208);

  view.ZoomByTrackbar(TrackbarCode::ThumbPosition, 180);
  ASSERT_EQ(view.State().zoom, 1.8);
  ViewUpdate u = view.KeyDown(TrackbarKey::Up);  // Page Up: -100, clamped
  EXPECT_EQ(view.State().zoomTrack.Position(), 100);
  EXPECT_EQ(view.State().zoom, 1.0);
  EXPECT_TRUE(u.repaintAll && u.titleChanged && u.zoomTrackChanged);

  view.ZoomByTrackbar(TrackbarCode::ThumbPosition, 150);
  view.KeyDown(TrackbarKey::Down);  // Page Down: +100, clamped
  EXPECT_EQ(view.State().zoomTrack.Position(), 208);
  EXPECT_EQ(view.State().zoom, 2.08);
  EXPECT_FALSE(view.KeyDown(TrackbarKey::Down).Any());  // already at the end

  view.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(view.State().zoom, 2.07);
  view.KeyDown(TrackbarKey::Right);
  EXPECT_EQ(view.State().zoom, 2.08);
  view.KeyDown(TrackbarKey::Home);  // the trackbar's low end: 16 x
  EXPECT_EQ(view.State().zoom, 0.0625);
  view.KeyDown(TrackbarKey::End);
  EXPECT_EQ(view.State().zoom, 2.08);
}

TEST(ZoomTrack, SamePositionDoesNothing) {
  ViewCore view = ShownView(true, {500, 500}, {240, 268});
  EXPECT_FALSE(view.ZoomByTrackbar(TrackbarCode::ThumbTrack, 100).Any());
  EXPECT_FALSE(view.ZoomByTrackbar(TrackbarCode::EndTrack).Any());

  ViewCore restored(false);
  restored.Resize({200, 200});
  restored.SetImage(Size{2000, 2000}, "scan", 2.5, {300, 400}, {240, 268});
  EXPECT_FALSE(restored.ZoomByTrackbar(TrackbarCode::ThumbTrack, 250).Any());
  EXPECT_EQ(restored.State().offset, (Point{120, 160}));
}

TEST(ZoomTrack, OtherCodesReadTheTrackbarsPosition) {
  ViewCore view = ShownView(true, {500, 500}, {240, 268});
  // A line notification carries no position: the trackbar's own (100) is used, which is
  // the current zoom, so nothing happens even though the notification's value says 150.
  EXPECT_FALSE(view.ZoomByTrackbar(TrackbarCode::LineDown, 150).Any());
  EXPECT_EQ(view.State().zoom, 1.0);
}

TEST(ZoomTrack, ThumbBeyondTheRangeIsClamped) {
  ViewCore view = ShownView(true, {500, 500}, {240, 268});
  const ViewUpdate u = view.ZoomByTrackbar(TrackbarCode::ThumbTrack, 5000);
  EXPECT_TRUE(u.zoomTrackChanged);
  EXPECT_EQ(view.State().zoomTrack.Position(), 208);
  EXPECT_EQ(view.State().zoom, 2.08);
  view.ZoomByTrackbar(TrackbarCode::ThumbTrack, -7);  // the low end: 16 x
  EXPECT_EQ(view.State().zoom, 0.0625);
  EXPECT_EQ(view.State().zoomTrack.Position(), 96);
}

TEST(ZoomTrack, RestoredZoomOnASmallImage) {
  // A small image's range is 100..400: a restored zoom of 2.5 sits at position 250, and Down
  // (a page) moves on to 350.
  ViewCore view(true);
  view.Resize({240, 268});
  view.SetImage(Size{100, 80}, "small", 2.5, {0, 0}, {240, 268});
  EXPECT_EQ(view.State().zoomTrack.Position(), 250);
  EXPECT_TRUE(view.KeyDown(TrackbarKey::Down).Any());
  EXPECT_EQ(view.State().zoom, 3.5);
}

}  // namespace
}  // namespace ridgeview::view
