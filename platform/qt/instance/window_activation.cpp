#include "platform/qt/instance/window_activation.h"

#include <QWidget>

namespace ridgeview::platform {

bool RaiseAndActivate(QWidget* window) {
  if (window == nullptr) return false;
  QWidget* top = window->window();
  if (top->isHidden()) return false;
  if (top->isMinimized()) {
    top->setWindowState((top->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    top->show();
  }
  top->raise();
  top->activateWindow();
  return true;
}

}  // namespace ridgeview::platform
