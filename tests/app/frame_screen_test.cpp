// Full screen, the title bar and scroll-bar toggles, modal dialogs suspending full screen,
// activation changes and the low-memory notice.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <cstdio>

#include "document/command_ids.h"
#include "frame_harness.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
using testing::FrameHarness;

QAction* MenuItem(const QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
  }
  return nullptr;
}

TEST(FrameScreen, FullScreenTwiceReturnsToTheWorkAreaWithTheBarShown) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  const QRect normal = f.geometry();
  // The window, decorations included, covers the work area.
  EXPECT_EQ(f.frameGeometry(), f.screen()->availableGeometry());

  ASSERT_TRUE(f.OnCommand(cmd::kFullScreen));
  EXPECT_TRUE(f.fullScreen());
  EXPECT_TRUE(f.isFullScreen());
  EXPECT_TRUE(f.commandBar()->isHidden());
  EXPECT_TRUE(f.action(cmd::kFullScreen)->isChecked());
  // The view takes the room the bar gave up.
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return f.view()->geometry().bottom() == f.centralWidget()->height() - 1; }));

  ASSERT_TRUE(f.OnCommand(cmd::kFullScreen));
  EXPECT_FALSE(f.fullScreen());
  EXPECT_FALSE(f.isFullScreen());
  EXPECT_FALSE(f.commandBar()->isHidden());
  EXPECT_FALSE(f.action(cmd::kFullScreen)->isChecked());
  EXPECT_TRUE(testing::WaitUntil([&] { return f.geometry() == normal; }));
}

TEST(FrameScreen, TitleBarToggleKeepsBothMenusChecked) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  QAction* options = MenuItem(f.optionsMenu(), "Title bar");
  QAction* context = MenuItem(f.contextMenu(), "Title bar");
  ASSERT_TRUE(options && context);
  EXPECT_TRUE(f.titleBarVisible());
  EXPECT_TRUE(options->isChecked() && context->isChecked());
  const int titleHeight = f.titleBar()->height();
  EXPECT_EQ(f.view()->y(), titleHeight);

  options->trigger();
  EXPECT_FALSE(f.titleBarVisible());
  EXPECT_FALSE(options->isChecked() || context->isChecked());
  EXPECT_EQ(f.view()->y(), 0);
  EXPECT_EQ(f.view()->height(), f.centralWidget()->height());

  context->trigger();
  EXPECT_TRUE(f.titleBarVisible());
  EXPECT_TRUE(options->isChecked() && context->isChecked());
  EXPECT_EQ(f.view()->y(), titleHeight);
}

TEST(FrameScreen, ScrollBarsToggleKeepsTheMarkEqualToTheView) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  QAction* options = MenuItem(f.optionsMenu(), "ScrollBars");
  QAction* context = MenuItem(f.contextMenu(), "ScrollBars");
  ASSERT_TRUE(options && context);
  EXPECT_TRUE(f.view()->scrollBarsOn());
  const double zoom = f.view()->zoom();
  const view::Point offset = f.view()->offset();
  for (QAction* item : {options, context, context, options}) {
    item->trigger();
    EXPECT_EQ(options->isChecked(), f.view()->scrollBarsOn());
    EXPECT_EQ(context->isChecked(), f.view()->scrollBarsOn());
  }
  options->trigger();
  EXPECT_FALSE(f.view()->scrollBarsOn());
  EXPECT_FALSE(f.uiState().IsChecked(cmd::kScrollBars));
  // Toggling keeps zoom and offset.
  EXPECT_EQ(f.view()->zoom(), zoom);
  EXPECT_EQ(f.view()->offset(), offset);
}

TEST(FrameScreen, ModalDialogsLeaveFullScreenWhileTheyAreUpButSaveDoesNot) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  f.SetFullScreen(true);
  ASSERT_TRUE(f.isFullScreen());

  for (int id : {cmd::kAbout, cmd::kProperties, cmd::kRegister, cmd::kOpen}) {
    ASSERT_TRUE(f.OnCommand(id)) << id;
    EXPECT_TRUE(f.isFullScreen()) << id << ": full screen comes back";
    EXPECT_TRUE(f.fullScreen());
    EXPECT_TRUE(f.commandBar()->isHidden());
  }
  EXPECT_EQ(h.aboutCalls, std::vector<bool>{false});
  EXPECT_EQ(h.propertiesCalls, std::vector<bool>{false});
  EXPECT_EQ(h.registrationCalls, std::vector<bool>{false});
  EXPECT_EQ(h.fileDialogs.fullScreenDuringOpen, std::vector<bool>{false});

  ASSERT_TRUE(f.OnCommand(cmd::kSave));
  EXPECT_EQ(h.fileDialogs.fullScreenDuringSave, std::vector<bool>{true});

  // Without full screen nothing is switched around the dialogs.
  f.SetFullScreen(false);
  ASSERT_TRUE(f.OnCommand(cmd::kAbout));
  EXPECT_EQ(h.aboutCalls, (std::vector<bool>{false, false}));
  EXPECT_FALSE(f.isFullScreen());
}

TEST(FrameScreen, DeactivationGivesTheDesktopBackUntilTheFrameIsActiveAgain) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  f.SetFullScreen(true);

  f.OnActivate(false);
  EXPECT_FALSE(f.isFullScreen());
  EXPECT_FALSE(f.commandBar()->isHidden());
  EXPECT_TRUE(f.fullScreen()) << "only suspended";
  EXPECT_TRUE(f.action(cmd::kFullScreen)->isChecked());

  f.OnActivate(true);
  EXPECT_TRUE(f.isFullScreen());
  EXPECT_TRUE(f.commandBar()->isHidden());

  // Out of full screen, activation changes nothing on the screen.
  f.SetFullScreen(false);
  f.OnActivate(false);
  f.OnActivate(true);
  EXPECT_FALSE(f.isFullScreen());
  EXPECT_FALSE(f.commandBar()->isHidden());
}

TEST(FrameScreen, DeactivationOfAMinimisedOrHiddenFullScreenWindowKeepsItOutOfSight) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  f.SetFullScreen(true);
  ASSERT_TRUE(f.isFullScreen());

  f.showMinimized();
  f.OnActivate(false);
  EXPECT_TRUE(f.isMinimized()) << "leaving full screen must not restore the window";
  EXPECT_FALSE(f.isFullScreen());
  EXPECT_TRUE(f.fullScreen()) << "only suspended";

  f.OnActivate(true);
  f.hide();
  f.OnActivate(false);
  EXPECT_FALSE(f.isVisible()) << "leaving full screen must not show a hidden window";
  EXPECT_FALSE(f.isFullScreen());
}

TEST(FrameScreen, LowMemoryReleasesTheBitmapAndTheNextActivationReloadsIt) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  f.view()->SetZoom(1.3);
  const double zoom = f.view()->zoom();
  const view::Point offset = f.view()->offset();

  EXPECT_TRUE(f.OnLowMemory());
  EXPECT_EQ(f.view()->bitmap(), nullptr);
  EXPECT_TRUE(f.imageReleased());

  f.OnActivate(true);
  EXPECT_FALSE(f.imageReleased());
  ASSERT_NE(f.view()->bitmap(), nullptr);
  EXPECT_EQ(f.view()->displayName(), "fingerprint");
  EXPECT_EQ(f.view()->zoom(), zoom);
  EXPECT_EQ(f.view()->offset(), offset);
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST(FrameScreen, LowMemoryWithoutAFileFreesNothingAndAFailedReloadClears) {
  FrameHarness h;
  MainFrame& f = h.Start();
  EXPECT_FALSE(f.OnLowMemory());
  EXPECT_FALSE(f.imageReleased());

  // A pasted image has no file to reload from: it is kept.
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(Qt::gray);
  testing::PutImageOnClipboard(picture);
  ASSERT_TRUE(f.OnCommand(cmd::kPaste));
  EXPECT_FALSE(f.OnLowMemory());
  EXPECT_NE(f.view()->bitmap(), nullptr);

  // The file went away while released: the document is cleared on the reload.
  const std::string path = h.TempPath("gone.bmp");
  ASSERT_TRUE(testing::WriteGrayBmp(path, 30, 20, [](int x, int y) { return x + y; }));
  ASSERT_TRUE(f.OpenImageFile(path, 1.0, -1, -1));
  ASSERT_TRUE(f.OnLowMemory());
  std::remove(path.c_str());
  f.OnActivate(true);
  EXPECT_FALSE(f.imageReleased());
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
  EXPECT_FALSE(f.action(cmd::kSave)->isEnabled());
  ASSERT_FALSE(h.messages.messages.empty());
  EXPECT_EQ(h.messages.messages.back().text, "Cannot load image from: " + path);
}

}  // namespace
}  // namespace ridgeview::app
