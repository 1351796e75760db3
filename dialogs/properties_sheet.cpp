#include "dialogs/properties_sheet.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/properties_pages.h"
#include "dialogs/thumbnail.h"
#include "view/core/view_readouts.h"

namespace ridgeview::dialogs {
namespace {

qreal RatioOf(const QWidget* owner) {
  return owner != nullptr ? owner->devicePixelRatioF() : qApp->devicePixelRatio();
}

// The view's image thumbnail with the visible part outlined in red (the outline is fitted by the
// view's image size, which is the bitmap's).
QPixmap ViewThumbnail(const PropertiesSnapshot& snapshot, document::Image thumbnail, QSize frame,
                      qreal ratio) {
  const view::Size image = snapshot.imageSize;
  const double fit = FitFactor(image.w, image.h, frame.width(), frame.height());
  if (fit <= 0.0) return {};
  if (const std::optional<view::Rect> outline = view::VisibleOutline(
          snapshot.offset, snapshot.clientSize, snapshot.zoom, fit, image)) {
    DrawOutline(thumbnail, *outline, kOutlineRed);
  }
  return ToPixmap(thumbnail, ratio);
}

}  // namespace

PropertiesSheet::PropertiesSheet(QWidget* owner, const PropertiesSnapshot& snapshot,
                                 ScreenSizeSource screenSize)
    : QDialog(owner) {
  setWindowTitle(QString::fromStdString(snapshot.displayName));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_);

  const qreal ratio = RatioOf(owner);
  const QSize frame =
      DeviceSize(QSize(kThumbnailControlWidth, kThumbnailControlHeight), ratio);
  if (!snapshot.imagePath.empty()) {
    auto* file = new FilePage(snapshot.imagePath);
    file->setObjectName(QStringLiteral("page202"));
    tabs_->addTab(file, QStringLiteral("File"));
  }
  std::optional<document::ImageHeader> header;
  if (snapshot.bitmap != nullptr && document::IsValidImage(*snapshot.bitmap)) {
    header = document::QueryHeader(*snapshot.bitmap);
  }
  // One reduction serves both pages: the Image page shows it as it is, the View page a copy
  // with the visible part outlined.
  std::optional<document::Image> thumbnail;
  if (snapshot.bitmap != nullptr) {
    thumbnail = MakeThumbnail(*snapshot.bitmap, frame.width(), frame.height());
  }
  auto* image = new ImagePage(header, snapshot.wsqOrigin,
                              thumbnail ? ToPixmap(*thumbnail, ratio) : QPixmap());
  image->setObjectName(QStringLiteral("page203"));
  tabs_->addTab(image, QStringLiteral("Image"));
  auto* viewPage = new ViewPage(snapshot.zoom, snapshot.contentSize.w, snapshot.contentSize.h,
                                thumbnail ? ViewThumbnail(snapshot, *thumbnail, frame, ratio)
                                          : QPixmap());
  viewPage->setObjectName(QStringLiteral("page208"));
  tabs_->addTab(viewPage, QStringLiteral("View"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Done"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);

  watcher_ = new ScreenWatcher(this, std::move(screenSize));
  connect(watcher_, &ScreenWatcher::ScreenChanged, this, &PropertiesSheet::Arrange);
  Arrange(watcher_->Landscape());
}

void PropertiesSheet::Arrange(bool landscape) {
  for (int i = 0; i < tabs_->count(); ++i) {
    if (auto* page = dynamic_cast<PropertiesPage*>(tabs_->widget(i))) page->SetLandscape(landscape);
  }
}

int ShowProperties(QWidget* owner, const PropertiesSnapshot& snapshot) {
  PropertiesSheet sheet(owner, snapshot);
  return sheet.exec();
}

}  // namespace ridgeview::dialogs
