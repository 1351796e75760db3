// What the user sees: the frame rendered as a whole shows the decoded WSQ pixels unchanged at
// zoom 1.00, below the title strip.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "frame_harness.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"

namespace ridgeview::app {
namespace {

TEST(FrameRender, ViewPixelsAreTheDecodedPixelsAtZoomOne) {
  const testing::Gray sample = testing::DecodeSample();
  ASSERT_EQ(sample.width, 500);
  ASSERT_EQ(sample.height, 500);

  testing::FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  ASSERT_EQ(f.view()->zoom(), 1.0);
  const QImage shot = f.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(f.devicePixelRatioF(), 1.0);

  // The image sits at the view's top-left corner when it is not larger than the view, or
  // is centred (the offset says which part) when it is.
  const QPoint origin = f.view()->mapTo(&f, QPoint(0, 0));
  const view::Point offset = f.view()->offset();
  const QRect client = f.view()->clientRect();
  const int w = std::min(client.width(), sample.width - offset.x);
  const int h2 = std::min(client.height(), sample.height - offset.y);
  ASSERT_GT(w, 100);
  ASSERT_GT(h2, 100);
  int mismatches = 0;
  for (int y = 0; y < h2; ++y) {
    for (int x = 0; x < w; ++x) {
      const QRgb p = shot.pixel(origin.x() + x, origin.y() + y);
      const int expected =
          sample.pixels[static_cast<std::size_t>(y + offset.y) * sample.width + x + offset.x];
      if (qRed(p) != expected || qGreen(p) != expected || qBlue(p) != expected) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);

  // The title strip above the view is owner-drawn: white behind the text.
  const QPoint title = f.titleBar()->mapTo(&f, QPoint(f.titleBar()->width() / 2, 1));
  EXPECT_EQ(shot.pixel(title), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace ridgeview::app
