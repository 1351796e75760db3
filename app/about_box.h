// The About box: the program's name, version and maker, its icon, and a short help text on
// the info-background colour. It has a portrait and a landscape layout and switches between
// them whenever the screen turns (becomes wider than tall, or no longer), and closes with
// Done (or Return, or Esc).
#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QGridLayout;
class QDialogButtonBox;
class QScreen;

namespace ridgeview::app {

inline constexpr char kAboutTitle[] = "About Ridgeview";
inline constexpr char kAboutVersionPortrait[] = "Ridgeview v1.3\nTarnwell";
inline constexpr char kAboutVersionLandscape[] = "Ridgeview  v1.3\nTarnwell";
inline constexpr char kAboutHelpText[] =
    "Use the Return key (or F11) to toggle full screen.\n"
    "Use the arrow keys to zoom in and out, slowly with horizontal arrows, quickly with "
    "vertical.\n"
    "Keep the mouse button pressed in place, or right-click, to get the menu.\n"
    "Drag the image to move it.\n"
    "Ctrl + wheel or Ctrl + Plus / Minus magnify up to 16 x (Ctrl + 0: 1.00, Ctrl + 9: fit); "
    "Shift + drag measures.";

// A screen counts as landscape when its width exceeds its height. A missing screen is
// portrait.
bool IsLandscape(const QScreen* screen);

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  // Laid out for the screen `parent` is on (the primary screen without a parent).
  explicit AboutBox(QWidget* parent = nullptr);

  // Re-lays the box in the landscape or portrait arrangement, with that layout's version
  // text. Called on creation and whenever the screen's shape changes.
  void LayOut(bool landscape);
  bool landscape() const { return landscape_; }

  QLabel* versionLabel() const { return version_; }
  QLabel* iconLabel() const { return icon_; }
  QLabel* helpLabel() const { return help_; }
  QDialogButtonBox* buttons() const { return buttons_; }

 protected:
  bool event(QEvent* event) override;

 private:
  // Follows the screen the box is on: its geometry and orientation changes re-lay the box.
  void WatchScreen(QScreen* screen);
  void OnScreenShapeChanged();

  QLabel* version_;
  QLabel* icon_;
  QLabel* help_;
  QDialogButtonBox* buttons_;
  QGridLayout* grid_;
  QPointer<QScreen> watched_;
  bool landscape_ = false;
  bool laidOut_ = false;
};

// Shows the About box modally over `owner`; returns when the user closes it.
void ShowAboutBox(QWidget* owner);

}  // namespace ridgeview::app
