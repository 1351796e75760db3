// What a paint covers: the source rectangle, its part inside the bitmap, where that lands on
// the client, the nearest-neighbour mapping and the erased strips.
#include "view/core/paint_geometry.h"

#include <gtest/gtest.h>

#include <limits>

#include "view/core/view_core.h"

namespace ridgeview::view {
namespace {

TEST(PaintGeometry, SourceRectIsOffsetAndClientInImageUnits) {
  EXPECT_EQ(PaintSourceRect({0, 0}, {240, 268}, 1.0), (Rect{0, 0, 240, 268}));
  EXPECT_EQ(PaintSourceRect({150, 33}, {200, 150}, 2.5), (Rect{375, 82, 500, 375}));
}

TEST(PaintGeometry, OnlyTheBitmapsPartIsStretched) {
  // 101 x 50 at zoom 2 in a 200 x 200 client: the source (0, 0, 400, 400) reaches far beyond
  // the bitmap; 51 columns and 25 rows of the client show bitmap pixels.
  const Rect source = PaintSourceRect({0, 0}, {200, 200}, 2.0);
  const auto part = VisiblePart(source, {200, 200}, {101, 50});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->source, (Rect{0, 0, 101, 50}));
  EXPECT_EQ(part->destination, (Rect{0, 0, 51, 25}));
  // The last destination column shows the last bitmap column, the next would be outside.
  EXPECT_EQ(SourcePixel(50, 0, 400, 200), 100);
  EXPECT_EQ(SourcePixel(51, 0, 400, 200), 102);
}

TEST(PaintGeometry, DestinationPixelsMapInsideTheClippedSource) {
  // For many shapes, every destination pixel of the visible part maps into its source part,
  // and its neighbours just outside map outside the bitmap.
  for (int zoomStep = 50; zoomStep <= 400; zoomStep += 37) {
    const double zoom = zoomStep * 0.01;
    for (Point offset : {Point{0, 0}, Point{3, 7}, Point{17, 11}}) {
      const Size client{97, 61};
      const Size bitmap{113, 89};
      const Rect source = PaintSourceRect(offset, client, zoom);
      const auto part = VisiblePart(source, client, bitmap);
      ASSERT_TRUE(part) << zoom;
      const Rect& d = part->destination;
      EXPECT_GE(d.x, 0);
      EXPECT_LE(d.x + d.w, client.w);
      for (int x = d.x; x < d.x + d.w; ++x) {
        const int s = SourcePixel(x, source.x, source.w, client.w);
        EXPECT_GE(s, part->source.x);
        EXPECT_LT(s, part->source.x + part->source.w);
      }
      if (d.x + d.w < client.w) {
        EXPECT_GE(SourcePixel(d.x + d.w, source.x, source.w, client.w), bitmap.w);
      }
      if (d.y + d.h < client.h) {
        EXPECT_GE(SourcePixel(d.y + d.h, source.y, source.h, client.h), bitmap.h);
      }
    }
  }
}

TEST(PaintGeometry, SourceBeforeTheBitmapIsSkipped) {
  const auto part = VisiblePart({-10, 0, 20, 10}, {20, 10}, {5, 5});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->source, (Rect{0, 0, 5, 5}));
  EXPECT_EQ(part->destination, (Rect{10, 0, 5, 5}));
}

TEST(PaintGeometry, NothingVisible) {
  EXPECT_FALSE(VisiblePart({500, 0, 100, 100}, {100, 100}, {500, 500}));  // beyond the right
  EXPECT_FALSE(VisiblePart({0, 0, 0, 100}, {100, 100}, {500, 500}));      // empty source
  EXPECT_FALSE(VisiblePart({0, 0, 100, 100}, {0, 100}, {500, 500}));      // empty client
  EXPECT_FALSE(VisiblePart({0, 0, 100, 100}, {100, 100}, {0, 0}));        // empty bitmap
  // One bitmap column, 3.x destination pixels in at a 10x reduction: no whole pixel shows it.
  EXPECT_FALSE(VisiblePart({-3, 0, 100, 100}, {10, 10}, {1, 100}));
}

TEST(PaintGeometry, ExtremeRectanglesStayInRange) {
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  const std::int32_t small = std::numeric_limits<std::int32_t>::min();
  // A source starting near INT32_MIN: the products of the clip reach 2^62 but no further.
  const auto part = VisiblePart({small + 10, small + 10, big, big}, {big, big}, {big, big});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->source, (Rect{0, 0, 9, 9}));
  EXPECT_EQ(part->destination, (Rect{big - 9, big - 9, 9, 9}));
  EXPECT_EQ(SourcePixel(big, big, big, 1), big);
  EXPECT_EQ(SourcePixel(-1, 0, 3, 2), -2);  // floor, not truncation
  EXPECT_EQ(SourcePixel(5, 7, 10, 0), 7);
}

TEST(PaintGeometry, PlanFollowsTheViewAndTheBitmapHeld) {
  ViewCore view(true);
  view.Resize({200, 200});
  view.SetImage(Size{1000, 1000}, "scan", 1.0, {-1, -1}, {240, 268});
  const auto part = PlanPaint(view.State(), {1000, 1000});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->source, (Rect{400, 400, 200, 200}));
  EXPECT_EQ(part->destination, (Rect{0, 0, 200, 200}));
  // A reloaded bitmap that came back smaller is clipped to its real size.
  const auto clipped = PlanPaint(view.State(), {500, 450});
  ASSERT_TRUE(clipped);
  EXPECT_EQ(clipped->source, (Rect{400, 400, 100, 50}));
  EXPECT_EQ(clipped->destination, (Rect{0, 0, 100, 50}));
}

TEST(PaintGeometry, EraseStripsRightAndBelowASmallContent) {
  BackgroundStrips strips = EraseStrips({100, 80}, {240, 268});
  EXPECT_EQ(strips.right, (Rect{100, 0, 140, 268}));
  EXPECT_EQ(strips.below, (Rect{0, 80, 240, 188}));

  strips = EraseStrips({500, 80}, {240, 268});  // only shorter
  EXPECT_FALSE(strips.right);
  EXPECT_EQ(strips.below, (Rect{0, 80, 240, 188}));

  strips = EraseStrips({240, 268}, {240, 268});  // exactly as large: nothing erased
  EXPECT_FALSE(strips.right);
  EXPECT_FALSE(strips.below);
}

}  // namespace
}  // namespace ridgeview::view
