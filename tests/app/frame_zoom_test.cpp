// The frame's zoom keys (Ctrl + Plus, Minus, 0, 9), the "Exact pixels" option and its
// "Smooth" setting, and Copy of a magnified view, in a window and in full screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "document/command_ids.h"
#include "frame_harness.h"
#include "platform/registry/registry_location.h"
#include "settings/view_settings.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
using testing::FrameHarness;

TEST(FrameZoom, CtrlKeysStepThroughTheLadderInAWindowAndInFullScreen) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  ASSERT_EQ(f.view()->zoom(), 1.0);
  for (const bool full : {false, true}) {
    SCOPED_TRACE(full ? "full screen" : "window");
    if (full) {
      ASSERT_TRUE(f.OnCommand(cmd::kFullScreen));
    }
    testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(f.view()->zoom(), 0.5);
    testing::PressKey(f, Qt::Key_Equal, Qt::ControlModifier);  // "+" without Shift
    EXPECT_EQ(f.view()->zoom(), 0.25);
    EXPECT_EQ(f.titleBar()->title().right, "Zoom: 0.25");
    EXPECT_EQ(f.zoomTrack()->value(), 98);
    testing::PressKey(f, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(f.view()->zoom(), 0.5);
    testing::PressKey(f, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(f.view()->zoom(), 1.0);
    testing::PressKey(f, Qt::Key_9, Qt::ControlModifier);
    // The 500 x 500 sample fits the view at 1.00 or after a reduction.
    const view::Size client = f.view()->clientSize();
    EXPECT_LE(f.view()->contentSize().w, client.w);
    EXPECT_LE(f.view()->contentSize().h, client.h);
    testing::PressKey(f, Qt::Key_0, Qt::ControlModifier);
  }
}

TEST(FrameZoom, ExactPixelsIsACheckItemStoredAsSmooth) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  QAction* exact = f.action(cmd::kExactPixels);
  ASSERT_NE(exact, nullptr);
  EXPECT_TRUE(exact->isCheckable());
  EXPECT_FALSE(exact->isChecked());
  EXPECT_TRUE(f.view()->smooth());
  ASSERT_TRUE(f.OnCommand(cmd::kExactPixels));
  EXPECT_TRUE(exact->isChecked());
  EXPECT_FALSE(f.view()->smooth());
  // Also in full screen (from the context menu, which holds it).
  ASSERT_TRUE(f.OnCommand(cmd::kFullScreen));
  ASSERT_TRUE(f.contextMenu()->actions().contains(exact));
  ASSERT_TRUE(f.OnCommand(cmd::kExactPixels));
  EXPECT_TRUE(f.view()->smooth());
  ASSERT_TRUE(f.OnCommand(cmd::kExactPixels));
  h.Stop();

  auto registry = platform::OpenUserRegistry();
  EXPECT_FALSE(settings::ReadSettings(*registry).smooth);
  MainFrame& again = h.Start();
  EXPECT_FALSE(again.view()->smooth());
  EXPECT_TRUE(again.action(cmd::kExactPixels)->isChecked());
}

TEST(FrameZoom, MagnifiedZoomIsStoredAndRestored) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
  testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
  testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
  ASSERT_EQ(f.view()->zoom(), 0.125);
  h.Stop();
  auto registry = platform::OpenUserRegistry();
  EXPECT_EQ(settings::ReadSettings(*registry).zoom, 0.125);
  MainFrame& again = h.Start();
  EXPECT_EQ(again.view()->zoom(), 0.125);
  EXPECT_EQ(again.zoomTrack()->value(), 97);
  EXPECT_EQ(again.titleBar()->title().right, "Zoom: 0.12");
}

TEST(FrameZoom, CopyWhileMagnifiedCopiesTheImageAtOne) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
  testing::PressKey(f, Qt::Key_Plus, Qt::ControlModifier);
  ASSERT_EQ(f.view()->zoom(), 0.25);
  ASSERT_TRUE(f.OnCommand(cmd::kCopy));
  const std::optional<std::vector<std::uint8_t>> bmp = h.clipboard.GetBmp();
  ASSERT_TRUE(bmp);
  const auto le32 = [&](std::size_t at) {
    return (*bmp)[at] | ((*bmp)[at + 1] << 8) | ((*bmp)[at + 2] << 16) | ((*bmp)[at + 3] << 24);
  };
  EXPECT_EQ(le32(14 + 4), 500);  // the sample's own size, not 2000 x 2000
  EXPECT_EQ(le32(14 + 8), 500);
  EXPECT_TRUE(h.messages.messages.empty());
}

}  // namespace
}  // namespace ridgeview::app
