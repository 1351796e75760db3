#include "view/widget/zoom_slider.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>

namespace ridgeview::view {

ZoomSlider::ZoomSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTracking(true);
  setAutoFillBackground(true);
  SetBackground(TrackbarBackground::ButtonFace);
  // Mirror() blocks signals, so every valueChanged here comes from the user.
  connect(this, &QSlider::valueChanged, this,
          [this](int value) { emit trackbarScroll(TrackbarCode::ThumbTrack, value); });
  connect(this, &QSlider::sliderReleased, this,
          [this] { emit trackbarScroll(TrackbarCode::ThumbPosition, value()); });
}

void ZoomSlider::Mirror(const TrackbarModel& model) {
  const QSignalBlocker blocker(this);
  setRange(model.Minimum(), model.EffectiveMaximum());
  setPageStep(model.PageSize());
  setSingleStep(model.LineSize());
  setValue(model.Position());
}

void ZoomSlider::SetBordered(bool bordered) {
  if (bordered_ == bordered) return;
  bordered_ = bordered;
  update();
}

QColor ZoomSlider::BackgroundColour(TrackbarBackground background) {
  const QPalette palette = QGuiApplication::palette();
  return background == TrackbarBackground::ButtonHighlight ? palette.color(QPalette::Light)
                                                           : palette.color(QPalette::Button);
}

void ZoomSlider::SetBackground(TrackbarBackground background) {
  background_ = background;
  const QColor colour = BackgroundColour(background);
  QPalette own = palette();
  own.setColor(QPalette::Window, colour);
  own.setColor(QPalette::Button, colour);
  setPalette(own);
}

std::optional<TrackbarKey> ZoomSlider::TrackbarKeyFor(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: return TrackbarKey::Left;
    case Qt::Key_Right: return TrackbarKey::Right;
    case Qt::Key_Up: return TrackbarKey::Up;
    case Qt::Key_Down: return TrackbarKey::Down;
    case Qt::Key_PageUp: return TrackbarKey::PageUp;
    case Qt::Key_PageDown: return TrackbarKey::PageDown;
    case Qt::Key_Home: return TrackbarKey::Home;
    case Qt::Key_End: return TrackbarKey::End;
    default: return std::nullopt;
  }
}

void ZoomSlider::keyPressEvent(QKeyEvent* event) {
  const std::optional<TrackbarKey> key = TrackbarKeyFor(event->key());
  if (!key) {
    event->ignore();
    return;
  }
  event->accept();
  emit trackbarKey(*key);
}

void ZoomSlider::paintEvent(QPaintEvent* event) {
  QSlider::paintEvent(event);
  if (!bordered_) return;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Shadow));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ridgeview::view
