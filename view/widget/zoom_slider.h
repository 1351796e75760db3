// The zoom trackbar: a horizontal QSlider that shows the view's TrackbarModel and reports what
// the user does with it. The frame places it in the "Zoom Track" slot of its bottom tool bar and
// enables or disables it; the image view (ImageView::SetZoomTrack) connects to its signals and
// mirrors the model onto it after every change.
//
// The slider never keeps a position of its own: keys are not handled by QSlider but reported as
// trackbarKey, so that the view's trackbar model moves the position (and focus on the slider
// behaves exactly like focus on the view: Left/Right -1/+1, Up/Down -100/+100, Home/End the
// ends, always clamped). Mouse drags, clicks on the groove and the wheel are reported as
// trackbarScroll(ThumbTrack, value) while the thumb moves and trackbarScroll(ThumbPosition,
// value) when it is released.
#pragma once

#include <QSlider>

#include "view/core/trackbar_model.h"
#include "view/core/view_core.h"

namespace ridgeview::view {

class ZoomSlider : public QSlider {
  Q_OBJECT

 public:
  explicit ZoomSlider(QWidget* parent = nullptr);

  // Range Minimum()..EffectiveMaximum(), page size, single step 1 and position from the model.
  // Emits nothing.
  void Mirror(const TrackbarModel& model);

  // A thin border while an image is shown, none without one.
  void SetBordered(bool bordered);
  bool bordered() const { return bordered_; }

  // Background: the palette's button colour (ButtonFace) or its light 3-D highlight colour
  // (ButtonHighlight), applied to the slider's Window and Button roles.
  void SetBackground(TrackbarBackground background);
  TrackbarBackground background() const { return background_; }

  // The colour a background stands for, taken from the application palette.
  static QColor BackgroundColour(TrackbarBackground background);

  // The key a trackbar understands for a Qt key, if any.
  static std::optional<TrackbarKey> TrackbarKeyFor(int qtKey);

 signals:
  void trackbarKey(ridgeview::view::TrackbarKey key);
  void trackbarScroll(ridgeview::view::TrackbarCode code, int position);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool bordered_ = false;
  TrackbarBackground background_ = TrackbarBackground::ButtonFace;
};

}  // namespace ridgeview::view
