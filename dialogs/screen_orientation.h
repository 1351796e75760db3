// Portrait or landscape: the dialogs lay themselves out in one column on a screen taller than
// wide (or square) and in two columns on a screen wider than tall, and again whenever the
// screen's geometry changes (a rotation, a new resolution).
#pragma once

#include <QObject>
#include <QSize>

#include <functional>

class QScreen;
class QWidget;

namespace ridgeview::dialogs {

// Where the screen size comes from; the screen `widget` is on when empty.
using ScreenSizeSource = std::function<QSize()>;

// True when the size is wider than tall.
bool IsLandscape(QSize screen);

class ScreenWatcher : public QObject {
  Q_OBJECT

 public:
  // Watches every screen's geometry; `source` decides the size judged (tests pass their own).
  ScreenWatcher(QWidget* widget, ScreenSizeSource source = {});

  QSize ScreenSize() const;
  bool Landscape() const { return IsLandscape(ScreenSize()); }

  // Announces the current orientation, as a geometry change does.
  void Notify();

 signals:
  // Sent after every screen geometry change, whether or not the orientation changed.
  void ScreenChanged(bool landscape);

 private:
  void WatchScreen(QScreen* screen);

  QWidget* widget_;
  ScreenSizeSource source_;
};

}  // namespace ridgeview::dialogs
