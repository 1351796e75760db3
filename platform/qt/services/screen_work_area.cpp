#include "platform/qt/services/screen_work_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtMath>

namespace ridgeview::platform {

QRect ScreenWorkArea(const QWidget* widget) {
  QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return QRect();
  }
  const QRect area = screen->availableGeometry();
  const qreal ratio = screen->devicePixelRatio();
  const int left = qRound(area.left() * ratio);
  const int top = qRound(area.top() * ratio);
  const int right = qRound((area.left() + area.width()) * ratio);
  const int bottom = qRound((area.top() + area.height()) * ratio);
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace ridgeview::platform
