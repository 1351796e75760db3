#include "view/core/view_units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view/core/trackbar_model.h"
#include "view/core/view_readouts.h"
#include "view/core/view_text.h"

namespace ridgeview::view {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ViewUnits, TruncationTowardZeroAndSaturation) {
  EXPECT_EQ(TruncToInt32(2.9), 2);
  EXPECT_EQ(TruncToInt32(-2.9), -2);
  EXPECT_EQ(TruncToInt32(2147483647.9), kMax);
  EXPECT_EQ(TruncToInt32(-2147483648.9), kMin);
  EXPECT_EQ(TruncToInt32(2147483648.0), kMax);
  EXPECT_EQ(TruncToInt32(-2147483649.0), kMin);
  EXPECT_EQ(TruncToInt32(1e300), kMax);
  EXPECT_EQ(TruncToInt32(-std::numeric_limits<double>::infinity()), kMin);
  EXPECT_EQ(TruncToInt32(std::nan("")), 0);
  EXPECT_EQ(SaturateToInt32(std::int64_t{1} << 40), kMax);
  EXPECT_EQ(SaturateToInt32(-(std::int64_t{1} << 40)), kMin);
}

TEST(ViewUnits, ToScreenMultipliesByTheReciprocal) {
  // 26 / 1.04 is exactly 25, but 26 * (1.0 / 1.04) lies just below it.
  EXPECT_EQ(ToScreen(26, 1.04), 24);
  // ... and the other way round: 535 / 1.07 lies just below 500, 535 * (1 / 1.07) does not.
  EXPECT_EQ(ToScreen(535, 1.07), 500);
  EXPECT_EQ(ToImage(25, 1.04), 26);
  EXPECT_EQ(ToImage(-7, 1.5), -10);  // toward zero, not down
  EXPECT_EQ(ToScreen(Size{500, 401}, 2.0), (Size{250, 200}));
}

TEST(ViewUnits, DegenerateZoomNeverLeavesTheIntRange) {
  EXPECT_EQ(ToScreen(5, 0.0), kMax);   // 5 * inf
  EXPECT_EQ(ToScreen(0, 0.0), 0);      // 0 * inf is NaN
  EXPECT_EQ(ToScreen(-5, 0.0), kMin);
  EXPECT_EQ(ToImage(kMax, 1e10), kMax);
  EXPECT_FALSE(IsUsableZoom(0.0));
  EXPECT_FALSE(IsUsableZoom(-1.0));
  EXPECT_FALSE(IsUsableZoom(std::nan("")));
  EXPECT_FALSE(IsUsableZoom(std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(IsUsableZoom(0.01));
}

TEST(ViewUnits, TrackbarPositionAndZoom) {
  EXPECT_EQ(TrackbarPositionFromZoom(1.0), 100);
  EXPECT_EQ(TrackbarPositionFromZoom(2.5), 250);
  // 1.15 * 100 and 1.16 * 100 are just below 115 and 116: a product that close to a whole
  // number is that position, not the one below it.
  EXPECT_EQ(TrackbarPositionFromZoom(1.15), 115);
  EXPECT_EQ(TrackbarPositionFromZoom(1.16), 116);
  EXPECT_EQ(ZoomFromTrackbarPosition(250), 2.5);
  EXPECT_EQ(ZoomFromTrackbarPosition(208), 2.08);
  // Every position's zoom (as the settings store it) comes back to that position.
  for (std::int32_t p = 100; p <= 2000; ++p) {
    EXPECT_EQ(TrackbarPositionFromZoom(ZoomFromTrackbarPosition(p)), p) << p;
  }
  // Zooms between positions still truncate.
  EXPECT_EQ(TrackbarPositionFromZoom(1.159), 115);
  EXPECT_EQ(TrackbarPositionFromZoom(1.1599999), 115);
  EXPECT_EQ(TrackbarPositionFromZoom(3e9), std::numeric_limits<std::int32_t>::max());
}

TEST(ViewText, ZoomHasTwoDecimalsRoundedLikePrintf) {
  EXPECT_EQ(FormatZoom(1.0), "1.00");
  EXPECT_EQ(FormatZoom(2.08), "2.08");
  EXPECT_EQ(FormatZoom(2.345), "2.35");  // the double is just above 2.345
  EXPECT_EQ(FormatZoom(2.675), "2.67");  // the double is just below 2.675
  EXPECT_EQ(FormatZoom(12345.0), "12345.00");
}

TEST(ViewReadouts, SettingsScrollPointRoundTripsThroughTheStartPoint) {
  // The start point (300, 400) at zoom 2.5 becomes offset (120, 160); storing it gives the
  // same point back.
  EXPECT_EQ(ToScreen(Point{300, 400}, 2.5), (Point{120, 160}));
  EXPECT_EQ(SettingsScrollPoint({120, 160}, 2.5), (Point{300, 400}));
  EXPECT_EQ(SettingsScrollPoint({7, 3}, 1.5), (Point{10, 4}));
}

TEST(ViewReadouts, VisibleOutlineOnTheThumbnail) {
  const Size big{4000, 4000};
  // Zoom 2: the client (240 x 268) covers 480 x 536 image pixels from (100, 60).
  EXPECT_EQ(VisibleOutline({50, 30}, {240, 268}, 2.0, 4.0, big), (Rect{25, 15, 120, 134}));
  // Factor 2.5: everything times 0.4, truncated (214.4 -> 214).
  EXPECT_EQ(VisibleOutline({50, 30}, {240, 268}, 2.0, 2.5, big), (Rect{40, 24, 192, 214}));
  // A thumbnail larger than the image (factor below 1) enlarges the outline.
  EXPECT_EQ(VisibleOutline({0, 0}, {10, 20}, 1.0, 0.5, big), (Rect{0, 0, 20, 40}));
  EXPECT_FALSE(VisibleOutline({0, 0}, {10, 10}, 1.0, 0.0, big));
  EXPECT_FALSE(VisibleOutline({0, 0}, {10, 10}, 1.0, -2.0, big));
  EXPECT_FALSE(VisibleOutline({0, 0}, {10, 10}, 1.0, std::nan(""), big));
}

TEST(ViewReadouts, VisibleOutlineOfAWholeImageStaysOnTheThumbnail) {
  // A 500 x 400 image in a 640 x 480 client: the outline is the whole thumbnail (fit 2.5:
  // 200 x 160), so its right and bottom strokes land on the thumbnail's last pixels.
  EXPECT_EQ(VisibleOutline({0, 0}, {640, 480}, 1.0, 2.5, {500, 400}), (Rect{0, 0, 200, 160}));
  // Magnified 4 x from content (400, 200): image pixels 100.. and 50.., 160 x 120 of them.
  EXPECT_EQ(VisibleOutline({400, 200}, {640, 480}, 0.25, 2.5, {500, 400}),
            (Rect{40, 20, 64, 48}));
  // Panned to the image's right end at zoom 2: clipped at the right edge.
  EXPECT_EQ(VisibleOutline({200, 0}, {100, 100}, 2.0, 1.0, {500, 400}), (Rect{400, 0, 100, 200}));
}

}  // namespace
}  // namespace ridgeview::view
