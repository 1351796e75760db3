// The frame on the screen: full screen, the title bar, the layout of title strip and view,
// activation, the screen's changes and the low-memory notice.
#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QToolBar>

#include "app/main_frame.h"
#include "document/command_ids.h"
#include "document/document_operations.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"

namespace ridgeview::app {

namespace cmd = document::command;

void MainFrame::SetFullScreen(bool on) {
  fullScreen_ = on;
  PlaceWindow(on, false);
  commandBar_->setVisible(!on);
  FitAboveMenuBar();
  ui_.SetCheck(cmd::kFullScreen, on);
  leaveFullScreen_->setEnabled(on);
}

void MainFrame::ApplyFullScreen(bool suspend, bool repaint) {
  if (!fullScreen_) return;
  PlaceWindow(!suspend, repaint);
}

void MainFrame::PlaceWindow(bool full, bool repaint) {
  if (full) {
    if (!isFullScreen()) {
      normalGeometry_ = geometry();
      showFullScreen();
    }
  } else if (isMinimized() || !isVisible()) {
    // Minimised or hidden: the full-screen state goes, and the window stays out of sight
    // (the toolkit keeps the flag while minimised; showing it would bring it back).
    if (isFullScreen()) setWindowState(windowState() & ~Qt::WindowFullScreen);
  } else if (isFullScreen()) {
    showNormal();
    // Back where the window was before, which at start is the screen's work area.
    if (normalGeometry_.isValid()) {
      setGeometry(normalGeometry_);
    } else {
      FitToWorkArea();
    }
  }
  if (repaint) update();
}

void MainFrame::FitAboveMenuBar() {
  // The tool bar lives inside the window: settling the window's layout now makes the client
  // area end at the bar's top while it is shown and at the window's bottom while it is not.
  if (layout() != nullptr) layout()->activate();
}

void MainFrame::UpdateLayout(bool resizeBars) {
  if (client_ == nullptr || view_ == nullptr) return;
  QRect area = client_->rect();
  if (titleBar_ != nullptr && !titleBar_->isHidden()) {
    const int height = titleBar_->sizeHint().height();
    if (resizeBars) titleBar_->setGeometry(area.x(), area.y(), area.width(), height);
    area.setTop(area.top() + height);
  }
  view_->setGeometry(area);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) UpdateLayout(true);
  return QMainWindow::eventFilter(watched, event);
}

void MainFrame::OnToggleTitleBar() {
  titleBar_->setVisible(titleBar_->isHidden());
  UpdateLayout(true);
  ui_.SetCheck(cmd::kTitleBar, !titleBar_->isHidden());
}

void MainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) OnActivate(isActiveWindow());
}

void MainFrame::OnActivate(bool active) {
  if (fullScreen_) {
    // Another window in front gets the desktop back (panels and the tool bar); coming back
    // covers it again.
    if (!active) {
      ApplyFullScreen(true, true);
      commandBar_->show();
    } else {
      ApplyFullScreen(false, true);
      commandBar_->hide();
    }
    FitAboveMenuBar();
  }
  if (imageReleased_) {
    // Cleared first: the reload may show a message box, which changes the activation again.
    imageReleased_ = false;
    document_->ReloadImage();
  }
}

bool MainFrame::OnLowMemory() {
  if (!imagePath().empty()) {
    view_->ReleaseBitmap();
    imageReleased_ = true;
    return true;
  }
  imageReleased_ = false;
  return false;
}

void MainFrame::WatchScreen(QScreen* screen) {
  if (watchedScreen_ == screen) return;
  if (watchedScreen_) disconnect(watchedScreen_, nullptr, this, nullptr);
  watchedScreen_ = screen;
  if (screen == nullptr) return;
  connect(screen, &QScreen::geometryChanged, this, &MainFrame::OnScreenChanged);
  connect(screen, &QScreen::availableGeometryChanged, this, &MainFrame::OnScreenChanged);
}

void MainFrame::OnScreenChanged() {
  // The screen turned or changed size: full screen covers the new screen.
  if (fullScreen_ && isFullScreen()) SetFullScreen(true);
}

}  // namespace ridgeview::app
