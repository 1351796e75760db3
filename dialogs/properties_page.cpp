#include "dialogs/properties_page.h"

#include "dialogs/control_ids.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QImage>
#include <QLabel>

#include <cmath>

namespace ridgeview::dialogs {

PropertiesPage::PropertiesPage(QWidget* parent) : QWidget(parent) {
  outer_ = new QGridLayout(this);
  block_ = new QWidget(this);
  rows_ = new QGridLayout(block_);
  rows_->setContentsMargins(0, 0, 0, 0);
  rows_->setColumnStretch(1, 1);
  Arrange();
}

QLabel* PropertiesPage::AddRow(const QString& label, int controlId) {
  auto* name = new QLabel(label, block_);
  auto* value = new QLabel(block_);
  value->setObjectName(control::Name(controlId));
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  rows_->addWidget(name, rowCount_, 0, Qt::AlignLeft | Qt::AlignTop);
  rows_->addWidget(value, rowCount_, 1, Qt::AlignLeft | Qt::AlignTop);
  ++rowCount_;
  return value;
}

QLabel* PropertiesPage::AddPicture(int controlId, QSize size) {
  picture_ = new QLabel(this);
  picture_->setObjectName(control::Name(controlId));
  picture_->setFixedSize(size);
  picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Arrange();
  return picture_;
}

QLabel* PropertiesPage::Control(int controlId) const {
  return control::Find<QLabel>(this, controlId);
}

void PropertiesPage::SetLandscape(bool landscape) {
  if (landscape == landscape_) return;
  landscape_ = landscape;
  Arrange();
}

void PropertiesPage::Arrange() {
  outer_->removeWidget(block_);
  if (picture_ != nullptr) outer_->removeWidget(picture_);
  outer_->addWidget(block_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
  if (picture_ != nullptr) {
    if (landscape_) {
      outer_->addWidget(picture_, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    } else {
      outer_->addWidget(picture_, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    }
  }
  // Whatever space is left stays below and to the right of the controls.
  outer_->setRowStretch(0, 0);
  outer_->setRowStretch(1, 0);
  outer_->setRowStretch(2, 1);
  outer_->setColumnStretch(0, 0);
  outer_->setColumnStretch(1, 0);
  outer_->setColumnStretch(2, 1);
}

void PropertiesPage::showEvent(QShowEvent* event) {
  if (!filled_) {
    filled_ = true;
    Fill();
  }
  QWidget::showEvent(event);
  // The values arrived after the last layout pass: place them now, not a frame later. A
  // value's new size reaches the rows first, then the page (one request each).
  for (int pass = 0; pass < 3; ++pass) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
}

QPixmap ToPixmap(const document::Image& image, qreal devicePixelRatio) {
  if (image.bitsPerPixel != 24 || !image.IsTopDown() || !document::IsValidImage(image)) {
    return {};
  }
  const QImage view(image.pixels.data(), image.width, static_cast<int>(image.RowCount()),
                    static_cast<qsizetype>(image.Stride()), QImage::Format_BGR888);
  QPixmap pixmap = QPixmap::fromImage(view.copy());
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

QSize DeviceSize(QSize logical, qreal devicePixelRatio) {
  return QSize(static_cast<int>(std::lround(logical.width() * devicePixelRatio)),
               static_cast<int>(std::lround(logical.height() * devicePixelRatio)));
}

}  // namespace ridgeview::dialogs
