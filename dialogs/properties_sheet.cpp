#include "dialogs/properties_sheet.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/properties_pages.h"
#include "dialogs/thumbnail.h"
#include "document/scaled_copy.h"
#include "view/core/view_readouts.h"

namespace ridgeview::dialogs {
namespace {

qreal RatioOf(const QWidget* owner) {
  return owner != nullptr ? owner->devicePixelRatioF() : qApp->devicePixelRatio();
}

QPixmap ImageThumbnail(const PropertiesSnapshot& snapshot, QSize frame, qreal ratio) {
  if (snapshot.bitmap == nullptr) return {};
  const std::optional<document::Image> thumbnail =
      MakeThumbnail(*snapshot.bitmap, frame.width(), frame.height());
  return thumbnail ? ToPixmap(*thumbnail, ratio) : QPixmap();
}

// The thumbnail fitted by the view's image size, with the visible part outlined in red.
QPixmap ViewThumbnail(const PropertiesSnapshot& snapshot, QSize frame, qreal ratio) {
  if (snapshot.bitmap == nullptr || !document::IsValidImage(*snapshot.bitmap)) return {};
  const view::Size image = snapshot.imageSize;
  const double fit = FitFactor(image.w, image.h, frame.width(), frame.height());
  const document::ThumbnailSize size =
      document::FitThumbnail(image.w, image.h, frame.width(), frame.height());
  if (fit <= 0.0 || size.width <= 0 || size.height <= 0) return {};
  // The same area-mean reduction as the view's, so the thumbnail shows no moiré either.
  document::ScaleMethod method;
  method.areaMean = true;
  method.footprint = fit;
  std::optional<document::Image> thumbnail = document::ScaledCopy(
      *snapshot.bitmap, size.width, size.height, document::ScaleKind::kScreen, method);
  if (!thumbnail) return {};
  if (const std::optional<view::Rect> outline = view::VisibleOutline(
          snapshot.offset, snapshot.clientSize, snapshot.zoom, fit, image)) {
    DrawOutline(*thumbnail, *outline, kOutlineRed);
  }
  return ToPixmap(*thumbnail, ratio);
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
  auto* image = new ImagePage(header, snapshot.wsqOrigin, ImageThumbnail(snapshot, frame, ratio));
  image->setObjectName(QStringLiteral("page203"));
  tabs_->addTab(image, QStringLiteral("Image"));
  auto* viewPage = new ViewPage(snapshot.zoom, snapshot.contentSize.w, snapshot.contentSize.h,
                                ViewThumbnail(snapshot, frame, ratio));
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
