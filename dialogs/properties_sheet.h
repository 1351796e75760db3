// The properties sheet: a modal dialog titled with the image's display name, with the pages
// File (only for an image loaded from a file), Image and View in a QTabWidget.
//
// Everything the pages show is taken from the snapshot while the sheet is built: the
// thumbnails are made then, so the bitmap only has to live for the ShowProperties call (or
// the PropertiesSheet constructor), never while the sheet waits for the user.
#pragma once

#include <QDialog>

#include <string>

#include "dialogs/screen_orientation.h"
#include "document/image.h"
#include "view/core/view_units.h"

class QTabWidget;

namespace ridgeview::dialogs {

// The document and view facts the sheet shows. Sizes and positions are device pixels.
struct PropertiesSnapshot {
  std::string imagePath;                    // empty for a pasted image: no File page
  std::string displayName;                  // the sheet's title, unchanged
  const document::Image* bitmap = nullptr;  // null after a low-memory release
  bool wsqOrigin = false;
  view::Size imageSize;    // the image's size in image pixels
  double zoom = 1.0;
  view::Size contentSize;  // the zoomed size
  view::Point offset;      // the view's scroll offset (screen units)
  view::Size clientSize;   // the view's client area
};

class PropertiesSheet final : public QDialog {
  Q_OBJECT

 public:
  // `screenSize` decides portrait or landscape (the sheet's screen when empty).
  PropertiesSheet(QWidget* owner, const PropertiesSnapshot& snapshot,
                  ScreenSizeSource screenSize = {});

  QTabWidget* Tabs() const { return tabs_; }
  ScreenWatcher* Watcher() const { return watcher_; }

 private:
  void Arrange(bool landscape);

  QTabWidget* tabs_ = nullptr;
  ScreenWatcher* watcher_ = nullptr;
};

// Shows the sheet modally over `owner` and returns its result (which callers may ignore).
int ShowProperties(QWidget* owner, const PropertiesSnapshot& snapshot);

}  // namespace ridgeview::dialogs
