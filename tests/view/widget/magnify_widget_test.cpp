// The desktop viewer's view: crisp magnification by whole device pixels, area-averaged
// reductions (made once, panned by copying), "Exact pixels", Ctrl + wheel, the pixel readout
// and Shift + drag measuring in the title strip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

#include "view/core/paint_geometry.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"
#include "widget_test_support.h"

namespace ridgeview::view {
namespace {

using namespace ridgeview::view::testing;

void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  QMouseEvent event(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, modifiers);
  QApplication::sendEvent(&w, &event);
}

void CtrlWheel(QWidget& w, QPoint pos, int delta) {
  QWheelEvent event(QPointF(pos), QPointF(w.mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &event);
}

// Device pixels whose gray differs from expected(x, y) inside the client's first w x h.
int Mismatches(ImageView& view, int w, int h, const std::function<int(int, int)>& expected,
               int tolerance = 0) {
  const QImage shot = GrabDevice(view);
  int bad = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int got = GrayAt(shot, x, y);
      if (got < 0 || std::abs(got - expected(x, y)) > tolerance) {
        if (++bad <= 3) ADD_FAILURE() << "pixel " << x << "," << y << " is " << got;
      }
    }
  }
  return bad;
}

struct Rig : ViewRig {
  Rig() : ViewRig(200, 160, true) {}
};

TEST(MagnifiedPaint, EveryImagePixelIsAnExactSquare) {
  Rig rig;
  for (const int factor : {2, 4, 8, 16}) {
    SCOPED_TRACE(factor);
    rig.view.SetImage(MakeGray(300, 200, Pattern), "m", 1.0 / factor, 37, 21);
    const Point o = rig.view.offset();
    ASSERT_EQ(o, (Point{37 * factor, 21 * factor}));
    const Size client = rig.view.clientSize();
    EXPECT_EQ(Mismatches(rig.view, client.w, client.h,
                         [&](int x, int y) {
                           return Pattern((o.x + x) / factor, (o.y + y) / factor);
                         }),
              0);
  }
  // Panning by one device pixel moves the squares by one pixel, not by a whole square.
  rig.view.SetImage(MakeGray(300, 200, Pattern), "m", 0.25, 37, 21);
  Press(rig.view, {100, 100});
  Move(rig.view, {90, 100});
  Move(rig.view, {89, 100});
  Release(rig.view, {89, 100});
  const Point o = rig.view.offset();
  const qreal dpr = rig.view.devicePixelRatioF();
  EXPECT_EQ(o.x, 37 * 4 + static_cast<int>(std::floor(100 * dpr)) -
                     static_cast<int>(std::floor(89 * dpr)));
  const Size client = rig.view.clientSize();
  EXPECT_EQ(Mismatches(rig.view, client.w, client.h,
                       [&](int x, int y) { return Pattern((o.x + x) / 4, (o.y + y) / 4); }),
            0);
}

// The exact area-weighted mean of Pattern over content pixel (cx, cy) at zoom f.
double MeanOf(double f, int cx, int cy, int w, int h) {
  double sum = 0, area = 0;
  const double x0 = cx * f, x1 = std::min((cx + 1) * f, double(w));
  const double y0 = cy * f, y1 = std::min((cy + 1) * f, double(h));
  for (int y = int(std::floor(y0)); y < std::ceil(y1); ++y) {
    for (int x = int(std::floor(x0)); x < std::ceil(x1); ++x) {
      const double a = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                       (std::min(y1, y + 1.0) - std::max(y0, double(y)));
      sum += a * Pattern(x, y);
      area += a;
    }
  }
  return sum / area;
}

TEST(SmoothReduction, EachScreenPixelIsTheMeanOfWhatItCovers) {
  Rig rig;
  rig.view.SetImage(MakeGray(1000, 800, Pattern), "r", 1.56, 100, 60);
  ASSERT_TRUE(rig.view.smooth());
  const Size client = rig.view.clientSize();
  const auto expected = [&](int x, int y) {
    const Point o = rig.view.offset();
    return static_cast<int>(std::lround(MeanOf(1.56, o.x + x, o.y + y, 1000, 800)));
  };
  EXPECT_EQ(Mismatches(rig.view, client.w, client.h, expected, 1), 0);
  // Panned: the same content pixels, copied from the reduction made once.
  rig.view.SetZoom(1.56);  // same zoom: nothing changes
  Press(rig.view, {100, 100});
  Move(rig.view, {80, 90});
  Move(rig.view, {70, 77});
  Release(rig.view, {70, 77});
  EXPECT_EQ(Mismatches(rig.view, client.w, client.h, expected, 1), 0);
}

TEST(SmoothReduction, ExactPixelsReturnsToThePicking) {
  Rig rig;
  rig.view.SetImage(MakeGray(1000, 800, Pattern), "r", 2.0, 100, 60);
  rig.view.SetSmooth(false);
  const ViewState& s = rig.view.core().State();
  const Rect src = PaintSourceRect(s.offset, s.clientSize, s.zoom);
  const Size client = s.clientSize;
  EXPECT_EQ(Mismatches(rig.view, client.w, client.h,
                       [&](int x, int y) {
                         return Pattern(SourcePixel(x, src.x, src.w, client.w),
                                        SourcePixel(y, src.y, src.h, client.h));
                       }),
            0);
  EXPECT_FALSE(rig.view.holdsReduction());
  rig.view.SetSmooth(true);
  EXPECT_EQ(Mismatches(rig.view, client.w, client.h,
                       [&](int x, int y) {
                         return static_cast<int>(std::lround(
                             MeanOf(2.0, s.offset.x + x, s.offset.y + y, 1000, 800)));
                       },
                       1),
            0);
  EXPECT_TRUE(rig.view.holdsReduction());
  // Leaving the reductions (1.00, a magnification, "Exact pixels") gives its memory back at the
  // next paint.
  for (const double zoom : {1.0, 0.5}) {
    rig.view.SetSmooth(true);
    rig.view.SetZoom(2.0);
    GrabDevice(rig.view);
    ASSERT_TRUE(rig.view.holdsReduction());
    rig.view.SetZoom(zoom);
    GrabDevice(rig.view);
    EXPECT_FALSE(rig.view.holdsReduction()) << zoom;
  }
  rig.view.SetZoom(2.0);
  GrabDevice(rig.view);
  rig.view.SetSmooth(false);
  GrabDevice(rig.view);
  EXPECT_FALSE(rig.view.holdsReduction());
}

TEST(CtrlWheel, ZoomsAboutThePointer) {
  Rig rig;
  rig.view.SetImage(MakeGray(1000, 800, Pattern), "w", 1.0, 300, 200);
  const qreal dpr = rig.view.devicePixelRatioF();
  const QPoint pointer(50, 40);
  const Point device{static_cast<int>(50 * dpr), static_cast<int>(40 * dpr)};
  const std::optional<Point> before = rig.view.core().ImagePixelAt(device);
  ASSERT_TRUE(before);
  CtrlWheel(rig.view, pointer, 120);
  EXPECT_EQ(rig.view.zoom(), 0.5);
  EXPECT_EQ(rig.slider.value(), 99);
  CtrlWheel(rig.view, pointer, 120);
  EXPECT_EQ(rig.view.zoom(), 0.25);
  EXPECT_EQ(rig.title.title().right, "Zoom: 0.25");
  EXPECT_EQ(rig.view.core().ImagePixelAt(device), before);
  CtrlWheel(rig.view, pointer, -240);
  EXPECT_EQ(rig.view.zoom(), 1.0);
  EXPECT_EQ(rig.view.core().ImagePixelAt(device), before);
  // A plain wheel still scrolls.
  const Point offset = rig.view.offset();
  Wheel(rig.view, {0, -120});
  EXPECT_EQ(rig.view.zoom(), 1.0);
  EXPECT_NE(rig.view.offset(), offset);
}

TEST(PixelReadout, FollowsThePointerAndGoesWhenItLeaves) {
  Rig rig;
  rig.view.SetImage(MakeGray(400, 300, Pattern), "p", 0.25, 10, 20);
  const qreal dpr = rig.view.devicePixelRatioF();
  const QPoint at(qRound(9 / dpr), qRound(5 / dpr));  // device (9, 5) or near it
  Move(rig.view, at, Qt::NoButton);
  const std::optional<Point> pixel = rig.view.core().ImagePixelAt(
      {static_cast<int>(std::floor(at.x() * dpr)), static_cast<int>(std::floor(at.y() * dpr))});
  ASSERT_TRUE(pixel);
  const std::string text = "x " + std::to_string(pixel->x) + "  y " + std::to_string(pixel->y) +
                           "  gray " + std::to_string(Pattern(pixel->x, pixel->y));
  EXPECT_EQ(rig.view.readoutText(), text);
  EXPECT_EQ(rig.title.title().middle, text);
  EXPECT_EQ(rig.title.title().left, "Image: p");
  EXPECT_EQ(rig.title.title().right, "Zoom: 0.25");
  EXPECT_EQ(rig.title.accessibleName().toStdString(), "Image: p  " + text + "  Zoom: 0.25");

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&rig.view, &leave);
  EXPECT_EQ(rig.view.readoutText(), "");
  EXPECT_EQ(rig.title.title().middle, "");

  // Colour images read out red, green and blue; a resolution adds millimetres.
  std::optional<document::Image> colour = document::CreateImage(50, -40, 24);
  ASSERT_TRUE(colour);
  for (std::uint64_t y = 0; y < colour->RowCount(); ++y) {
    std::uint8_t* row = colour->TopDownRow(y);
    for (int x = 0; x < colour->width; ++x) {
      row[3 * x] = 30;      // blue
      row[3 * x + 1] = 20;  // green
      row[3 * x + 2] = 10;  // red
    }
  }
  colour->xPixelsPerMetre = 20000;  // 20 per mm
  colour->yPixelsPerMetre = 20000;
  rig.view.SetImage(std::make_unique<document::Image>(std::move(*colour)), "c", 1.0, 0, 0);
  Move(rig.view, QPoint(qRound(10 / dpr), qRound(10 / dpr)), Qt::NoButton);
  ASSERT_TRUE(rig.view.resolution());
  const std::string colourText = rig.view.readoutText();
  EXPECT_NE(colourText.find(" mm)  y "), std::string::npos) << colourText;
  EXPECT_NE(colourText.find("  r 10 g 20 b 30"), std::string::npos) << colourText;
  // Outside the image (right of a small one): no readout.
  Move(rig.view, QPoint(qRound(150 / dpr), qRound(10 / dpr)), Qt::NoButton);
  EXPECT_EQ(rig.view.readoutText(), "");
}

TEST(Measuring, ShiftDragDrawsAndMeasuresUntilTheNextClick) {
  Rig rig;
  // 4 x: 10 device pixels are 2.5 image pixels.
  std::unique_ptr<document::Image> image = MakeGray(400, 300, [](int, int) { return 40; });
  image->xPixelsPerMetre = image->yPixelsPerMetre = 10000;  // 10 per mm
  rig.view.SetImage(std::move(image), "m", 0.25, 0, 0);
  const qreal dpr = rig.view.devicePixelRatioF();
  const auto logical = [dpr](int device) { return qRound(device / dpr); };
  const QPoint from(logical(2), logical(2));
  const QPoint to(logical(2 + 4 * 24), logical(2 + 4 * 32));
  SendMouse(rig.view, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton,
            Qt::ShiftModifier);
  SendMouse(rig.view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  SendMouse(rig.view, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton,
            Qt::ShiftModifier);
  ASSERT_TRUE(rig.view.measurement());
  const auto [a, b] = *rig.view.measurement();
  const Point da = *rig.view.core().ImagePixelAt({static_cast<int>(std::floor(from.x() * dpr)),
                                                  static_cast<int>(std::floor(from.y() * dpr))});
  const Point db = *rig.view.core().ImagePixelAt({static_cast<int>(std::floor(to.x() * dpr)),
                                                  static_cast<int>(std::floor(to.y() * dpr))});
  EXPECT_EQ(a, da);
  EXPECT_EQ(b, db);
  EXPECT_EQ(rig.view.offset(), (Point{0, 0}));  // a measuring drag does not pan
  const std::string measure = FormatMeasure(a, b, rig.view.resolution());
  EXPECT_EQ(rig.view.measureText(), measure);
  EXPECT_NE(rig.title.title().middle.find(measure), std::string::npos);
  if (dpr == 1.0) {
    EXPECT_EQ(measure, "length 40.0 px  4.00 mm");
  }

  // The line is drawn over the image (the flat gray 40 shows other colours along it).
  const QImage shot = GrabDevice(rig.view);
  const QRgb mid = shot.pixel((2 + 2 + 96) / 2, (2 + 2 + 128) / 2);
  EXPECT_NE(mid, qRgb(40, 40, 40));
  EXPECT_EQ(shot.pixel(150, 20), qRgb(40, 40, 40));

  // The next click ends it; a plain drag pans.
  Press(rig.view, {logical(100), logical(100)});
  EXPECT_FALSE(rig.view.measurement());
  EXPECT_EQ(rig.view.measureText(), "");
  Move(rig.view, {logical(60), logical(100)});
  Release(rig.view, {logical(60), logical(100)});
  EXPECT_GT(rig.view.offset().x, 0);
  EXPECT_EQ(GrabDevice(rig.view).pixel(100, 20), qRgb(40, 40, 40));
}

}  // namespace
}  // namespace ridgeview::view
