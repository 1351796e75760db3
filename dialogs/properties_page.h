// The frame shared by the pages of the properties sheet: a block of label/value rows, an
// optional picture control, the portrait and landscape arrangements, and filling the
// controls once, when the page is first shown.
#pragma once

#include <QPixmap>
#include <QWidget>

#include <optional>
#include <string>

#include "document/image.h"

class QGridLayout;
class QLabel;

namespace ridgeview::dialogs {

// Logical size of the thumbnail controls (the frame the thumbnail is fitted into).
inline constexpr int kThumbnailControlWidth = 200;
inline constexpr int kThumbnailControlHeight = 150;

class PropertiesPage : public QWidget {
 public:
  explicit PropertiesPage(QWidget* parent = nullptr);

  // Portrait: the picture below the rows; landscape: beside them. The rows move as one
  // block either way.
  void SetLandscape(bool landscape);
  bool Landscape() const { return landscape_; }
  bool Filled() const { return filled_; }

 protected:
  // Adds a row "label | value" and returns the value control, named after `controlId`.
  QLabel* AddRow(const QString& label, int controlId);
  // Adds the picture control (thumbnail or icon), named after `controlId`, of a fixed size.
  QLabel* AddPicture(int controlId, QSize size);
  // The value or picture control `controlId` of this page.
  QLabel* Control(int controlId) const;
  // Fills the controls; called once, before the page is first shown.
  virtual void Fill() = 0;

  void showEvent(QShowEvent* event) override;

 private:
  void Arrange();

  QWidget* block_ = nullptr;
  QGridLayout* rows_ = nullptr;
  QGridLayout* outer_ = nullptr;
  QLabel* picture_ = nullptr;
  int rowCount_ = 0;
  bool landscape_ = false;
  bool filled_ = false;
};

// A 24-bit top-down image as a pixmap at the given device-pixel ratio; a null pixmap for
// any other image.
QPixmap ToPixmap(const document::Image& image, qreal devicePixelRatio);

// A control's size in device pixels.
QSize DeviceSize(QSize logical, qreal devicePixelRatio);

}  // namespace ridgeview::dialogs
