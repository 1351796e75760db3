// The frame's commands: the actions, tool bar and menus that issue them, their routing, the
// handlers, the modal dialogs, and mirroring the command-state table onto the widgets.
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>

#include "app/about_box.h"
#include "app/app_icons.h"
#include "app/command_table.h"
#include "app/frame_dialogs.h"
#include "app/main_frame.h"
#include "document/command_ids.h"
#include "document/document_operations.h"
#include "view/widget/image_view.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::app {

namespace cmd = document::command;

namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

bool IsCheckCommand(int id) {
  return id == cmd::kFullScreen || id == cmd::kScrollBars || id == cmd::kTitleBar ||
         id == cmd::kExactPixels;
}

}  // namespace

void MainFrame::CreateActions() {
  for (const CommandInfo& c : Commands()) {
    if (c.id == cmd::kZoomTrack) continue;  // the zoom slider, not an action
    auto* a = new QAction(Text(c.menuText), this);
    a->setObjectName(Text(c.menuText.empty() ? c.statusText.substr(c.statusText.find('\n') + 1)
                                             : c.menuText));
    a->setData(c.id);
    a->setStatusTip(Text(c.statusText.substr(0, c.statusText.find('\n'))));
    const std::string tip = ToolTipOf(c);
    a->setToolTip(tip.empty() ? Text(c.menuText) : QString::fromStdString(tip));
    a->setCheckable(IsCheckCommand(c.id));
    a->setIconVisibleInMenu(false);
    QList<QKeySequence> keys;
    for (std::string_view k : c.keys) {
      if (!k.empty()) keys << QKeySequence::fromString(Text(k), QKeySequence::PortableText);
    }
    a->setShortcuts(keys);
    // Window context: the keys work wherever the focus is in the frame, also while the tool
    // bar is hidden, because the actions belong to the frame itself.
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    const int id = c.id;
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    actions_[id] = a;
  }

  // Esc leaves full screen; it is enabled only while full screen is on, so Esc keeps its
  // usual meaning everywhere else.
  leaveFullScreen_ = new QAction("Leave Full Screen", this);
  leaveFullScreen_->setShortcut(QKeySequence::fromString(Text(kLeaveFullScreenKey)));
  leaveFullScreen_->setShortcutContext(Qt::WindowShortcut);
  leaveFullScreen_->setEnabled(false);
  addAction(leaveFullScreen_);
  connect(leaveFullScreen_, &QAction::triggered, this, [this] {
    if (fullScreen_) OnCommand(cmd::kFullScreen);
  });
}

void MainFrame::CreateCommandBar() {
  commandBar_ = new QToolBar("Ridgeview", this);
  commandBar_->setObjectName("menu bar");
  commandBar_->setMovable(false);
  commandBar_->setFloatable(false);
  commandBar_->setAllowedAreas(Qt::BottomToolBarArea);
  commandBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  commandBar_->toggleViewAction()->setVisible(false);
  addToolBar(Qt::BottomToolBarArea, commandBar_);

  optionsButton_ = new QToolButton(commandBar_);
  optionsButton_->setObjectName("Options");
  optionsButton_->setText("Options");
  optionsButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  optionsButton_->setPopupMode(QToolButton::InstantPopup);
  commandBar_->addWidget(optionsButton_);

  const auto addButton = [this](int id) {
    QAction* a = actions_.at(id);
    a->setIcon(CommandIcon(id, style()));
    commandBar_->addAction(a);
    if (auto* b = qobject_cast<QToolButton*>(commandBar_->widgetForAction(a))) {
      b->setObjectName(a->objectName());
      buttons_[id] = b;
    }
  };
  addButton(cmd::kOpen);
  addButton(cmd::kSave);
  addButton(cmd::kProperties);

  // The "Zoom Track" slot: the zoom slider takes the room the other buttons leave.
  zoomTrack_ = new view::ZoomSlider(commandBar_);
  zoomTrack_->setObjectName("Zoom Track");
  if (const CommandInfo* c = FindCommand(cmd::kZoomTrack)) {
    zoomTrack_->setToolTip(QString::fromStdString(ToolTipOf(*c)));
  }
  zoomTrack_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  zoomTrack_->setMinimumWidth(80);
  commandBar_->addWidget(zoomTrack_);

  addButton(cmd::kCopy);
  addButton(cmd::kPaste);
  addButton(cmd::kAbout);
}

void MainFrame::CreateMenus() {
  optionsMenu_ = new QMenu("Options", this);
  optionsMenu_->setObjectName("Options menu");
  optionsMenu_->addAction(actions_.at(cmd::kRegister));
  optionsMenu_->addSeparator();
  optionsMenu_->addAction(actions_.at(cmd::kFullScreen));
  optionsMenu_->addAction(actions_.at(cmd::kScrollBars));
  optionsMenu_->addAction(actions_.at(cmd::kTitleBar));
  optionsMenu_->addAction(actions_.at(cmd::kExactPixels));
  optionsButton_->setMenu(optionsMenu_);

  // The context menu: two groups of commands. Qt menus have no column breaks, so a separator
  // stands between the groups.
  contextMenu_ = new QMenu(this);
  contextMenu_->setObjectName("context menu");
  // Exact pixels is here too, so that it can be changed in full screen.
  for (int id : {cmd::kFullScreen, cmd::kScrollBars, cmd::kTitleBar, cmd::kExactPixels,
                 cmd::kProperties, cmd::kAbout}) {
    contextMenu_->addAction(actions_.at(id));
  }
  contextMenu_->addSeparator();
  for (int id : {cmd::kOpen, cmd::kSave, cmd::kClose, cmd::kCopy, cmd::kPaste}) {
    contextMenu_->addAction(actions_.at(id));
  }
}

QAction* MainFrame::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QToolButton* MainFrame::button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

bool MainFrame::OnCommand(int id) {
  if (!ui_.IsEnabled(id)) return false;
  bool handled = FrameCommand(id);
  if (!handled) handled = ViewCommand(id);
  // A checkable action may have flipped its own mark when chosen: the table decides.
  ApplyAllUiState();
  return handled;
}

bool MainFrame::FrameCommand(int id) {
  switch (id) {
    case cmd::kFullScreen:
      SetFullScreen(!fullScreen_);
      return true;
    case cmd::kScrollBars:
      view_->ToggleScrollBars();
      ui_.SetCheck(cmd::kScrollBars, view_->scrollBarsOn());
      return true;
    case cmd::kTitleBar:
      OnToggleTitleBar();
      return true;
    case cmd::kExactPixels:
      view_->SetSmooth(!view_->smooth());
      ui_.SetCheck(cmd::kExactPixels, !view_->smooth());
      return true;
    case cmd::kZoomIn:
      view_->ZoomLarger();
      return true;
    case cmd::kZoomOut:
      view_->ZoomSmaller();
      return true;
    case cmd::kZoomOne:
      view_->ZoomToOne();
      return true;
    case cmd::kZoomFit:
      view_->ZoomToFit();
      return true;
    case cmd::kRegister:
      RunModal(dialogs_.registration ? dialogs_.registration
                                     : [this](QWidget* owner) {
                                         ShowRegistration(owner, programPath_);
                                       });
      return true;
    case cmd::kProperties:
      RunModal(dialogs_.properties ? dialogs_.properties
                                   : [this](QWidget* owner) { ShowProperties(owner); });
      return true;
    case cmd::kAbout:
      RunModal(dialogs_.about ? dialogs_.about : ShowAboutBox);
      return true;
    case cmd::kOpen:
      OnOpen();
      return true;
    case cmd::kSave:
      OnSave();
      return true;
    case cmd::kClose:
      // "Stop viewing current image": the document empties itself and disables the commands
      // that need an image.
      document_->CloseImage();
      return true;
    case cmd::kNextImage:
      document_->OpenNeighbourImage(document::FolderStep::kNext);
      return true;
    case cmd::kPreviousImage:
      document_->OpenNeighbourImage(document::FolderStep::kPrevious);
      return true;
    case cmd::kPaste:
      document_->PasteImage();
      return true;
    case cmd::kExit:
      // Closing is posted, as a window-close request: the close handler stores the settings.
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
      return true;
    default:
      return false;
  }
}

bool MainFrame::ViewCommand(int id) {
  switch (id) {
    case cmd::kCopy:
      document_->CopyImage();
      return true;
    default:
      return false;
  }
}

void MainFrame::RunModal(const std::function<void(QWidget*)>& dialog) {
  const bool suspended = fullScreen_;
  if (suspended) ApplyFullScreen(true, false);
  QWidget* owner = QApplication::activeWindow();
  dialog(owner != nullptr ? owner : this);
  if (suspended && fullScreen_) ApplyFullScreen(false, true);
}

void MainFrame::OnOpen() {
  std::optional<std::string> path;
  const std::string folder = document_->lastFolder();
  RunModal([this, &path, &folder](QWidget*) {
    path = services_.fileDialogs->GetOpenFileName(folder);
  });
  if (path) OpenImageFile(*path, 1.0, -1, -1);
}

void MainFrame::OnSave() {
  // The save dialog leaves full screen as it is.
  const std::optional<document::FileDialogService::SaveChoice> choice =
      services_.fileDialogs->GetSaveFileName(document_->lastFolder());
  if (choice) document_->SaveImage(choice->path, choice->filterIndex);
}

void MainFrame::ShowProperties(QWidget* owner) {
  ShowPropertiesSheet(owner, *document_, *view_);
}

void MainFrame::ShowContextMenu(QPoint globalPos) {
  ApplyAllUiState();
  // Centred horizontally on the point, below it; the menu moves itself onto the screen
  // (above the point) when there is no room below.
  const QSize size = contextMenu_->sizeHint();
  contextMenu_->popup(QPoint(globalPos.x() - size.width() / 2, globalPos.y()));
}

void MainFrame::RefreshClipboardState() {
  ui_.Enable(cmd::kPaste, services_.clipboard->HasImage());
}

void MainFrame::ApplyUiState(const UiStateEntry& entry) {
  if (entry.id == cmd::kZoomTrack) {
    if (zoomTrack_ != nullptr) zoomTrack_->setEnabled(entry.enabled);
    return;
  }
  QAction* a = action(entry.id);
  if (a == nullptr) return;
  a->setEnabled(entry.enabled);
  if (a->isCheckable()) {
    const QSignalBlocker blocker(a);
    a->setChecked(entry.checked);
  }
}

void MainFrame::ApplyAllUiState() {
  for (const UiStateEntry& e : ui_.Entries()) ApplyUiState(e);
  if (leaveFullScreen_ != nullptr) leaveFullScreen_->setEnabled(fullScreen_);
}

}  // namespace ridgeview::app
