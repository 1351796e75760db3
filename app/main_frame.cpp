// The frame's creation, its start-up image and settings, and closing.
#include "app/main_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QScreen>
#include <utility>

#include "app/frame_ports.h"
#include "app/app_icons.h"
#include "document/command_ids.h"
#include "document/document_operations.h"
#include "platform/qt/services/dropped_file.h"
#include "settings/view_settings.h"
#include "view/core/view_units.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::app {

namespace cmd = document::command;

MainFrame::MainFrame(const FrameServices& services, const std::string& commandLine,
                     FrameDialogs dialogs, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      dialogs_(std::move(dialogs)),
      programPath_(QCoreApplication::applicationFilePath().toStdString()) {
  setObjectName("Ridgeview");
  setWindowTitle("Ridgeview");
  setWindowIcon(ProgramIcon());
  // The tool bar is part of the frame: no menu for hiding it.
  setContextMenuPolicy(Qt::NoContextMenu);
  // A file dropped anywhere on the window opens (the view and bars take no drops).
  setAcceptDrops(true);
  ui_.SetListener([this](const UiStateEntry& entry) { ApplyUiState(entry); });

  // The settings are read in the order the frame is built: Full, TitleBar, ScrollBars, then
  // the start-up image's Image, Scroll and Zoom, then Folder and Smooth. The key closes when
  // `reader` goes.
  settings::SettingsReader reader(*services_.registry);
  if (reader.ReadFull()) {
    // Full screen is applied once the frame exists and the event loop runs.
    QMetaObject::invokeMethod(
        this, [this] { OnCommand(cmd::kFullScreen); }, Qt::QueuedConnection);
  }

  // The tool bar with its zoom slider, and the two menus.
  CreateActions();
  CreateCommandBar();
  CreateMenus();

  client_ = new QWidget(this);
  client_->setObjectName("client");
  setCentralWidget(client_);
  client_->installEventFilter(this);

  titleBar_ = new view::TitleStrip(client_);
  titleBar_->setObjectName("Title bar");
  const bool titleBarOn = reader.ReadTitleBar();
  titleBar_->setVisible(titleBarOn);
  ui_.SetCheck(cmd::kTitleBar, titleBarOn);

  const bool scrollBarsOn = reader.ReadScrollBars();
  view_ = new view::ImageView(client_, scrollBarsOn);
  view_->setObjectName("view");
  view_->SetZoomTrack(zoomTrack_);
  view_->SetTitleBar(titleBar_);
  ui_.SetCheck(cmd::kScrollBars, view_->scrollBarsOn());
  // Focus given to the frame goes to the view, so that keys reach the zoom. The view is also
  // the window's focus widget from the start: a window activated without one would focus its
  // first tab stop (the Options button), and the arrow keys would not zoom until a click.
  setFocusProxy(view_);
  client_->setFocusProxy(view_);
  view_->setFocus(Qt::OtherFocusReason);
  connect(view_, &view::ImageView::contextMenuRequested, this, &MainFrame::ShowContextMenu);

  viewPort_ = std::make_unique<ImageViewPort>(*view_);
  statePort_ = std::make_unique<UiStatePort>(ui_);
  document_ = std::make_unique<document::Document>(*viewPort_, *statePort_, *services_.messages,
                                                   *services_.pictures, *services_.clipboard);

  // The window covers the screen's work area, laid out now so that the start-up image is
  // placed for the view's real size.
  QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  WatchScreen(screen);
  FitToWorkArea();
  if (layout() != nullptr) layout()->activate();
  UpdateLayout(true);

  // The clipboard decides whether Paste is enabled, on every change.
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    connect(clipboard, &QClipboard::dataChanged, this, &MainFrame::RefreshClipboardState);
  }
  RefreshClipboardState();

  OpenStartupImage(commandLine, reader);
  // Read last, after the older values (the reduction it chooses is drawn at the
  // first paint, which comes later).
  view_->SetSmooth(reader.ReadSmooth());
  ui_.SetCheck(cmd::kExactPixels, !view_->smooth());
  ApplyAllUiState();
}

MainFrame::~MainFrame() {
  // The document talks to the view: it goes first, before the widgets are deleted.
  document_.reset();
  ui_.SetListener({});
}

void MainFrame::OpenStartupImage(const std::string& commandLine,
                                 settings::SettingsReader& reader) {
  if (!commandLine.empty()) {
    // The file's folder becomes the one the dialogs start in.
    OpenImageFile(commandLine, 1.0, -1, -1);
    return;
  }
  const std::string image = reader.ReadImage();
  double zoom = 1.0;
  settings::ScrollPoint scroll;
  if (!image.empty()) {
    scroll = reader.ReadScroll();
    zoom = reader.ReadZoom();
  }
  // With no stored image this clears the document and disables the image commands.
  OpenImageFile(image, zoom, scroll.x, scroll.y);
  // The stored folder may be a later one than the image's (a save elsewhere).
  if (std::string folder = reader.ReadFolder(); !folder.empty()) {
    document_->SetLastFolder(std::move(folder));
  }
}

bool MainFrame::OpenImageFile(const std::string& path, double zoom, int x, int y) {
  return document_->OpenImageFile(path, zoom, x, y);
}

const std::string& MainFrame::imagePath() const { return document_->imagePath(); }

void MainFrame::FitToWorkArea() {
  QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (s == nullptr) return;
  // The window's decorations count: they are known once the window is on the screen, and
  // are taken as none before.
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  const QMargins decorations(inner.left() - frame.left(), inner.top() - frame.top(),
                             frame.right() - inner.right(), frame.bottom() - inner.bottom());
  setGeometry(s->availableGeometry().marginsRemoved(decorations));
}

void MainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownBefore_) {
    shownBefore_ = true;
    if (!fullScreen_ && !isFullScreen()) FitToWorkArea();
  }
}

bool MainFrame::titleBarVisible() const { return !titleBar_->isHidden(); }

void MainFrame::SaveSettings() {
  settings::ViewSettings s;
  s.titleBar = titleBarVisible();
  s.scrollBarsOn = view_->scrollBarsOn();
  s.fullScreen = fullScreen_;
  s.imagePath = imagePath();
  // The image point at the view's top-left corner, so that the next start shows the same
  // region whatever size the window then has.
  const double zoom = view_->zoom();
  s.scroll = {view::ToImage(view_->offset().x, zoom), view::ToImage(view_->offset().y, zoom)};
  s.zoom = zoom;
  s.folder = document_->lastFolder();
  s.smooth = view_->smooth();
  // A store that cannot be written loses the settings of this run only; closing goes on.
  settings::WriteSettings(*services_.registry, s);
}

namespace {

// Accepts a drag that carries a local file, refuses any other.
void AnswerDrag(QDropEvent* event) {
  if (platform::DroppedLocalFile(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) { AnswerDrag(event); }

void MainFrame::dragMoveEvent(QDragMoveEvent* event) { AnswerDrag(event); }

void MainFrame::dropEvent(QDropEvent* event) {
  const std::optional<std::string> path = platform::DroppedLocalFile(event->mimeData());
  if (!path) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // Opened once the drag is over, so that a message box about the file does not run inside
  // the drag source's drop call.
  QMetaObject::invokeMethod(
      this, [this, file = *path] { OpenImageFile(file, 1.0, -1, -1); }, Qt::QueuedConnection);
}

void MainFrame::closeEvent(QCloseEvent* event) {
  // The settings are stored once, however often the toolkit asks the window to close.
  if (!closing_) {
    closing_ = true;
    SaveSettings();
  }
  event->accept();
  emit frameClosed();
}

}  // namespace ridgeview::app
