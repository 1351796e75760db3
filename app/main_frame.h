// The main frame: the program's only top-level window. It hosts the title strip at the top,
// the image view below it and, docked at the bottom, the tool bar with the "Options" drop-down,
// the command buttons and the zoom slider. It turns menu choices, buttons and keys into calls
// of the document operations (document::Document) and of the view, switches full screen, the
// title bar and the scroll bars, keeps every command's enabled state and check mark in the
// command-state table, restores the last image and view settings when it is created, and
// stores them when it closes. Space and Backspace step through the images of the current
// file's folder (document::Document::OpenNeighbourImage); a file dropped on the window opens.
//
// Commands are integers (document/command_ids.h) routed by OnCommand in a fixed order: the
// frame's own handlers first, then the view's (Copy goes through the view's content to the
// clipboard). ScrollBars is the frame's: it toggles the view's bars and marks the result.
//
// Ownership: the frame owns its widgets, the Document and the adapters the Document talks
// to. The services in FrameServices are borrowed and must outlive the frame.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/ui_state_table.h"
#include "document/document_ports.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class QScreen;

namespace ridgeview::platform {
class Registry;
}
namespace ridgeview::document {
class Document;
}
namespace ridgeview::settings {
class SettingsReader;
}
namespace ridgeview::view {
class ImageView;
class TitleStrip;
class ZoomSlider;
}  // namespace ridgeview::view

namespace ridgeview::app {

class ImageViewPort;
class UiStatePort;

// What the frame borrows from the rest of the program. All pointers must be set.
struct FrameServices {
  platform::Registry* registry = nullptr;  // the settings store (current-user hive)
  document::MessageService* messages = nullptr;
  document::FileDialogService* fileDialogs = nullptr;
  document::PictureLoader* pictures = nullptr;
  document::ClipboardService* clipboard = nullptr;
};

// The modal dialogs the frame opens, each called with the window that owns it. An empty
// function runs the program's real dialog; tests put recorders here so that no modal loop
// runs. The frame suspends full screen around each call.
struct FrameDialogs {
  std::function<void(QWidget* owner)> about;
  std::function<void(QWidget* owner)> properties;
  std::function<void(QWidget* owner)> registration;
};

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Creates the frame as the program starts it: reads the view settings from the store
  // while building the tool bar, title strip and view, then opens the start-up image: the
  // file named by `commandLine` at zoom 1.00, centred, or, with an empty command line, the
  // stored "Image" at its stored zoom and scroll point. A stored "Full" makes the frame go
  // full screen once the event loop runs. The dialogs start in the folder of the command
  // line's file, or else in the stored "Folder" (the restored image's folder when none is
  // stored). The frame is not shown.
  MainFrame(const FrameServices& services, const std::string& commandLine,
            FrameDialogs dialogs = {}, QWidget* parent = nullptr);
  ~MainFrame() override;

  // Runs the command `id` as a menu item, button or key would. Returns false for an
  // identifier no handler takes; a disabled command is not run (false).
  bool OnCommand(int id);

  // The document operations the start-up and the hand-over of a later start use.
  bool OpenImageFile(const std::string& path, double zoom, int x, int y);

  // Full screen on or off: the window covers the whole screen (the desktop's panels
  // included) with the tool bar hidden, or goes back to its normal geometry (the screen's
  // work area at start) with the tool bar shown. Sets the check mark of Full Screen.
  void SetFullScreen(bool on);
  // Leaves (suspend) or re-enters full screen for the window alone, without changing
  // fullScreen() or the tool bar: used around modal dialogs and on deactivation. Does
  // nothing unless fullScreen() is set.
  void ApplyFullScreen(bool suspend, bool repaint);
  // Places the title strip at the top of the client area (when shown) and the view below.
  void UpdateLayout(bool resizeBars);
  // Makes the client area end above the tool bar when it is shown and at the window's
  // bottom when it is hidden.
  void FitAboveMenuBar();

  // Low-memory notice: with an open file, frees the view's bitmap and remembers to reload it
  // at the next activation (true); without one frees nothing (false).
  bool OnLowMemory();
  // The window became active (true) or inactive (false): suspends full screen while another
  // window is active, and reloads an image released for memory.
  void OnActivate(bool active);
  // Enables Paste exactly when the clipboard holds an image. Runs on every clipboard change.
  void RefreshClipboardState();
  // Opens the context menu at a global position (the view's tap-and-hold, right button or
  // Menu key). Returns at once; the chosen command comes back through OnCommand.
  void ShowContextMenu(QPoint globalPos);

  // Readers.
  const std::string& imagePath() const;
  bool fullScreen() const { return fullScreen_; }
  bool imageReleased() const { return imageReleased_; }
  bool titleBarVisible() const;
  document::Document& document() const { return *document_; }
  view::ImageView* view() const { return view_; }
  view::TitleStrip* titleBar() const { return titleBar_; }
  view::ZoomSlider* zoomTrack() const { return zoomTrack_; }
  QToolBar* commandBar() const { return commandBar_; }
  QToolButton* optionsButton() const { return optionsButton_; }
  QMenu* optionsMenu() const { return optionsMenu_; }
  QMenu* contextMenu() const { return contextMenu_; }
  // The action of a command (shared by its menu items, button and keys), or null.
  QAction* action(int id) const;
  // The tool-bar button of a command, or null.
  QToolButton* button(int id) const;
  const UiStateTable& uiState() const { return ui_; }

 signals:
  // The frame closed and stored its settings: the program ends with exit code 1.
  void frameClosed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A local file dragged onto the window (text/uri-list) is accepted; dropped, it opens as
  // Open does (zoom 1.00, centred) once the drop has returned.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Creation steps.
  void CreateActions();
  void CreateCommandBar();
  void CreateMenus();
  void OpenStartupImage(const std::string& commandLine, settings::SettingsReader& reader);

  // Command handlers.
  bool FrameCommand(int id);
  bool ViewCommand(int id);
  void OnOpen();
  void OnSave();
  void OnToggleTitleBar();
  // Runs a modal dialog with full screen suspended around it.
  void RunModal(const std::function<void(QWidget*)>& dialog);
  void ShowProperties(QWidget* owner);

  // Mirrors a changed table entry onto the actions, buttons and slider.
  void ApplyUiState(const UiStateEntry& entry);
  void ApplyAllUiState();
  void SaveSettings();
  // Places the window, decorations included, on the screen's work area.
  void FitToWorkArea();
  void PlaceWindow(bool full, bool repaint);
  void WatchScreen(QScreen* screen);
  void OnScreenChanged();

  FrameServices services_;
  FrameDialogs dialogs_;
  UiStateTable ui_;

  QWidget* client_ = nullptr;  // central widget holding the title strip and the view
  view::TitleStrip* titleBar_ = nullptr;
  view::ImageView* view_ = nullptr;
  view::ZoomSlider* zoomTrack_ = nullptr;
  QToolBar* commandBar_ = nullptr;
  QToolButton* optionsButton_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  QAction* leaveFullScreen_ = nullptr;
  std::map<int, QAction*> actions_;
  std::map<int, QToolButton*> buttons_;

  std::unique_ptr<ImageViewPort> viewPort_;
  std::unique_ptr<UiStatePort> statePort_;
  std::unique_ptr<document::Document> document_;

  // Where the executable is: taken from the system at start, updated when a registration
  // moves it (the system keeps reporting the path the run started from).
  std::string programPath_;
  bool fullScreen_ = false;
  bool imageReleased_ = false;
  bool closing_ = false;
  bool shownBefore_ = false;
  QRect normalGeometry_;  // the window's geometry before it went full screen
  QPointer<QScreen> watchedScreen_;
};

}  // namespace ridgeview::app
