// The view's input: keys zooming through the trackbar, panning, tap-and-hold and the other
// ways to the context menu, the wheel, the scroll bars and resizing.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QStyleHints>

#include "view/core/view_text.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"
#include "widget_test_support.h"

namespace ridgeview::view {
namespace {

using namespace ridgeview::view::testing;

// A view with its slider and title strip, showing an image large enough for a long zoom range.
struct Rig : ViewRig {
  Rig() : ViewRig(200, 150, false) {}
};

TEST(ImageViewKeys, ArrowsZoomThroughTheTrackbarAndMoveTheSlider) {
  Rig rig;
  rig.view.SetImage(MakeGray(4000, 3000, Pattern), "big", 1.0, -1, -1);
  const TrackbarModel& track = rig.view.core().State().zoomTrack;
  ASSERT_GE(track.EffectiveMaximum(), 300) << "the screen's work area is unexpectedly large";
  EXPECT_EQ(rig.slider.minimum(), 96);  // 16 x magnification at the low end
  EXPECT_EQ(rig.slider.maximum(), track.EffectiveMaximum());
  EXPECT_EQ(rig.slider.pageStep(), 100);
  EXPECT_EQ(rig.slider.singleStep(), 1);

  const struct {
    int key;
    int position;
  } steps[] = {{Qt::Key_Right, 101}, {Qt::Key_Down, 201}, {Qt::Key_Up, 101},
               {Qt::Key_Left, 100},  {Qt::Key_PageDown, 200}, {Qt::Key_Up, 100}};
  for (const auto& step : steps) {
    Key(rig.view, step.key);
    EXPECT_EQ(rig.slider.value(), step.position) << "key " << step.key;
    EXPECT_DOUBLE_EQ(rig.view.zoom(), step.position * 0.01);
  }
  // At 1.00 Left and Up go on into the magnifications, one doubling per key, and Right and
  // Down come back toward 1.00 the same way; Home is the 16 x end.
  const struct {
    int key;
    int position;
    double zoom;
  } magnify[] = {{Qt::Key_Left, 99, 0.5},   {Qt::Key_Up, 98, 0.25},  {Qt::Key_Left, 97, 0.125},
                 {Qt::Key_Up, 96, 0.0625},  {Qt::Key_Left, 96, 0.0625}, {Qt::Key_Down, 97, 0.125},
                 {Qt::Key_Right, 98, 0.25}, {Qt::Key_Down, 99, 0.5},  {Qt::Key_Down, 100, 1.0},
                 {Qt::Key_Up, 99, 0.5},     {Qt::Key_Right, 100, 1.0}, {Qt::Key_Home, 96, 0.0625}};
  for (const auto& step : magnify) {
    Key(rig.view, step.key);
    EXPECT_EQ(rig.slider.value(), step.position) << "key " << step.key;
    EXPECT_EQ(rig.view.zoom(), step.zoom) << "key " << step.key;
  }
  EXPECT_EQ(rig.title.title().right, "Zoom: 0.06");
  Key(rig.view, Qt::Key_PageDown);
  EXPECT_EQ(rig.title.title().right, "Zoom: 0.12");
  Key(rig.view, Qt::Key_PageDown);
  EXPECT_EQ(rig.title.title().right, "Zoom: 0.25");
  Key(rig.view, Qt::Key_End);
  EXPECT_EQ(rig.slider.value(), track.EffectiveMaximum());
  EXPECT_EQ(rig.title.title().right, "Zoom: " + FormatZoom(rig.view.zoom()));

  // Focus on the slider behaves the same: Up is a page, not a line.
  rig.slider.setSliderPosition(100);
  Key(rig.slider, Qt::Key_Down);
  EXPECT_EQ(rig.slider.value(), 200);
  EXPECT_DOUBLE_EQ(rig.view.zoom(), 2.0);

  // Dragging the thumb zooms; a position already shown changes nothing.
  rig.slider.setSliderPosition(150);
  EXPECT_DOUBLE_EQ(rig.view.zoom(), 1.5);
  EXPECT_EQ(rig.title.title().right, "Zoom: 1.50");
}

TEST(ImageViewKeys, ImageFittingTheScreenCanStillBeReduced) {
  Rig rig;
  rig.view.SetImage(MakeGray(50, 40, Pattern), "tiny", 1.0, -1, -1);
  EXPECT_EQ(rig.slider.minimum(), 96);
  EXPECT_EQ(rig.slider.maximum(), 400);  // the computed maximum lies below the minimum
  Key(rig.view, Qt::Key_Down);
  EXPECT_EQ(rig.view.zoom(), 2.0);
  Key(rig.view, Qt::Key_End);
  EXPECT_EQ(rig.view.zoom(), 4.0);
  EXPECT_EQ(rig.slider.value(), 400);
}

TEST(ImageViewMouse, DragPansAndStopsAtTheEdges) {
  ImageView view(nullptr, false);
  ShowSized(view, 200, 150);
  view.SetImage(MakeGray(1000, 800, Pattern), "p", 1.0, 0, 0);
  const qreal dpr = view.devicePixelRatioF();
  const auto device = [dpr](int v) { return static_cast<int>(v * dpr); };

  Press(view, {150, 100});
  Move(view, {149, 100});  // within the drag distance: still a tap
  EXPECT_EQ(view.offset(), (Point{0, 0}));
  Move(view, {100, 80});
  EXPECT_EQ(view.offset(), (Point{device(50), device(20)}));
  Move(view, {90, 80});
  EXPECT_EQ(view.offset(), (Point{device(60), device(20)}));
  Release(view, {90, 80});
  Move(view, {10, 10}, Qt::NoButton);  // released: no more panning
  EXPECT_EQ(view.offset(), (Point{device(60), device(20)}));

  Press(view, {10, 10});
  Move(view, {190, 140});
  EXPECT_EQ(view.offset(), (Point{0, 0}));
  Move(view, {-2000, -2000});
  const Size client = view.clientSize();
  EXPECT_EQ(view.offset(), (Point{1000 - client.w, 800 - client.h}));
  Release(view, {-2000, -2000});
}

class ImageViewMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = QGuiApplication::styleHints()->mousePressAndHoldInterval();
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(150);
    ShowSized(view_, 200, 150);
    QObject::connect(&view_, &ImageView::contextMenuRequested,
                     [this](QPoint p) { requests_.push_back(p); });
  }
  void TearDown() override {
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(saved_);
  }
  ImageView view_;
  std::vector<QPoint> requests_;
  int saved_ = 0;
};

TEST_F(ImageViewMenu, HoldOpensTheMenuAtThePressPoint) {
  view_.SetImage(MakeGray(500, 500, Pattern), "h", 1.0, -1, -1);
  const Point offset = view_.offset();
  Press(view_, {40, 30});
  Move(view_, {41, 30});  // a tremble within the tolerance does not cancel the hold
  ASSERT_TRUE(WaitUntil([this] { return !requests_.empty(); }, 3000));
  EXPECT_EQ(requests_.front(), view_.mapToGlobal(QPoint(40, 30)));
  Move(view_, {5, 5});  // after the hold the image does not follow
  Release(view_, {5, 5});
  EXPECT_EQ(view_.offset(), offset);
  EXPECT_EQ(requests_.size(), 1u);
}

TEST_F(ImageViewMenu, DragOrEarlyReleaseCancelsTheHold) {
  view_.SetImage(MakeGray(500, 500, Pattern), "h", 1.0, -1, -1);
  Press(view_, {100, 100});
  Move(view_, {60, 60});
  Pump(400);
  Release(view_, {60, 60});
  Press(view_, {100, 100});
  Release(view_, {100, 100});
  Pump(400);
  EXPECT_TRUE(requests_.empty());
}

TEST_F(ImageViewMenu, RightButtonMenuKeyAndKeyboardEventAskAtOnce) {
  Press(view_, {20, 25}, Qt::RightButton);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], view_.mapToGlobal(QPoint(20, 25)));
  // The toolkit's own context-menu event for that press must not ask a second time.
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(20, 25), view_.mapToGlobal(QPoint(20, 25)));
  QApplication::sendEvent(&view_, &mouse);
  EXPECT_EQ(requests_.size(), 1u);

  Key(view_, Qt::Key_Menu);
  EXPECT_EQ(requests_.size(), 2u);
  // A platform that sends a keyboard context-menu event before the Menu key's press: once.
  QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(5, 5), view_.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&view_, &keyboard);
  Key(view_, Qt::Key_Menu);
  EXPECT_EQ(requests_.size(), 3u);
  EXPECT_EQ(requests_[2], view_.mapToGlobal(QPoint(5, 5)));
}

TEST(ImageViewWheel, NotchesScrollThreeLinesAlongTheTallerAxis) {
  ImageView view(nullptr, false);
  ShowSized(view, 200, 150);
  view.SetImage(MakeGray(1000, 800, Pattern), "w", 1.0, 0, 100);
  const Point start = view.offset();
  const std::int32_t line = view.core().State().lineStep.y;  // 800 / 100
  EXPECT_EQ(line, 8);
  Wheel(view, {0, -120});  // towards the user: down
  EXPECT_EQ(view.offset(), (Point{start.x, start.y + 3 * line}));
  Wheel(view, {0, 60});
  Wheel(view, {0, 60});  // two halves make a notch
  EXPECT_EQ(view.offset(), start);

  // A wide, short image scrolls sideways.
  view.SetImage(MakeGray(1000, 100, Pattern), "w", 1.0, 500, 0);
  const Point wide = view.offset();
  Wheel(view, {0, 120});
  EXPECT_EQ(view.offset(), (Point{wide.x - 3 * view.core().State().lineStep.x, 0}));
}

TEST(ImageViewScrollBars, HiddenWhenOffOrFittingAndDrivingTheOffsetWhenShown) {
  ImageView view(nullptr, false);
  ShowSized(view, 200, 150);
  view.SetImage(MakeGray(1000, 800, Pattern), "s", 1.0, 100, 100);
  EXPECT_TRUE(view.horizontalBar()->isHidden());
  EXPECT_TRUE(view.verticalBar()->isHidden());
  EXPECT_EQ(view.clientRect(), view.rect());

  const Point offset = view.offset();
  view.ToggleScrollBars();
  EXPECT_TRUE(view.scrollBarsOn());
  EXPECT_EQ(view.offset(), offset);
  QScrollBar* vertical = view.verticalBar();
  ASSERT_FALSE(vertical->isHidden());
  ASSERT_FALSE(view.horizontalBar()->isHidden());
  EXPECT_LT(view.clientRect().width(), view.width());
  EXPECT_LT(view.clientRect().height(), view.height());
  EXPECT_EQ(vertical->maximum(), 800 - view.clientSize().h);
  EXPECT_EQ(vertical->value(), offset.y);

  vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view.offset().y, offset.y + view.core().State().lineStep.y);
  EXPECT_EQ(vertical->value(), view.offset().y);
  vertical->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(view.offset().y, 800 - view.clientSize().h);
  vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);  // already at the end
  EXPECT_EQ(view.offset().y, 800 - view.clientSize().h);
  view.horizontalBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(view.offset().x, 0);

  view.SetImage(MakeGray(120, 100, Pattern), "fits", 1.0, -1, -1);
  EXPECT_TRUE(view.horizontalBar()->isHidden());
  EXPECT_TRUE(view.verticalBar()->isHidden());
  view.setScrollBarsOn(false);
  EXPECT_FALSE(view.scrollBarsOn());
}

TEST(ImageViewResize, GrowingClampsTheOffsetWithoutRecentring) {
  ImageView view(nullptr, false);
  ShowSized(view, 200, 150);
  view.SetImage(MakeGray(1000, 800, Pattern), "r", 1.0, 900, 700);
  const Size client = view.clientSize();
  EXPECT_EQ(view.offset(), (Point{1000 - client.w, 800 - client.h}));
  view.resize(400, 300);
  QApplication::processEvents();
  const Size grown = view.clientSize();
  EXPECT_GT(grown.w, client.w);
  EXPECT_EQ(view.offset(), (Point{1000 - grown.w, 800 - grown.h}));
  view.resize(100, 100);
  QApplication::processEvents();
  EXPECT_EQ(view.offset(), (Point{1000 - grown.w, 800 - grown.h}));  // not re-centred
}

}  // namespace
}  // namespace ridgeview::view
