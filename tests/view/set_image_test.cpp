// Showing an image: scroll geometry, centring, the start point, the trackbar range and the
// state without an image.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view/core/paint_geometry.h"
#include "view/core/view_core.h"
#include "view/core/view_text.h"

namespace ridgeview::view {
namespace {

constexpr Size kClient{240, 268};
constexpr Size kWorkArea{240, 268};
constexpr Point kCentre{-1, -1};

ViewCore SizedView(bool scrollBarsOn, Size client = kClient) {
  ViewCore view(scrollBarsOn);
  view.Resize(client);
  return view;
}

class SetImageBothModes : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(ScrollBars, SetImageBothModes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_P(SetImageBothModes, LargerImageIsCentred) {
  ViewCore view = SizedView(GetParam());
  const ViewUpdate u = view.SetImage(Size{500, 500}, "scan", 1.0, kCentre, kWorkArea);
  const ViewState& s = view.State();
  EXPECT_TRUE(u.repaintAll && u.scrollBarsChanged && u.zoomTrackChanged && u.titleChanged);
  EXPECT_EQ(s.contentSize, (Size{500, 500}));
  EXPECT_EQ(s.offset, (Point{130, 116}));  // ((500 - 240) / 2, (500 - 268) / 2)
  EXPECT_EQ(s.lineStep, (Point{5, 5}));
  EXPECT_EQ(s.pageStep, (Point{240, 268}));
  EXPECT_EQ(s.zoomTrack.Maximum(), 208);  // max(50000 / 240, 50000 / 268)
  EXPECT_EQ(s.zoomTrack.PageSize(), 100);
  EXPECT_EQ(s.zoomTrack.Position(), 100);
  if (GetParam()) {
    EXPECT_EQ(s.horizontal.Maximum(), 499);
    EXPECT_EQ(s.horizontal.Page(), 240);
    EXPECT_EQ(s.horizontal.Position(), 130);
    EXPECT_EQ(s.vertical.Position(), 116);
  } else {
    EXPECT_FALSE(s.horizontal.Visible() || s.vertical.Visible());
  }
  const TitleText title = Title(s);
  EXPECT_TRUE(title.ownerDrawn);
  EXPECT_EQ(title.left, "Image: scan");
  EXPECT_EQ(title.right, "Zoom: 1.00");
  EXPECT_EQ(view.ZoomTrackBackground(), TrackbarBackground::ButtonHighlight);
}

TEST_P(SetImageBothModes, SmallerImageSitsTopLeftOnTheWindowColour) {
  ViewCore view = SizedView(GetParam());
  view.SetImage(Size{100, 80}, "small", 1.0, kCentre, kWorkArea);
  const ViewState& s = view.State();
  EXPECT_EQ(s.offset, (Point{0, 0}));
  EXPECT_EQ(s.pageStep, (Point{100, 80}));  // the client's 240 x 268 capped at the content
  EXPECT_EQ(s.lineStep, (Point{1, 1}));
  EXPECT_FALSE(s.horizontal.Visible() || s.vertical.Visible());
  const BackgroundStrips strips = EraseStrips(s.contentSize, s.clientSize);
  EXPECT_EQ(strips.right, (Rect{100, 0, 140, 268}));
  EXPECT_EQ(strips.below, (Rect{0, 80, 240, 188}));
  // The whole image is drawn 1:1 in the corner.
  EXPECT_EQ(PlanPaint(s, s.imageSize), (StretchPart{{0, 0, 100, 80}, {0, 0, 100, 80}}));
  // An image that fits the work area can still be reduced, down to a quarter.
  EXPECT_EQ(s.zoomTrack.Maximum(), 400);
  EXPECT_EQ(s.zoomTrack.Position(), 100);
}

TEST_P(SetImageBothModes, RestoredZoomAndStartPoint) {
  ViewCore view = SizedView(GetParam(), {200, 200});
  view.SetImage(Size{2000, 2000}, "scan", 2.5, {300, 400}, kWorkArea);
  EXPECT_EQ(view.State().offset, (Point{120, 160}));
  EXPECT_EQ(view.State().zoomTrack.Position(), 250);
  EXPECT_EQ(view.State().zoomTrack.Maximum(), 833);
  EXPECT_EQ(Title(view.State()).right, "Zoom: 2.50");

  // The same point on a smaller image is clamped: content 240 x 240 in a 200 x 200 client.
  view.SetImage(Size{600, 600}, "scan", 2.5, {300, 400}, kWorkArea);
  EXPECT_EQ(view.State().contentSize, (Size{240, 240}));
  EXPECT_EQ(view.State().offset, (Point{40, 40}));
}

TEST_P(SetImageBothModes, NoImage) {
  ViewCore view = SizedView(GetParam());
  view.SetImage(Size{500, 500}, "scan", 2.0, kCentre, kWorkArea);
  view.SetImage(std::nullopt, "ignored", 1.0, kCentre, kWorkArea);
  const ViewState& s = view.State();
  EXPECT_FALSE(s.hasImage);
  EXPECT_EQ(s.displayName, "");
  EXPECT_EQ(s.contentSize, (Size{1, 1}));
  EXPECT_EQ(s.offset, (Point{0, 0}));
  EXPECT_EQ(s.zoom, 1.0);
  EXPECT_EQ(s.zoomTrack.Maximum(), 0);  // 100 / 240 and 100 / 268
  EXPECT_EQ(s.zoomTrack.Position(), 100);
  const TitleText title = Title(s);
  EXPECT_FALSE(title.ownerDrawn);
  EXPECT_EQ(title.plain, "No image");
  EXPECT_FALSE(PlanPaint(s, {500, 500}));
  EXPECT_EQ(view.ZoomTrackBackground(), TrackbarBackground::ButtonFace);
  EXPECT_FALSE(view.StylusMove({10, 10}).Any());
}

TEST(SetImage, UnreadableSizeCountsAsOnePixel) {
  ViewCore view = SizedView(true);
  view.SetImage(Size{0, 7}, "odd", 1.0, kCentre, kWorkArea);
  EXPECT_TRUE(view.State().hasImage);
  EXPECT_EQ(view.State().imageSize, (Size{1, 1}));
  EXPECT_EQ(Title(view.State()).left, "Image: odd");
  view.SetImage(Size{-5, -5}, "odd", 1.0, kCentre, kWorkArea);
  EXPECT_EQ(view.State().imageSize, (Size{1, 1}));
}

TEST(SetImage, UnusableZoomBecomesOne) {
  ViewCore view = SizedView(true);
  for (double z : {0.0, -2.5, std::nan(""), std::numeric_limits<double>::infinity()}) {
    view.SetImage(Size{500, 500}, "scan", z, kCentre, kWorkArea);
    EXPECT_EQ(view.State().zoom, 1.0);
    EXPECT_EQ(view.State().contentSize, (Size{500, 500}));
  }
}

TEST(SetImage, UnsizedClientAndEmptyWorkArea) {
  ViewCore view(true);  // never resized: client 0 x 0
  view.SetImage(Size{500, 300}, "scan", 1.0, kCentre, {0, -4});
  const ViewState& s = view.State();
  EXPECT_EQ(s.pageStep, (Point{50, 30}));  // no client page: a tenth of the content
  EXPECT_EQ(s.offset, (Point{250, 150}));  // centring on an empty client
  EXPECT_EQ(s.zoomTrack.Maximum(), 50000);  // an empty work area counts as 1 pixel
}

TEST(SetImage, TinyZoomSaturatesAndStaysConsistent) {
  ViewCore view = SizedView(true);
  view.SetImage(Size{500, 500}, "scan", 1e-9, kCentre, kWorkArea);
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(view.State().contentSize, (Size{big, big}));
  view.Scroll(Axis::Horizontal, ScrollAction::Bottom);
  EXPECT_EQ(view.State().offset.x, big - 240);
  view.Wheel(-120 * 1000);
  view.StylusDown({0, 0});
  view.StylusMove({-30000, -30000});
  view.Resize({100, 100});
  view.ToggleScrollBars();
  view.SetZoom(1e-12, true);
  const ViewState& s = view.State();
  EXPECT_GE(s.offset.x, 0);
  EXPECT_LE(s.offset.x, big - s.clientSize.w);
  EXPECT_GE(s.offset.y, 0);
  EXPECT_LE(s.offset.y, big - s.clientSize.h);
}

TEST(SetImage, ReleasedBitmapStopsPaintAndPanButKeepsTheView) {
  ViewCore view = SizedView(true);
  view.SetImage(Size{500, 500}, "scan", 1.0, kCentre, kWorkArea);
  view.ReleaseBitmap();
  EXPECT_TRUE(view.State().hasImage);
  EXPECT_FALSE(PlanPaint(view.State(), {500, 500}));
  view.StylusDown({0, 0});
  EXPECT_FALSE(view.StylusMove({50, 50}).Any());
  EXPECT_EQ(view.State().offset, (Point{130, 116}));
  EXPECT_TRUE(view.RestoreBitmap().repaintAll);
  EXPECT_TRUE(PlanPaint(view.State(), {500, 500}));

  // Without an image there is nothing to restore.
  view.SetImage(std::nullopt, "", 1.0, kCentre, kWorkArea);
  EXPECT_FALSE(view.RestoreBitmap().Any());
  EXPECT_FALSE(view.State().bitmapHeld);
}

}  // namespace
}  // namespace ridgeview::view
