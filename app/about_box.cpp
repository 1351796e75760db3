#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/app_icons.h"

namespace ridgeview::app {

bool IsLandscape(const QScreen* screen) {
  if (screen == nullptr) return false;
  const QSize size = screen->geometry().size();
  return size.width() > size.height();
}

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent),
      version_(new QLabel(this)),
      icon_(new QLabel(this)),
      help_(new QLabel(kAboutHelpText, this)),
      buttons_(new QDialogButtonBox(this)),
      grid_(new QGridLayout(this)) {
  setWindowTitle(kAboutTitle);
  setWindowIcon(ProgramIcon());

  version_->setObjectName("version");
  version_->setFrameStyle(QFrame::Box | QFrame::Plain);
  version_->setAlignment(Qt::AlignCenter);
  version_->setMargin(6);

  icon_->setObjectName("icon");
  icon_->setPixmap(ProgramPixmap(32));
  icon_->setAlignment(Qt::AlignCenter);

  // The help text sits on the info-background colour (as tool tips do), inside a frame.
  help_->setObjectName("help");
  help_->setFrameStyle(QFrame::Box | QFrame::Plain);
  help_->setWordWrap(true);
  help_->setMargin(6);
  help_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  help_->setAutoFillBackground(true);
  QPalette info = help_->palette();
  info.setColor(QPalette::Window, info.color(QPalette::ToolTipBase));
  info.setColor(QPalette::WindowText, info.color(QPalette::ToolTipText));
  help_->setPalette(info);

  QPushButton* done = buttons_->addButton("Done", QDialogButtonBox::AcceptRole);
  done->setDefault(true);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);

  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  WatchScreen(screen);
  LayOut(IsLandscape(screen));
}

void AboutBox::LayOut(bool landscape) {
  if (laidOut_ && landscape == landscape_) return;
  landscape_ = landscape;
  laidOut_ = true;
  for (QWidget* w : {static_cast<QWidget*>(version_), static_cast<QWidget*>(icon_),
                     static_cast<QWidget*>(help_), static_cast<QWidget*>(buttons_)}) {
    grid_->removeWidget(w);
  }
  // Reset the stretch factors the other arrangement may have set.
  for (int i = 0; i < 4; ++i) {
    grid_->setRowStretch(i, 0);
    grid_->setColumnStretch(i, 0);
  }
  if (landscape) {
    // Icon and version on the left, the help text to their right, Done below both.
    version_->setText(kAboutVersionLandscape);
    grid_->addWidget(icon_, 0, 0);
    grid_->addWidget(version_, 1, 0);
    grid_->addWidget(help_, 0, 1, 3, 1);
    grid_->addWidget(buttons_, 3, 0, 1, 2);
    grid_->setRowStretch(2, 1);
    grid_->setColumnStretch(1, 1);
    help_->setMinimumWidth(360);
  } else {
    // One column: version, icon, help text, Done.
    version_->setText(kAboutVersionPortrait);
    grid_->addWidget(version_, 0, 0);
    grid_->addWidget(icon_, 1, 0);
    grid_->addWidget(help_, 2, 0);
    grid_->addWidget(buttons_, 3, 0);
    grid_->setRowStretch(2, 1);
    help_->setMinimumWidth(220);
  }
  adjustSize();
}

bool AboutBox::event(QEvent* e) {
  const bool result = QDialog::event(e);
  if (e->type() == QEvent::ScreenChangeInternal) {
    WatchScreen(screen());
    OnScreenShapeChanged();
  }
  return result;
}

void AboutBox::WatchScreen(QScreen* screen) {
  if (watched_ == screen) return;
  if (watched_) disconnect(watched_, nullptr, this, nullptr);
  watched_ = screen;
  if (screen == nullptr) return;
  connect(screen, &QScreen::geometryChanged, this, &AboutBox::OnScreenShapeChanged);
  connect(screen, &QScreen::orientationChanged, this, &AboutBox::OnScreenShapeChanged);
}

void AboutBox::OnScreenShapeChanged() { LayOut(IsLandscape(watched_)); }

void ShowAboutBox(QWidget* owner) {
  AboutBox box(owner);
  box.exec();
}

}  // namespace ridgeview::app
