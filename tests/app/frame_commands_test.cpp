// The frame's commands: the tool bar and menus that issue them, their keys, and what each does
// to the document and to the enabled states of the others.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <fstream>

#include "document/command_ids.h"
#include "frame_harness.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
using testing::FrameHarness;

std::vector<std::string> MenuTexts(const QMenu* menu) {
  std::vector<std::string> texts;
  for (const QAction* a : menu->actions()) {
    texts.push_back(a->isSeparator() ? "|" : a->text().toStdString());
  }
  return texts;
}

QAction* MenuItem(const QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
  }
  return nullptr;
}

TEST(FrameCommands, ToolBarHasTheButtonsInOrderWithStatusTextsAsToolTips) {
  FrameHarness h;
  MainFrame& f = h.Start();
  EXPECT_EQ(f.windowTitle(), "Ridgeview");
  QToolBar* bar = f.commandBar();
  EXPECT_EQ(f.toolBarArea(bar), Qt::BottomToolBarArea);
  EXPECT_FALSE(bar->isMovable());
  EXPECT_FALSE(bar->isFloatable());

  std::vector<QWidget*> order;
  for (QAction* a : bar->actions()) order.push_back(bar->widgetForAction(a));
  const std::vector<QWidget*> expected = {
      f.optionsButton(), f.button(cmd::kOpen), f.button(cmd::kSave),
      f.button(cmd::kProperties), f.zoomTrack(), f.button(cmd::kCopy),
      f.button(cmd::kPaste), f.button(cmd::kAbout)};
  EXPECT_EQ(order, expected);

  EXPECT_EQ(f.optionsButton()->text(), "Options");
  EXPECT_EQ(f.optionsButton()->popupMode(), QToolButton::InstantPopup);
  EXPECT_EQ(MenuTexts(f.optionsMenu()), (std::vector<std::string>{
                                            "Register", "|", "Full Screen", "ScrollBars",
                                            "Title bar", "Exact pixels"}));
  for (const char* checkable : {"Full Screen", "ScrollBars", "Title bar", "Exact pixels"}) {
    EXPECT_TRUE(MenuItem(f.optionsMenu(), checkable)->isCheckable()) << checkable;
  }

  const std::pair<int, const char*> tips[] = {
      {cmd::kOpen, "Select and view an image"},
      {cmd::kSave, "Save the current image"},
      {cmd::kProperties, "Image, file and view informations"},
      {cmd::kCopy, "Copy the zoomed image to the clipboard"},
      {cmd::kPaste, "View image in clipboard"},
      {cmd::kAbout, "Ridgeview information"}};
  for (const auto& [id, tip] : tips) {
    ASSERT_NE(f.button(id), nullptr) << id;
    EXPECT_EQ(f.button(id)->toolTip().toStdString(), tip);
    EXPECT_FALSE(f.button(id)->icon().isNull()) << id;
  }
  EXPECT_EQ(f.zoomTrack()->toolTip(), "Zoom in and out");
}

TEST(FrameCommands, KeysAreWindowWideShortcuts) {
  FrameHarness h;
  MainFrame& f = h.Start();
  const auto keys = [&](int id) {
    QStringList list;
    for (const QKeySequence& k : f.action(id)->shortcuts()) {
      list << k.toString(QKeySequence::PortableText);
    }
    return list.join(' ').toStdString();
  };
  EXPECT_EQ(keys(cmd::kOpen), "Ctrl+O");
  EXPECT_EQ(keys(cmd::kSave), "Ctrl+S");
  EXPECT_EQ(keys(cmd::kCopy), "Ctrl+C Ctrl+Ins");
  EXPECT_EQ(keys(cmd::kPaste), "Ctrl+V Shift+Ins");
  EXPECT_EQ(keys(cmd::kExit), "Ctrl+Q");
  EXPECT_EQ(keys(cmd::kFullScreen), "Return F11");
  EXPECT_EQ(keys(cmd::kNextImage), "Space");
  EXPECT_EQ(keys(cmd::kPreviousImage), "Backspace");
  for (int id : {cmd::kOpen, cmd::kCopy, cmd::kFullScreen, cmd::kExit, cmd::kNextImage,
                 cmd::kPreviousImage}) {
    EXPECT_EQ(f.action(id)->shortcutContext(), Qt::WindowShortcut);
    EXPECT_TRUE(f.actions().contains(f.action(id))) << "keys must not depend on the tool bar";
  }
}

TEST(FrameCommands, ImageCommandsFollowTheDocument) {
  FrameHarness h;
  MainFrame& f = h.Start();
  const auto imageCommandsEnabled = [&](bool expected) {
    EXPECT_EQ(f.zoomTrack()->isEnabled(), expected);
    for (int id : {cmd::kSave, cmd::kCopy, cmd::kProperties}) {
      EXPECT_EQ(f.action(id)->isEnabled(), expected) << id;
      EXPECT_EQ(f.button(id)->isEnabled(), expected) << id;
    }
  };
  imageCommandsEnabled(false);
  EXPECT_EQ(f.titleBar()->title().plain, "No image");

  ASSERT_TRUE(f.OpenImageFile(testing::SamplePath(), 1.0, -1, -1));
  imageCommandsEnabled(true);
  EXPECT_EQ(f.titleBar()->title().left, "Image: fingerprint");
  EXPECT_EQ(f.titleBar()->title().right, "Zoom: 1.00");

  // Close empties the document, and the commands that need an image go with it.
  ASSERT_TRUE(f.OnCommand(cmd::kClose));
  EXPECT_TRUE(f.imagePath().empty());
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
  imageCommandsEnabled(false);
  // A disabled command is not run.
  EXPECT_FALSE(f.OnCommand(cmd::kSave));
  EXPECT_EQ(h.fileDialogs.saveCalls, 0);

  const std::string missing = h.TempPath("missing.wsq");
  EXPECT_FALSE(f.OpenImageFile(missing, 1.0, -1, -1));
  imageCommandsEnabled(false);
  ASSERT_EQ(h.messages.messages.size(), 1u);
  EXPECT_EQ(h.messages.messages[0].text, "Cannot load image from: " + missing);
}

TEST(FrameCommands, PasteFollowsTheClipboard) {
  FrameHarness h;
  testing::PutTextOnClipboard("no picture here");
  MainFrame& f = h.Start();
  EXPECT_FALSE(f.action(cmd::kPaste)->isEnabled());
  EXPECT_FALSE(f.button(cmd::kPaste)->isEnabled());

  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(QColor(10, 200, 30));
  testing::PutImageOnClipboard(picture);
  EXPECT_TRUE(f.action(cmd::kPaste)->isEnabled());
  EXPECT_TRUE(f.button(cmd::kPaste)->isEnabled());

  ASSERT_TRUE(f.OnCommand(cmd::kPaste));
  EXPECT_EQ(f.view()->displayName(), "pasted");
  EXPECT_TRUE(f.imagePath().empty());
  EXPECT_TRUE(f.action(cmd::kSave)->isEnabled());
  EXPECT_TRUE(h.messages.messages.empty());

  testing::PutTextOnClipboard("gone");
  EXPECT_FALSE(f.action(cmd::kPaste)->isEnabled());

  // An image type no loader reads leaves Paste disabled; one it reads enables it.
  auto unreadable = std::make_unique<QMimeData>();
  unreadable->setData("image/x-no-such-format", QByteArray("\x01\x02\x03\x04", 4));
  QGuiApplication::clipboard()->setMimeData(unreadable.release());
  testing::Pump(0);
  EXPECT_FALSE(f.action(cmd::kPaste)->isEnabled());
  EXPECT_FALSE(f.OnCommand(cmd::kPaste));
  EXPECT_TRUE(h.messages.messages.empty());

  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  ASSERT_TRUE(picture.save(&buffer, "PNG"));
  auto readable = std::make_unique<QMimeData>();
  readable->setData("image/png", png);
  QGuiApplication::clipboard()->setMimeData(readable.release());
  testing::Pump(0);
  EXPECT_TRUE(f.action(cmd::kPaste)->isEnabled());
}

TEST(FrameCommands, OpenSaveAndCopyGoThroughTheDocument) {
  FrameHarness h;
  MainFrame& f = h.Start();
  h.fileDialogs.openAnswers.push_back(std::nullopt);  // cancelled: nothing happens
  h.fileDialogs.openAnswers.push_back(testing::SamplePath());
  ASSERT_TRUE(f.OnCommand(cmd::kOpen));
  EXPECT_TRUE(f.imagePath().empty());
  ASSERT_TRUE(f.OnCommand(cmd::kOpen));
  EXPECT_EQ(f.imagePath(), testing::SamplePath());
  EXPECT_EQ(f.view()->zoom(), 1.0);

  const std::string saved = h.TempPath("saved.bmp");
  h.fileDialogs.saveAnswers.push_back(document::FileDialogService::SaveChoice{saved, 2});
  ASSERT_TRUE(f.OnCommand(cmd::kSave));
  std::ifstream in(saved, std::ios::binary | std::ios::ate);
  ASSERT_TRUE(in.good());
  EXPECT_EQ(static_cast<long>(in.tellg()), 54 + 500 * 500 * 3);

  testing::PutTextOnClipboard("text");
  ASSERT_TRUE(f.OnCommand(cmd::kCopy));
  EXPECT_TRUE(h.clipboard.HasImage());
  EXPECT_TRUE(f.action(cmd::kPaste)->isEnabled());
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST(FrameCommands, ContextMenuHoldsBothGroupsAndOpensOnTheViewsRequest) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  EXPECT_EQ(MenuTexts(f.contextMenu()),
            (std::vector<std::string>{"Full Screen", "ScrollBars", "Title bar", "Exact pixels",
                                      "Properties", "About Ridgeview", "|", "Open", "Save",
                                      "Close", "Copy", "Paste"}));
  testing::ShowActive(f);
  emit f.view()->contextMenuRequested(f.view()->mapToGlobal(QPoint(100, 100)));
  EXPECT_TRUE(testing::WaitUntil([&] { return f.contextMenu()->isVisible(); }));
  // Centred on the point horizontally, below it.
  const QRect shown = f.contextMenu()->geometry();
  EXPECT_NEAR(shown.center().x(), f.view()->mapToGlobal(QPoint(100, 100)).x(), 2);
  f.contextMenu()->hide();

  // Its items run the same commands: Close from the menu empties the document.
  MenuItem(f.contextMenu(), "Close")->trigger();
  EXPECT_TRUE(f.imagePath().empty());
}

TEST(FrameCommands, ExitClosesTheFrameAndStoresTheSettings) {
  FrameHarness h;
  MainFrame& f = h.Start();
  testing::ShowActive(f);
  int closed = 0;
  QObject::connect(&f, &MainFrame::frameClosed, [&] { ++closed; });
  ASSERT_TRUE(f.OnCommand(cmd::kExit));
  EXPECT_TRUE(testing::WaitUntil([&] { return closed == 1; }));
  EXPECT_FALSE(f.isVisible());
  auto key = h.registry().OpenKey(platform::Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                                  platform::KeyDisposition::OpenExisting);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("Zoom", nullptr, 0).size, 8u);
}

TEST(FrameCommands, ArrowKeysZoomAsSoonAsTheWindowIsActive) {
  // Nothing but showing and activating the window, as the desktop does at start: no click,
  // no focus set by hand.
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  f.show();
  f.activateWindow();
  ASSERT_TRUE(testing::WaitUntil([&] { return f.isActiveWindow(); }));
  testing::Pump(0);
  EXPECT_EQ(QApplication::focusWidget(), f.view());

  const QString before = QString::fromStdString(f.titleBar()->title().right);
  testing::PressKey(f, Qt::Key_Down);
  EXPECT_NE(QString::fromStdString(f.titleBar()->title().right), before);
  EXPECT_GT(f.view()->zoom(), 1.0);
}

TEST(FrameCommands, KeysReachTheCommandsWhereverTheFocusIs) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  ASSERT_TRUE(f.isActiveWindow());

  testing::PressKey(f, Qt::Key_Return);
  EXPECT_TRUE(f.fullScreen());
  testing::PressKey(f, Qt::Key_Return);
  EXPECT_FALSE(f.fullScreen());

  // With the focus on the zoom slider Return still switches; Esc only leaves.
  f.zoomTrack()->setFocus();
  testing::Pump(0);
  testing::PressKey(f, Qt::Key_F11);
  EXPECT_TRUE(f.fullScreen());
  testing::PressKey(f, Qt::Key_Escape);
  EXPECT_FALSE(f.fullScreen());
  testing::PressKey(f, Qt::Key_Escape);
  EXPECT_FALSE(f.fullScreen());

  int closed = 0;
  QObject::connect(&f, &MainFrame::frameClosed, [&] { ++closed; });
  testing::PressKey(f, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(testing::WaitUntil([&] { return closed == 1; }));
}

}  // namespace
}  // namespace ridgeview::app
