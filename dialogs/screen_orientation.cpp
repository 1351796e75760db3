#include "dialogs/screen_orientation.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ridgeview::dialogs {

bool IsLandscape(QSize screen) { return screen.width() > screen.height(); }

ScreenWatcher::ScreenWatcher(QWidget* widget, ScreenSizeSource source)
    : QObject(widget), widget_(widget), source_(std::move(source)) {
  for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
    WatchScreen(screen);
    Notify();
  });
}

void ScreenWatcher::WatchScreen(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, [this] { Notify(); });
}

QSize ScreenWatcher::ScreenSize() const {
  if (source_) return source_();
  QScreen* screen = widget_ != nullptr ? widget_->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().size() : QSize();
}

void ScreenWatcher::Notify() { emit ScreenChanged(Landscape()); }

}  // namespace ridgeview::dialogs
