// The three pages of the properties sheet. Each keeps a copy of what it shows, taken when
// the sheet is built, and fills its controls when it is first shown; nothing refreshes
// afterwards and nothing on a page can be changed. Value controls are QLabels named after
// their control ids (dialogs/control_ids.h), so tests read them with control::Find.
#pragma once

#include <QPixmap>

#include <optional>
#include <string>

#include "dialogs/properties_page.h"
#include "document/image.h"

namespace ridgeview::dialogs {

// File (tab "File"): icon 1008, "Type:" 1009, "Location:" 1010, "Name:" 1016,
// "Created:" 1012, "Size:" 1011, "Attributes:" 1013.
class FilePage final : public PropertiesPage {
 public:
  explicit FilePage(std::string path, QWidget* parent = nullptr);

 protected:
  void Fill() override;

 private:
  std::string path_;
};

// Image (tab "Image"): "Type:" 1009 ("Device Independant Bitmap"), "Size:" 1021,
// "Colors:" 1019, "Bits per pixel:" 1020, "Image bytes:" 1022, thumbnail 1043. Without a
// header (the bitmap was released for low memory) the values and the thumbnail stay empty.
class ImagePage final : public PropertiesPage {
 public:
  ImagePage(std::optional<document::ImageHeader> header, bool wsqOrigin, QPixmap thumbnail,
            QWidget* parent = nullptr);

 protected:
  void Fill() override;

 private:
  std::optional<document::ImageHeader> header_;
  bool wsqOrigin_;
  QPixmap thumbnail_;
};

// View (tab "View"): "Zoom:" 1023, "Size:" 1021 (the zoomed size), thumbnail 1024 with the
// visible part outlined.
class ViewPage final : public PropertiesPage {
 public:
  ViewPage(double zoom, int contentWidth, int contentHeight, QPixmap thumbnail,
           QWidget* parent = nullptr);

 protected:
  void Fill() override;

 private:
  double zoom_;
  int contentWidth_;
  int contentHeight_;
  QPixmap thumbnail_;
};

// "Created:": the date in the locale's short format, two blanks, the time in its short
// format without seconds, in local time. Empty without a time.
QString CreatedText(std::optional<std::int64_t> secondsSinceEpoch, const QLocale& locale);

}  // namespace ridgeview::dialogs
