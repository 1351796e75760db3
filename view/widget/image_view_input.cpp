// The image view's input: keys to the zoom trackbar, tap-and-hold and panning with the left
// button, measuring with Shift + left drag, the pixel readout following the pointer, the
// context menu from the right button and the Menu key, the wheel (Ctrl + wheel zooms) and the
// scroll bars' actions.
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWheelEvent>

#include "view/widget/image_view.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::view {

bool ImageView::event(QEvent* e) {
  const bool result = QWidget::event(e);
  switch (e->type()) {
    case QEvent::ScreenChangeInternal:  // possibly another scale factor
    case QEvent::StyleChange:           // possibly another scroll-bar thickness
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
      Relayout();
      break;
    default:
      break;
  }
  return result;
}

void ImageView::resizeEvent(QResizeEvent*) {
  // The toolkit repaints a resized widget whole, so the core's pixel scroll is not needed.
  Relayout();
}

void ImageView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Menu) {
    event->accept();
    if (menuKeyHandled_) {
      // Some platforms turn the Menu key into a context-menu event first: already answered.
      menuKeyHandled_ = false;
      return;
    }
    RequestMenuAt(KeyboardMenuPoint(QCursor::pos()));
    return;
  }
  menuKeyHandled_ = false;
  const std::optional<TrackbarKey> key = ZoomSlider::TrackbarKeyFor(event->key());
  if (!key) {
    QWidget::keyPressEvent(event);  // not ours: let the frame see it
    return;
  }
  event->accept();
  Apply(core_.KeyDown(*key));
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    ClearMeasurement();
    RequestMenuAt(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  leftDown_ = true;
  holdFired_ = false;
  pressPos_ = event->position().toPoint();
  const Point device = ToDevice(event->position());
  lastPointer_ = device;
  // Any click ends the measurement shown; Shift + press over the image starts a new one.
  ClearMeasurement();
  if (event->modifiers() & Qt::ShiftModifier) {
    if (const std::optional<Point> pixel = core_.ImagePixelAt(device)) {
      measuring_ = true;
      measureShown_ = true;
      measureFrom_ = *pixel;
      measureTo_ = *pixel;
      measure_ = FormatMeasure(measureFrom_, measureTo_, resolution_);
      MirrorTitle();
      update();
      return;  // no pan, no tap-and-hold menu
    }
  }
  core_.StylusDown(device);
  holdTimer_.start(QGuiApplication::styleHints()->mousePressAndHoldInterval());
}

void ImageView::ClearMeasurement() {
  measuring_ = false;
  if (!measureShown_) return;
  measureShown_ = false;
  measure_.clear();
  MirrorTitle();
  update();
}

void ImageView::UpdateReadout(std::optional<Point> p) {
  std::string text;
  const std::optional<Point> pixel = p ? core_.ImagePixelAt(*p) : std::nullopt;
  if (pixel && !display_.empty() && pixel->x < display_.image().width() &&
      pixel->y < display_.image().height()) {
    const uchar* bgr = display_.image().constScanLine(pixel->y) + pixel->x * 3;
    PixelValue value;
    value.gray = display_.gray();
    value.blue = bgr[0];
    value.green = bgr[1];
    value.red = bgr[2];
    text = FormatReadout(*pixel, value, resolution_);
  }
  if (text == readout_) return;
  readout_ = std::move(text);
  MirrorTitle();
}

void ImageView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  lastPointer_.reset();
  UpdateReadout(std::nullopt);
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  const Point device = ToDevice(event->position());
  lastPointer_ = device;
  if (measuring_ && (event->buttons() & Qt::LeftButton)) {
    event->accept();
    // The end follows the pointer over the image; outside it the end stays where it was.
    if (const std::optional<Point> pixel = core_.ImagePixelAt(device)) {
      measureTo_ = *pixel;
      measure_ = FormatMeasure(measureFrom_, measureTo_, resolution_);
      update();
    }
    UpdateReadout(device);
    MirrorTitle();
    return;
  }
  if (!leftDown_ || holdFired_ || !(event->buttons() & Qt::LeftButton)) {
    UpdateReadout(device);
    event->ignore();
    return;
  }
  event->accept();
  if (holdTimer_.isActive()) {
    // Still a tap while within the drag distance: the image does not move yet, and the drag
    // point stays where the button went down so that no movement is lost once it does.
    const int moved = (event->position().toPoint() - pressPos_).manhattanLength();
    if (moved < QGuiApplication::styleHints()->startDragDistance()) return;
    holdTimer_.stop();
  }
  panned_ = true;  // the next paint is a repaint after a pan (for RIDGEVIEW_TIMING)
  Apply(core_.StylusMove(ToDevice(event->position())));
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  holdTimer_.stop();
  leftDown_ = false;
  measuring_ = false;  // the measurement stays shown until the next click
}

void ImageView::OnHoldTimeout() {
  if (!leftDown_) return;
  holdFired_ = true;
  RequestMenuAt(mapToGlobal(pressPos_));
}

void ImageView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  // A right press has already asked for the menu on its own.
  if (event->reason() == QContextMenuEvent::Mouse) return;
  const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
  menuKeyHandled_ = keyboard;
  RequestMenuAt(keyboard ? KeyboardMenuPoint(event->globalPos()) : event->globalPos());
}

QPoint ImageView::KeyboardMenuPoint(QPoint suggested) const {
  if (rect().contains(mapFromGlobal(suggested))) return suggested;
  return mapToGlobal(clientRect_.center());
}

void ImageView::RequestMenuAt(QPoint globalPos) { emit contextMenuRequested(globalPos); }

void ImageView::wheelEvent(QWheelEvent* event) {
  // A plain wheel reports y; a tilting wheel or a sideways swipe only x. The core chooses the
  // axis to scroll by the content, not by the wheel.
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  if (delta == 0) {
    event->ignore();
    return;
  }
  event->accept();
  if (event->modifiers() & Qt::ControlModifier) {
    // Ctrl + wheel zooms about the pointer: away from the user magnifies.
    Apply(core_.ZoomWheel(delta, ToDevice(event->position())));
    return;
  }
  Apply(core_.Wheel(delta));
}

void ImageView::OnBarAction(Axis axis, int action) {
  QScrollBar* bar = axis == Axis::Horizontal ? horizontal_ : vertical_;
  ScrollAction scroll;
  std::int32_t thumb = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: scroll = ScrollAction::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: scroll = ScrollAction::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: scroll = ScrollAction::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: scroll = ScrollAction::PageDown; break;
    case QAbstractSlider::SliderToMinimum: scroll = ScrollAction::Top; break;
    case QAbstractSlider::SliderToMaximum: scroll = ScrollAction::Bottom; break;
    case QAbstractSlider::SliderMove:
      scroll = ScrollAction::ThumbTrack;
      thumb = bar->sliderPosition();
      break;
    default:
      return;
  }
  Apply(core_.Scroll(axis, scroll, thumb));
  // The bar already moved by its own rules: make it show the model's position.
  MirrorScrollBars();
}

void ImageView::OnBarReleased(Axis axis) {
  QScrollBar* bar = axis == Axis::Horizontal ? horizontal_ : vertical_;
  Apply(core_.Scroll(axis, ScrollAction::ThumbPosition, bar->value()));
  MirrorScrollBars();
}

}  // namespace ridgeview::view
