// The title strip and the zoom slider as the view leaves them, and the display image.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

#include "document/pixel_convert.h"
#include "view/core/paint_geometry.h"
#include "view/widget/display_image.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"
#include "widget_test_support.h"

namespace ridgeview::view {
namespace {

using namespace ridgeview::view::testing;

// Columns of a grabbed strip holding text in the title colour RGB(0, 0, 156): on white, its
// edges blend to (v, v, b) with b above v, and at least one pixel has the colour itself.
std::vector<int> TitleColourColumns(const QImage& shot) {
  std::vector<int> columns;
  for (int x = 0; x < shot.width(); ++x) {
    for (int y = 0; y < shot.height(); ++y) {
      const QRgb p = shot.pixel(x, y);
      if (qRed(p) == qGreen(p) && qBlue(p) >= qRed(p) + 40) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

TEST(TitleStrip, ShowsNameAndZoomOrNoImage) {
  ImageView view;
  TitleStrip title;
  view.SetTitleBar(&title);
  EXPECT_FALSE(title.title().ownerDrawn);
  EXPECT_EQ(title.title().plain, "No image");
  EXPECT_EQ(title.sizeHint().height(), title.fontMetrics().height() + 2 * TitleStrip::kPadding);

  ShowSized(title, 300, title.sizeHint().height());
  const QImage shot = GrabDevice(title);
  EXPECT_TRUE(TitleColourColumns(shot).empty());
  EXPECT_EQ(shot.pixel(0, 0), title.palette().color(QPalette::Window).rgb());

  view.SetImage(MakeGray(10, 10, Pattern), "thumb", 1.0, -1, -1);
  EXPECT_TRUE(title.title().ownerDrawn);
  EXPECT_EQ(title.title().left, "Image: thumb");
  EXPECT_EQ(title.title().right, "Zoom: 1.00");
  view.SetZoom(2.345);
  EXPECT_EQ(title.title().right, "Zoom: 2.35");

  view.SetImage(nullptr, std::nullopt, 1.0, -1, -1);
  EXPECT_EQ(title.title().plain, "No image");
}

TEST(TitleStrip, OwnerDrawnTextSitsInsideTheInsetInTheTitleColour) {
  if (QFontDatabase::families().isEmpty()) GTEST_SKIP() << "no fonts installed";
  ImageView view;
  TitleStrip title;
  view.SetTitleBar(&title);
  ShowSized(title, 300, title.sizeHint().height());
  view.SetImage(MakeGray(10, 10, Pattern), "thumb", 2.345, -1, -1);
  const QImage shot = GrabDevice(title);
  EXPECT_EQ(shot.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(shot.width() - 1, shot.height() - 1), qRgb(255, 255, 255));
  const std::vector<int> columns = TitleColourColumns(shot);
  ASSERT_FALSE(columns.empty());
  bool exact = false;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) exact = exact || shot.pixel(x, y) == qRgb(0, 0, 156);
  }
  EXPECT_TRUE(exact);
  const qreal dpr = title.devicePixelRatioF();
  // Left text starts inside the inset; right text ends near the right inset.
  EXPECT_GE(columns.front(), static_cast<int>(kTitleInset * dpr));
  EXPECT_LT(columns.front(), static_cast<int>(12 * dpr));
  EXPECT_LT(columns.back(), shot.width() - static_cast<int>(kTitleInset * dpr));
  EXPECT_GT(columns.back(), shot.width() - static_cast<int>(14 * dpr));
}

TEST(ZoomSlider, MirrorsRangeBorderAndBackground) {
  ImageView view;
  ZoomSlider slider;
  view.SetZoomTrack(&slider);
  EXPECT_FALSE(slider.bordered());
  EXPECT_EQ(slider.background(), TrackbarBackground::ButtonFace);
  EXPECT_EQ(slider.palette().color(QPalette::Window),
            QGuiApplication::palette().color(QPalette::Button));
  EXPECT_EQ(slider.minimum(), 100);
  EXPECT_EQ(slider.maximum(), 100);
  EXPECT_EQ(slider.value(), 100);

  view.SetImage(MakeGray(4000, 3000, Pattern), "z", 1.25, -1, -1);
  EXPECT_TRUE(slider.bordered());
  EXPECT_EQ(slider.background(), TrackbarBackground::ButtonHighlight);
  EXPECT_EQ(slider.palette().color(QPalette::Button),
            QGuiApplication::palette().color(QPalette::Light));
  EXPECT_EQ(slider.value(), 125);
  EXPECT_EQ(slider.maximum(), view.core().State().zoomTrack.EffectiveMaximum());

  view.ReleaseBitmap();  // no bitmap held: button face again, the image still counts as shown
  EXPECT_EQ(slider.background(), TrackbarBackground::ButtonFace);
  EXPECT_TRUE(slider.bordered());

  view.SetImage(nullptr, std::nullopt, 1.0, -1, -1);
  EXPECT_FALSE(slider.bordered());

  // Detached, the slider reports keys but moves nowhere by itself.
  view.SetZoomTrack(nullptr);
  std::vector<TrackbarKey> keys;
  QObject::connect(&slider, &ZoomSlider::trackbarKey, [&](TrackbarKey k) { keys.push_back(k); });
  Key(slider, Qt::Key_Up);
  Key(slider, Qt::Key_A);
  EXPECT_EQ(keys, std::vector<TrackbarKey>{TrackbarKey::Up});
  EXPECT_EQ(slider.value(), 100);
}

TEST(DisplayImage, WrapsTopDown24BitRowsAndRendersTheRest) {
  std::unique_ptr<document::Image> gray = MakeGray(5, 3, Pattern);
  DisplayImage display;
  display.Reset(gray.get());
  ASSERT_TRUE(display.wrapsBitmap());
  EXPECT_EQ(display.image().constBits(), gray->pixels.data());
  EXPECT_EQ(display.image().bytesPerLine(), 16);
  EXPECT_EQ(display.image().pixel(4, 2), qRgb(Pattern(4, 2), Pattern(4, 2), Pattern(4, 2)));

  // The same pixels stored bottom row first are rendered, top row first.
  document::Image bottomUp = *gray;
  bottomUp.height = 3;
  for (int y = 0; y < 3; ++y) {
    std::copy_n(gray->TopDownRow(static_cast<std::uint64_t>(y)), 16, bottomUp.TopDownRow(static_cast<std::uint64_t>(y)));
  }
  display.Reset(&bottomUp);
  EXPECT_FALSE(display.wrapsBitmap());
  ASSERT_FALSE(display.empty());
  EXPECT_EQ(display.image().pixel(4, 0), qRgb(Pattern(4, 0), Pattern(4, 0), Pattern(4, 0)));

  document::Image broken = *gray;
  broken.pixels.resize(10);
  display.Reset(&broken);
  EXPECT_TRUE(display.empty());
  display.Reset(nullptr);
  EXPECT_TRUE(display.empty());
}

TEST(DisplayImage, StretchNeverReadsOutsideTheRows) {
  std::unique_ptr<document::Image> gray = MakeGray(4, 4, Pattern);
  DisplayImage display;
  display.Reset(gray.get());
  // A paint source reaching far past the bitmap: the pixels clamp to its edge.
  const QImage out = StretchArea(display.image(), Rect{2, 2, 40, 40}, Size{10, 10}, QRect(0, 0, 10, 10));
  ASSERT_FALSE(out.isNull());
  EXPECT_EQ(out.pixel(0, 0), qRgb(Pattern(2, 2), Pattern(2, 2), Pattern(2, 2)));
  EXPECT_EQ(out.pixel(9, 9), qRgb(Pattern(3, 3), Pattern(3, 3), Pattern(3, 3)));
  EXPECT_TRUE(StretchArea(QImage(), Rect{0, 0, 4, 4}, Size{4, 4}, QRect(0, 0, 4, 4)).isNull());
  EXPECT_TRUE(StretchArea(display.image(), Rect{0, 0, 4, 4}, Size{0, 4}, QRect(0, 0, 4, 4)).isNull());
  QImage rgb32(4, 4, QImage::Format_RGB32);
  EXPECT_TRUE(StretchArea(rgb32, Rect{0, 0, 4, 4}, Size{4, 4}, QRect(0, 0, 4, 4)).isNull());
}

}  // namespace
}  // namespace ridgeview::view

namespace ridgeview::view {
namespace {

// Paints drawn into kept memory give the same pixels as fresh images, at pixel for pixel and
// stretched, and the memory is reused (not reallocated) for areas that fit it.
TEST(PaintBuffer, KeptMemoryGivesTheSamePixelsAndIsReused) {
  std::unique_ptr<document::Image> gray = MakeGray(64, 48, Pattern);
  DisplayImage display;
  display.Reset(gray.get());
  PaintBuffer buffer;
  const QRect areas[] = {QRect(0, 0, 64, 48), QRect(3, 5, 20, 10), QRect(0, 0, 64, 48)};
  const uchar* first = nullptr;
  for (const QRect& area : areas) {
    for (const Rect source : {Rect{0, 0, 64, 48}, Rect{0, 0, 128, 96}}) {
      const QImage fresh = StretchArea(display.image(), source, Size{64, 48}, area);
      const QImage kept = StretchArea(display.image(), source, Size{64, 48}, area, &buffer);
      ASSERT_EQ(kept.size(), area.size());
      for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) ASSERT_EQ(kept.pixel(x, y), fresh.pixel(x, y));
      }
      if (first == nullptr) first = kept.constBits();
      EXPECT_EQ(kept.constBits(), first) << "the kept memory is used again";
    }
  }
  const QImage magnified = MagnifyArea(display.image(), 0.25, Point{0, 0}, QRect(0, 0, 8, 8), &buffer);
  EXPECT_EQ(magnified.pixel(3, 3), qRgb(Pattern(0, 0), Pattern(0, 0), Pattern(0, 0)));
  EXPECT_EQ(magnified.pixel(4, 4), qRgb(Pattern(1, 1), Pattern(1, 1), Pattern(1, 1)));
  EXPECT_TRUE(buffer.Take(QSize(0, 5)).isNull());
}

}  // namespace
}  // namespace ridgeview::view
