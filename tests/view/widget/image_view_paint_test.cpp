// What the view paints: the decoded print pixel for pixel, window-colour strips, zoomed paints,
// rendered depths, and the states without a (valid) bitmap.
#include <gtest/gtest.h>

#include <QPalette>

#include "document/pixel_convert.h"
#include "view/core/paint_geometry.h"
#include "view/widget/image_view.h"
#include "widget_test_support.h"

namespace ridgeview::view {
namespace {

using namespace ridgeview::view::testing;

QRgb WindowColour(const QWidget& w) { return w.palette().color(QPalette::Base).rgb(); }

// Counts client pixels that differ from expected(x, y) (a gray value, or -2 for the window
// colour).
int Mismatches(ImageView& view, const std::function<int(int, int)>& expected) {
  const QImage shot = GrabDevice(view);
  const Size client = view.clientSize();
  int bad = 0;
  for (int y = 0; y < client.h; ++y) {
    for (int x = 0; x < client.w; ++x) {
      const int want = expected(x, y);
      const bool ok = want == -2 ? shot.pixel(x, y) == WindowColour(view)
                                 : GrayAt(shot, x, y) == want;
      if (!ok && ++bad <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  }
  return bad;
}

// The pattern as the paint geometry maps it onto the client for the view's current state.
std::function<int(int, int)> PatternByGeometry(const ImageView& view) {
  const ViewState& s = view.core().State();
  const Rect src = PaintSourceRect(s.offset, s.clientSize, s.zoom);
  const Size client = s.clientSize;
  return [src, client](int x, int y) {
    return Pattern(SourcePixel(x, src.x, src.w, client.w), SourcePixel(y, src.y, src.h, client.h));
  };
}

TEST(ImageViewPaint, DecodedPrintAtZoomOneIsPixelForPixel) {
  const DecodedPrint print = DecodePrint();
  ASSERT_EQ(print.width, 419);
  ASSERT_EQ(print.height, 331);
  for (const bool bars : {false, true}) {
    SCOPED_TRACE(bars ? "scroll bars on" : "scroll bars off");
    ImageView view(nullptr, bars);
    ShowDeviceSized(view, 300, 200);
    std::optional<document::Image> image =
        document::GrayToImage(print.gray, print.width, print.height);
    ASSERT_TRUE(image);
    view.SetImage(std::make_unique<document::Image>(std::move(*image)), "print", 1.0, -1, -1);
    const Size client = view.clientSize();
    const Point o = view.offset();
    // Centred: half the difference between image and client, in device pixels.
    EXPECT_EQ(o, (Point{(419 - client.w) / 2, (331 - client.h) / 2}));
    EXPECT_EQ(Mismatches(view, [&](int x, int y) {
                return print.gray[static_cast<std::size_t>(o.y + y) * 419 + o.x + x];
              }),
              0);
  }
}

TEST(ImageViewPaint, SmallImageSitsTopLeftOnWindowColour) {
  ImageView view;
  ShowDeviceSized(view, 200, 150);
  view.SetImage(MakeGray(40, 30, Pattern), "small", 1.0, -1, -1);
  EXPECT_EQ(view.offset(), (Point{0, 0}));
  EXPECT_TRUE(view.horizontalBar()->isHidden());  // the content fits: nothing to scroll
  EXPECT_TRUE(view.verticalBar()->isHidden());
  EXPECT_EQ(Mismatches(view, [](int x, int y) { return x < 40 && y < 30 ? Pattern(x, y) : -2; }),
            0);
}

TEST(ImageViewPaint, NoImageOrInvalidBitmapShowsOnlyWindowColour) {
  ImageView view;
  ShowDeviceSized(view, 120, 90);
  EXPECT_EQ(Mismatches(view, [](int, int) { return -2; }), 0);

  auto broken = std::make_unique<document::Image>();
  broken->width = 50;
  broken->height = -40;  // no pixel rows at all
  view.SetImage(std::move(broken), "broken", 1.0, -1, -1);
  EXPECT_EQ(view.imageSize(), (Size{1, 1}));
  EXPECT_EQ(view.displayName(), "broken");
  EXPECT_EQ(Mismatches(view, [](int, int) { return -2; }), 0);
}

TEST(ImageViewPaint, ZoomedPaintsPickNearestSourcePixels) {
  ImageView view(nullptr, false);
  view.SetSmooth(false);  // "Exact pixels": one picked source pixel per client pixel
  ShowDeviceSized(view, 100, 80);
  // Reduced by 2: every second pixel, starting at the offset's image point.
  view.SetImage(MakeGray(400, 300, Pattern), "z", 2.0, 100, 50);
  EXPECT_EQ(view.offset(), (Point{50, 25}));
  EXPECT_EQ(view.contentSize(), (Size{200, 150}));
  EXPECT_EQ(Mismatches(view, [](int x, int y) { return Pattern(100 + 2 * x, 50 + 2 * y); }), 0);

  // Enlarged by 2: each pixel a 2 x 2 square from the content's origin; a fractional
  // reduction follows the paint geometry's mapping exactly.
  view.SetImage(MakeGray(400, 300, Pattern), "z", 0.5, 10, 20);
  EXPECT_EQ(view.offset(), (Point{20, 40}));
  EXPECT_EQ(Mismatches(view, [](int x, int y) { return Pattern(10 + x / 2, 20 + y / 2); }), 0);
  view.SetImage(MakeGray(400, 300, Pattern), "z", 1.37, 33, 21);
  EXPECT_EQ(Mismatches(view, PatternByGeometry(view)), 0);
}

TEST(ImageViewPaint, ReducedImageSmallerThanViewGetsStrips) {
  ImageView view;
  view.SetSmooth(false);
  ShowDeviceSized(view, 200, 150);
  view.SetImage(MakeGray(100, 80, Pattern), "r", 2.0, -1, -1);
  EXPECT_EQ(view.contentSize(), (Size{50, 40}));
  EXPECT_EQ(Mismatches(view, [](int x, int y) {
              return x < 50 && y < 40 ? Pattern(2 * x, 2 * y) : -2;
            }),
            0);
}

TEST(ImageViewPaint, PaletteBitmapIsRenderedOnce) {
  // 8 bits per pixel, bottom row stored first: not wrappable, rendered to 24 bits.
  std::optional<document::Image> image = document::CreateImage(3, 2, 8);
  ASSERT_TRUE(image);
  image->colourTable = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
  const std::uint8_t bottom[3] = {0, 1, 2}, top[3] = {2, 2, 0};
  std::copy(bottom, bottom + 3, image->pixels.begin());
  std::copy(top, top + 3, image->pixels.begin() + static_cast<long>(image->Stride()));
  ImageView view;
  ShowDeviceSized(view, 60, 40);
  view.SetImage(std::make_unique<document::Image>(std::move(*image)), "pal", 1.0, 0, 0);
  const QImage shot = GrabDevice(view);
  EXPECT_EQ(shot.pixel(0, 0), qRgb(0, 0, 255));  // top row: index 2 = blue
  EXPECT_EQ(shot.pixel(2, 0), qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(0, 1), qRgb(255, 0, 0));  // bottom row: index 0 = red
  EXPECT_EQ(shot.pixel(1, 1), qRgb(0, 255, 0));
  EXPECT_EQ(shot.pixel(3, 1), WindowColour(view));
}

TEST(ImageViewPaint, CornerBetweenTwoBarsIsFilled) {
  ImageView view;
  ShowDeviceSized(view, 150, 120);
  view.SetImage(MakeGray(500, 500, Pattern), "big", 1.0, -1, -1);
  ASSERT_FALSE(view.horizontalBar()->isHidden());
  ASSERT_FALSE(view.verticalBar()->isHidden());
  const QImage shot = GrabDevice(view);
  const qreal dpr = view.devicePixelRatioF();
  const QPoint corner(qRound((view.width() - 1) * dpr), qRound((view.height() - 1) * dpr));
  EXPECT_EQ(shot.pixel(corner), view.palette().color(QPalette::Window).rgb());
}

TEST(ImageViewOwnership, SameBitmapIsKeptAndOthersReplaceIt) {
  ImageView view;
  ShowDeviceSized(view, 100, 100);
  std::unique_ptr<document::Image> first = MakeGray(20, 20, Pattern);
  document::Image* raw = first.get();
  view.SetImage(std::move(first), "one", 1.0, -1, -1);
  // Handing the held bitmap in again must neither free it nor own it twice.
  view.SetImage(std::unique_ptr<document::Image>(raw), "again", 1.0, -1, -1);
  EXPECT_EQ(view.bitmap(), raw);
  EXPECT_EQ(view.displayName(), "again");
  view.SetImage(MakeGray(30, 10, Pattern), std::nullopt, 1.0, -1, -1);
  EXPECT_NE(view.bitmap(), nullptr);
  EXPECT_EQ(view.displayName(), "");
  EXPECT_EQ(view.imageSize(), (Size{30, 10}));
  view.SetImage(nullptr, "ignored", 1.0, -1, -1);
  EXPECT_EQ(view.bitmap(), nullptr);
  EXPECT_EQ(view.displayName(), "");
}

TEST(ImageViewOwnership, ReleaseKeepsViewStateAndReplacePaintsAgain) {
  ImageView view(nullptr, false);
  view.SetSmooth(false);
  ShowDeviceSized(view, 100, 80);
  EXPECT_FALSE(view.ReplaceBitmap(MakeGray(10, 10, Pattern)));  // nothing shown to reload into
  EXPECT_EQ(view.bitmap(), nullptr);

  view.SetImage(MakeGray(300, 200, Pattern), "scan", 1.5, 60, 30);
  const Point offset = view.offset();
  view.ReleaseBitmap();
  EXPECT_EQ(view.bitmap(), nullptr);
  EXPECT_EQ(view.displayName(), "scan");
  EXPECT_EQ(view.zoom(), 1.5);
  EXPECT_EQ(view.offset(), offset);
  EXPECT_EQ(Mismatches(view, [](int, int) { return -2; }), 0);

  ASSERT_TRUE(view.ReplaceBitmap(MakeGray(300, 200, Pattern)));
  EXPECT_EQ(view.offset(), offset);
  EXPECT_EQ(Mismatches(view, PatternByGeometry(view)), 0);
}

}  // namespace
}  // namespace ridgeview::view
