// Magnification and the zoom ladder: the trackbar's mapping below 1.00, the arrow keys at and
// across 1.00, Ctrl + wheel / Plus / Minus / 0 / 9 keeping their anchor point, panning at
// magnification, the pixel under a client point, and the readout and measurement texts.
#include <gtest/gtest.h>

#include <cmath>

#include "view/core/trackbar_model.h"
#include "view/core/view_core.h"
#include "view/core/view_text.h"
#include "view_test_support.h"
#include "view/core/zoom_steps.h"

namespace ridgeview::view {
namespace {

using testing::kCentre;
using testing::ShownView;

// The image point (with fractions) under the centre of client pixel a.
double ImageX(const ViewState& s, std::int32_t a) { return (s.offset.x + a + 0.5) * s.zoom; }
double ImageY(const ViewState& s, std::int32_t a) { return (s.offset.y + a + 0.5) * s.zoom; }

TEST(TrackbarMapping, MagnificationsSitBelowOneHundred) {
  EXPECT_EQ(ZoomFromTrackbarPosition(99), 0.5);
  EXPECT_EQ(ZoomFromTrackbarPosition(98), 0.25);
  EXPECT_EQ(ZoomFromTrackbarPosition(97), 0.125);
  EXPECT_EQ(ZoomFromTrackbarPosition(96), 0.0625);
  EXPECT_EQ(ZoomFromTrackbarPosition(95), 0.0625);  // nothing beyond 16 x
  EXPECT_EQ(ZoomFromTrackbarPosition(-7), 0.0625);
  // From 100 up p / 100, as before.
  EXPECT_EQ(ZoomFromTrackbarPosition(100), 1.0);
  EXPECT_EQ(ZoomFromTrackbarPosition(101), 1.01);
  EXPECT_EQ(ZoomFromTrackbarPosition(156), 1.56);

  for (std::int32_t p = 96; p <= 1000; ++p) {
    EXPECT_EQ(TrackbarPositionFromZoom(ZoomFromTrackbarPosition(p)), p) << p;
  }
  // A zoom between two magnifications sits at the larger zoom's position below it.
  EXPECT_EQ(TrackbarPositionFromZoom(0.75), 99);
  EXPECT_EQ(TrackbarPositionFromZoom(0.3), 98);
  EXPECT_EQ(TrackbarPositionFromZoom(0.0625), 96);
  EXPECT_EQ(TrackbarPositionFromZoom(0.01), 96);
  EXPECT_EQ(TrackbarPositionFromZoom(0.9999999999999), 100);  // within 1e-9 of 1.00
}

TEST(ZoomLadder, StepsThroughMagnificationsOneAndReductions) {
  const double up[] = {0.0625, 0.125, 0.25, 0.5, 1.0, 1.25, 1.5, 2, 3, 4, 6, 8, 12, 16, 24};
  for (std::size_t i = 0; i + 1 < std::size(up); ++i) {
    EXPECT_EQ(SmallerZoom(up[i]), up[i + 1]) << up[i];
    EXPECT_EQ(LargerZoom(up[i + 1]), up[i]) << up[i + 1];
  }
  EXPECT_EQ(LargerZoom(0.0625), 0.0625);  // 16 x is the end
  // Off the ladder: to the next value in the step's direction.
  EXPECT_EQ(SmallerZoom(1.37), 1.5);
  EXPECT_EQ(LargerZoom(1.37), 1.25);
  EXPECT_EQ(SmallerZoom(0.3), 0.5);
  EXPECT_EQ(LargerZoom(0.3), 0.25);
  EXPECT_EQ(SmallerZoom(1.16), 1.25);
  EXPECT_EQ(LargerZoom(1.001), 1.0);
  EXPECT_EQ(LargerZoom(1.0000000001), 0.5);  // within 1e-9 of 1.00 counts as 1.00
}

TEST(ZoomLadder, FitZoomFitsTheClient) {
  // A 2000 x 1600 print in a 1280 x 1024 view: 1.5625, up to the next position, 1.57.
  EXPECT_DOUBLE_EQ(FitZoom({2000, 1600}, {1280, 1024}), 1.57);
  EXPECT_LE(ToScreen(Size{2000, 1600}, FitZoom({2000, 1600}, {1280, 1024})).w, 1280);
  EXPECT_EQ(FitZoom({1280, 1024}, {1280, 1024}), 1.0);
  EXPECT_EQ(FitZoom({200, 100}, {450, 450}), 0.5);  // 2 x fits, 4 x does not
  EXPECT_EQ(FitZoom({20, 10}, {450, 450}), 0.0625);
  EXPECT_EQ(FitZoom({300, 300}, {450, 450}), 1.0);  // 2 x would not fit
  EXPECT_EQ(FitZoom({0, 10}, {450, 450}), 1.0);
}

TEST(MagnifyTrackbar, RangeStartsAtSixteenTimesWithAnImageOnly) {
  ViewCore empty(true);
  empty.Resize({200, 200});
  empty.SetImage(std::nullopt, "", 1.0, kCentre, {240, 268});
  EXPECT_EQ(empty.State().zoomTrack.Minimum(), 100);
  EXPECT_EQ(empty.State().zoomTrack.Position(), 100);
  EXPECT_FALSE(empty.KeyDown(TrackbarKey::Left).Any());
  EXPECT_FALSE(empty.ZoomLarger().Any());

  ViewCore view = ShownView(true, {500, 500}, {200, 200});
  EXPECT_EQ(view.State().zoomTrack.Minimum(), 96);
  EXPECT_EQ(view.State().zoomTrack.Maximum(), 208);

  // A restored magnification sits at its position.
  ViewCore restored(false);
  restored.Resize({200, 200});
  restored.SetImage(Size{500, 500}, "scan", 0.25, {100, 100}, {240, 268});
  EXPECT_EQ(restored.State().zoomTrack.Position(), 98);
  EXPECT_EQ(restored.State().contentSize, (Size{2000, 2000}));
  EXPECT_EQ(restored.State().offset, (Point{400, 400}));

  // Huge images keep every content coordinate within 32 bits.
  EXPECT_EQ(ViewCore::MagnifyMinimumFor({300000000, 10}), 99);
  EXPECT_EQ(ViewCore::MagnifyMinimumFor({600000000, 10}), 100);
  EXPECT_EQ(ViewCore::MagnifyMinimumFor({65535, 65535}), 96);
}

TEST(MagnifyKeys, ArrowStepsAtAndAcrossOne) {
  ViewCore view = ShownView(true, {2000, 2000}, {200, 200});
  ASSERT_GE(view.State().zoomTrack.Maximum(), 300);

  // A Page step that would cross 1.00 stops there; the next one goes on to 1/2.
  view.ZoomByTrackbar(TrackbarCode::ThumbPosition, 150);
  view.KeyDown(TrackbarKey::Up);
  EXPECT_EQ(view.State().zoom, 1.0);
  EXPECT_EQ(view.State().zoomTrack.Position(), 100);
  ViewUpdate u = view.KeyDown(TrackbarKey::Up);
  EXPECT_EQ(view.State().zoom, 0.5);
  EXPECT_TRUE(u.repaintAll && u.titleChanged && u.zoomTrackChanged);
  EXPECT_EQ(Title(view.State()).right, "Zoom: 0.50");
  view.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(view.State().zoom, 0.25);
  EXPECT_EQ(Title(view.State()).right, "Zoom: 0.25");  // 4 x
  view.KeyDown(TrackbarKey::Up);
  view.KeyDown(TrackbarKey::Up);
  EXPECT_EQ(view.State().zoom, 0.0625);
  EXPECT_FALSE(view.KeyDown(TrackbarKey::Left).Any());  // the end
  EXPECT_FALSE(view.KeyDown(TrackbarKey::Up).Any());

  // Down / Right back toward 1.00, one doubling at a time, never past it in one step.
  view.KeyDown(TrackbarKey::Down);
  EXPECT_EQ(view.State().zoom, 0.125);
  view.KeyDown(TrackbarKey::Right);
  EXPECT_EQ(view.State().zoom, 0.25);
  view.KeyDown(TrackbarKey::Down);
  view.KeyDown(TrackbarKey::Down);
  EXPECT_EQ(view.State().zoom, 1.0);
  view.KeyDown(TrackbarKey::Down);
  EXPECT_EQ(view.State().zoom, 2.0);  // the page step of 1.00 again
  view.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(view.State().zoom, 1.99);

  // A Left step from 1.01 stops at 1.00 and only the next one magnifies.
  view.ZoomByTrackbar(TrackbarCode::ThumbPosition, 101);
  view.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(view.State().zoom, 1.0);
  view.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(view.State().zoom, 0.5);

  // A restored zoom just above 1.00 (thumb at 100) stops at 1.00 first, too.
  ViewCore restored(true);
  restored.Resize({200, 200});
  restored.SetImage(Size{2000, 2000}, "scan", 1.005, kCentre, {240, 268});
  ASSERT_EQ(restored.State().zoomTrack.Position(), 100);
  EXPECT_TRUE(restored.KeyDown(TrackbarKey::Left).Any());
  EXPECT_EQ(restored.State().zoom, 1.0);
  restored.KeyDown(TrackbarKey::Left);
  EXPECT_EQ(restored.State().zoom, 0.5);
}

class MagnifyBothModes : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(ScrollBars, MagnifyBothModes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_P(MagnifyBothModes, KeysKeepTheCentreExactly) {
  ViewCore view = ShownView(GetParam(), {1000, 800}, {300, 200});
  for (const TrackbarKey key : {TrackbarKey::Left, TrackbarKey::Up, TrackbarKey::Left,
                                TrackbarKey::Up, TrackbarKey::Down, TrackbarKey::Right,
                                TrackbarKey::Down, TrackbarKey::Down}) {
    const double cx = ImageX(view.State(), 150);
    const double cy = ImageY(view.State(), 100);
    view.KeyDown(key);
    // The image point under the centre stays within half a device pixel (of the new zoom).
    EXPECT_NEAR(ImageX(view.State(), 150), cx, 0.5 * view.State().zoom + 1e-9);
    EXPECT_NEAR(ImageY(view.State(), 100), cy, 0.5 * view.State().zoom + 1e-9);
  }
  EXPECT_EQ(view.State().zoom, 1.0);
}

TEST_P(MagnifyBothModes, WheelKeepsThePointUnderThePointer) {
  ViewCore view = ShownView(GetParam(), {1000, 800}, {300, 200});
  const Point pointer{37, 151};
  const double ix = ImageX(view.State(), pointer.x);
  const double iy = ImageY(view.State(), pointer.y);
  // Two notches away from the user: two ladder steps larger (1/2, then 1/4); each step keeps
  // the point within half a device pixel of its zoom (0.25 + 0.125 image pixels in all).
  ViewUpdate u = view.ZoomWheel(2 * ViewCore::kWheelDelta, pointer);
  EXPECT_EQ(view.State().zoom, 0.25);
  EXPECT_TRUE(u.repaintAll && u.zoomTrackChanged && u.titleChanged);
  EXPECT_EQ(view.State().zoomTrack.Position(), 98);
  EXPECT_NEAR(ImageX(view.State(), pointer.x), ix, 0.375 + 1e-9);
  EXPECT_NEAR(ImageY(view.State(), pointer.y), iy, 0.375 + 1e-9);
  // Half a notch does nothing yet; the other half completes a step back.
  EXPECT_FALSE(view.ZoomWheel(-60, pointer).Any());
  view.ZoomWheel(-60, pointer);
  EXPECT_EQ(view.State().zoom, 0.5);
  view.ZoomWheel(-3 * ViewCore::kWheelDelta, pointer);
  EXPECT_EQ(view.State().zoom, 1.5);  // 1.00, 1.25, 1.50
  EXPECT_NEAR(ImageX(view.State(), pointer.x), ix, 2.0);
}

TEST_P(MagnifyBothModes, CtrlKeysStepAndStopAtTheTrackbarsEnds) {
  ViewCore view = ShownView(GetParam(), {500, 500}, {200, 200});  // trackbar max 2.08
  view.ZoomSmaller();
  EXPECT_EQ(view.State().zoom, 1.25);
  view.ZoomSmaller();
  view.ZoomSmaller();
  EXPECT_EQ(view.State().zoom, 2.0);
  view.ZoomSmaller();
  EXPECT_EQ(view.State().zoom, 2.08);  // the trackbar's maximum, not 3
  EXPECT_EQ(view.State().zoomTrack.Position(), 208);
  EXPECT_FALSE(view.ZoomSmaller().Any());
  view.ZoomToOne();
  EXPECT_EQ(view.State().zoom, 1.0);
  EXPECT_EQ(view.State().zoomTrack.Position(), 100);
  for (int i = 0; i < 4; ++i) view.ZoomLarger();
  EXPECT_EQ(view.State().zoom, 0.0625);
  EXPECT_EQ(view.State().contentSize, (Size{8000, 8000}));
  EXPECT_FALSE(view.ZoomLarger().Any());
  view.ZoomToFit();
  EXPECT_EQ(view.State().zoom, 2.5);  // 500 / 200, beyond the trackbar's maximum
  EXPECT_EQ(view.State().zoomTrack.Position(), 208);
  EXPECT_EQ(view.State().offset, (Point{0, 0}));
}

TEST(MagnifyPan, EveryDevicePixelOfMovementPans) {
  for (const bool bars : {false, true}) {
    ViewCore view = ShownView(bars, {500, 500}, {200, 200});
    view.ZoomToOne();
    view.KeyDown(TrackbarKey::Left);
    view.KeyDown(TrackbarKey::Left);
    ASSERT_EQ(view.State().zoom, 0.25);
    const Point start = view.State().offset;
    view.StylusDown({100, 100});
    view.StylusMove({99, 100});
    EXPECT_EQ(view.State().offset, (Point{start.x + 1, start.y}));
    view.StylusMove({99, 97});
    EXPECT_EQ(view.State().offset, (Point{start.x + 1, start.y + 3}));
    if (bars) EXPECT_EQ(view.State().horizontal.Position(), start.x + 1);
  }
}

TEST(PixelUnderPointer, FollowsTheDrawingOfEachZoom) {
  ViewCore view = ShownView(false, {400, 300}, {100, 80});
  // 1.00, centred: offset (150, 110).
  EXPECT_EQ(view.ImagePixelAt({0, 0}), (Point{150, 110}));
  EXPECT_EQ(view.ImagePixelAt({99, 79}), (Point{249, 189}));
  EXPECT_FALSE(view.ImagePixelAt({100, 0}));
  EXPECT_FALSE(view.ImagePixelAt({-1, 0}));

  // 4 x: each image pixel 4 device pixels wide.
  view.SetImage(Size{400, 300}, "m", 0.25, {10, 20}, {240, 268});
  ASSERT_EQ(view.State().offset, (Point{40, 80}));
  EXPECT_EQ(view.ImagePixelAt({0, 0}), (Point{10, 20}));
  EXPECT_EQ(view.ImagePixelAt({3, 3}), (Point{10, 20}));
  EXPECT_EQ(view.ImagePixelAt({4, 7}), (Point{11, 21}));
  const ClientPointF centre = view.ClientPointOf({11, 21});
  EXPECT_DOUBLE_EQ(centre.x, 6.0);
  EXPECT_DOUBLE_EQ(centre.y, 6.0);

  // Smoothed reduction by 2: the pixel under the centre of the covered span.
  view.SetImage(Size{400, 300}, "r", 2.0, {0, 0}, {240, 268});
  EXPECT_EQ(view.ImagePixelAt({10, 5}), (Point{21, 11}));
  // Picked: the picked pixel.
  view.SetSmooth(false);
  EXPECT_EQ(view.ImagePixelAt({10, 5}), (Point{20, 10}));
  // Beyond the content (a reduced image smaller than the client): nothing.
  view.SetImage(Size{100, 80}, "small", 2.0, {0, 0}, {240, 268});
  EXPECT_FALSE(view.ImagePixelAt({60, 10}));
  // A released bitmap shows nothing.
  view.ReleaseBitmap();
  EXPECT_FALSE(view.ImagePixelAt({1, 1}));
}

TEST(ReadoutText, GrayColourAndMillimetres) {
  PixelValue gray;
  gray.red = gray.green = gray.blue = 137;
  EXPECT_EQ(FormatReadout({812, 640}, gray, std::nullopt), "x 812  y 640  gray 137");
  PixelValue colour;
  colour.gray = false;
  colour.red = 10;
  colour.green = 20;
  colour.blue = 30;
  EXPECT_EQ(FormatReadout({812, 640}, colour, std::nullopt), "x 812  y 640  r 10 g 20 b 30");
  // 500 ppi: 19685 pixels per metre.
  const std::optional<Resolution> r = ResolutionFromPixelsPerMetre(19685, 19685);
  ASSERT_TRUE(r);
  EXPECT_EQ(FormatReadout({812, 640}, gray, r), "x 812 (41.25 mm)  y 640 (32.51 mm)  gray 137");
  EXPECT_FALSE(ResolutionFromPixelsPerMetre(0, 0));
  EXPECT_FALSE(ResolutionFromPixelsPerMetre(-5, 0));
  EXPECT_DOUBLE_EQ(ResolutionFromPixelsPerMetre(0, 2000)->xPerMm, 2.0);
}

TEST(MeasureText, PixelsAndMillimetres) {
  EXPECT_EQ(FormatMeasure({0, 0}, {30, 40}, std::nullopt), "length 50.0 px");
  EXPECT_EQ(FormatMeasure({10, 10}, {10, 10}, std::nullopt), "length 0.0 px");
  const std::optional<Resolution> r = ResolutionFromPixelsPerMetre(20000, 10000);
  EXPECT_EQ(FormatMeasure({0, 0}, {60, 80}, r), "length 100.0 px  8.54 mm");  // 3 mm, 8 mm
  EXPECT_EQ(TitleMiddle("x 1  y 2  gray 3", "length 5.0 px"),
            "x 1  y 2  gray 3   length 5.0 px");
  EXPECT_EQ(TitleMiddle("", "length 5.0 px"), "length 5.0 px");
  EXPECT_EQ(TitleMiddle("x 1", ""), "x 1");
}

}  // namespace
}  // namespace ridgeview::view
