// The view settings across starts: read while the frame is made, written when it closes.
#include <gtest/gtest.h>

#include <QAction>
#include <QToolBar>
#include <algorithm>

#include "document/command_ids.h"
#include "frame_harness.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/registry_location.h"
#include "settings/view_settings.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
using testing::FrameHarness;

settings::ViewSettings Stored() {
  auto registry = platform::OpenUserRegistry();
  return settings::ReadSettings(*registry);
}

void Store(const settings::ViewSettings& s) {
  auto registry = platform::OpenUserRegistry();
  ASSERT_TRUE(settings::WriteSettings(*registry, s));
}

// A gray image far larger than the offscreen screen (800 x 800), so that every zoom up to
// 3.25 still leaves room to scroll.
std::string BigImage(FrameHarness& h) {
  const std::string path = h.TempPath("big.bmp");
  EXPECT_TRUE(testing::WriteGrayBmp(path, 2600, 2600,
                                    [](int x, int y) { return (x / 7 + y / 5) & 0xFF; }));
  return path;
}

TEST(FrameSettings, FirstStartOnAnEmptyStore) {
  FrameHarness h;
  MainFrame& f = h.Start();
  testing::Pump(50);
  EXPECT_TRUE(f.titleBarVisible());
  EXPECT_TRUE(f.action(cmd::kTitleBar)->isChecked());
  EXPECT_TRUE(f.view()->scrollBarsOn());
  EXPECT_TRUE(f.action(cmd::kScrollBars)->isChecked());
  EXPECT_FALSE(f.fullScreen());
  EXPECT_FALSE(f.isFullScreen());
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST(FrameSettings, ReadInCreationOrderAndWrittenInOneTransaction) {
  FrameHarness h;
  platform::MemoryRegistry memory;
  h.registryOverride = &memory;
  h.Start();
  std::vector<std::string> reads;
  for (const std::string& line : memory.Journal()) {
    if (line.rfind("query ", 0) == 0 && (reads.empty() || reads.back() != line)) {
      reads.push_back(line);
    }
  }
  // Without a stored image, Scroll and Zoom are not read.
  EXPECT_EQ(reads, (std::vector<std::string>{"query Full", "query TitleBar",
                                             "query ScrollBars", "query Image",
                                             "query Folder", "query Smooth"}));
  memory.ClearJournal();
  h.Stop();
  const auto& journal = memory.Journal();
  EXPECT_EQ(std::count(journal.begin(), journal.end(),
                       "write TitleBar,ScrollBars,Full,Image,Scroll,Zoom,Folder,Smooth"),
            1);
  EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                          [](const std::string& l) { return l.rfind("write", 0) == 0; }),
            1);
}

TEST(FrameSettings, FullScreenHiddenTitleAndNoScrollBarsComeBack) {
  FrameHarness h;
  MainFrame& first = h.Start(testing::SamplePath());
  testing::ShowActive(first);
  ASSERT_TRUE(first.OnCommand(cmd::kFullScreen));
  ASSERT_TRUE(first.OnCommand(cmd::kTitleBar));
  ASSERT_TRUE(first.OnCommand(cmd::kScrollBars));
  h.Stop();
  const settings::ViewSettings stored = Stored();
  EXPECT_TRUE(stored.fullScreen);
  EXPECT_FALSE(stored.titleBar);
  EXPECT_FALSE(stored.scrollBarsOn);

  MainFrame& second = h.Start();
  second.show();
  // Full screen is applied once the event loop runs.
  EXPECT_TRUE(testing::WaitUntil([&] { return second.fullScreen(); }));
  EXPECT_TRUE(second.isFullScreen());
  EXPECT_TRUE(second.commandBar()->isHidden());
  EXPECT_FALSE(second.titleBarVisible());
  EXPECT_FALSE(second.action(cmd::kTitleBar)->isChecked());
  EXPECT_FALSE(second.view()->scrollBarsOn());
  EXPECT_FALSE(second.action(cmd::kScrollBars)->isChecked());
  EXPECT_EQ(second.imagePath(), testing::SamplePath());
}

TEST(FrameSettings, PastedImageStoresNoImage) {
  FrameHarness h;
  MainFrame& f = h.Start(testing::SamplePath());
  QImage picture(32, 16, QImage::Format_RGB32);
  picture.fill(Qt::darkGray);
  testing::PutImageOnClipboard(picture);
  ASSERT_TRUE(f.OnCommand(cmd::kPaste));
  h.Stop();
  EXPECT_EQ(Stored().imagePath, "");
  MainFrame& next = h.Start();
  EXPECT_EQ(next.titleBar()->title().plain, "No image");
}

TEST(FrameSettings, CommandLineFileIgnoresTheStoredImageButNotTheRest) {
  FrameHarness h;
  settings::ViewSettings s;
  s.titleBar = false;
  s.scrollBarsOn = false;
  s.imagePath = BigImage(h);
  s.zoom = 2.5;
  s.scroll = {300, 400};
  Store(s);

  MainFrame& f = h.Start(testing::SamplePath());
  EXPECT_EQ(f.imagePath(), testing::SamplePath());
  EXPECT_EQ(f.view()->zoom(), 1.0);
  EXPECT_EQ(f.view()->displayName(), "fingerprint");
  EXPECT_FALSE(f.titleBarVisible());
  EXPECT_FALSE(f.view()->scrollBarsOn());
}

TEST(FrameSettings, StoredZoomAndScrollPointReopenTheSameRegion) {
  FrameHarness h;
  settings::ViewSettings s;
  s.imagePath = BigImage(h);
  s.zoom = 2.5;
  s.scroll = {300, 400};
  Store(s);

  MainFrame& f = h.Start();
  EXPECT_EQ(f.imagePath(), s.imagePath);
  EXPECT_EQ(f.view()->zoom(), 2.5);
  EXPECT_EQ(f.zoomTrack()->value(), 250);
  EXPECT_EQ(f.view()->core().State().zoomTrack.Position(), 250);
  // (300, 400) / 2.5 in screen pixels; the image is large enough that nothing is clamped.
  EXPECT_EQ(f.view()->offset(), (view::Point{120, 160}));

  h.Stop();
  const settings::ViewSettings again = Stored();
  EXPECT_EQ(again.zoom, 2.5);
  EXPECT_EQ(again.scroll, (settings::ScrollPoint{300, 400}));
  EXPECT_EQ(again.imagePath, s.imagePath);
}

TEST(FrameSettings, StoredZoomOfATrackbarPositionRestoresThatPosition) {
  // 1.16 * 100 is 115.99999...: the slider must still stand at 116, so that the first Right
  // key moves the zoom on to 1.17.
  FrameHarness h;
  settings::ViewSettings s;
  s.imagePath = BigImage(h);
  s.zoom = 1.16;
  Store(s);

  MainFrame& f = h.Start();
  EXPECT_EQ(f.zoomTrack()->value(), 116);
  EXPECT_EQ(f.view()->core().State().zoomTrack.Position(), 116);
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Right);
  EXPECT_EQ(f.zoomTrack()->value(), 117);
  EXPECT_EQ(f.titleBar()->title().right, "Zoom: 1.17");
}

TEST(FrameSettings, StaleImagePathShowsNoImageAndIsForgotten) {
  FrameHarness h;
  settings::ViewSettings s;
  s.imagePath = h.TempPath("vanished.wsq");
  Store(s);
  MainFrame& f = h.Start();
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
  ASSERT_EQ(h.messages.messages.size(), 1u);
  EXPECT_EQ(h.messages.messages[0].text, "Cannot load image from: " + s.imagePath);
  h.Stop();
  EXPECT_EQ(Stored().imagePath, "");
}

}  // namespace
}  // namespace ridgeview::app
