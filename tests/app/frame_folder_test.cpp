// The frame's side of stepping through a folder (Space, Backspace), of files dropped on the
// window and of the folder the dialogs start in across starts. The rules of the steps
// themselves are the document's (tests/document/document_folder_test.cpp).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "document/command_ids.h"
#include "document/document_operations.h"
#include "frame_harness.h"
#include "platform/registry/registry_location.h"
#include "settings/view_settings.h"
#include "view/widget/image_view.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
namespace fs = std::filesystem;

settings::ViewSettings Stored() {
  auto registry = platform::OpenUserRegistry();
  return settings::ReadSettings(*registry);
}

// A folder holding, in natural order, print2.bmp, readme.txt and print10.WSQ (the sample).
class FolderFrameTest : public ::testing::Test {
 protected:
  FolderFrameTest() : folder(h.TempPath("walk")) {
    fs::create_directories(folder);
    EXPECT_TRUE(testing::WriteGrayBmp(Path("print2.bmp"), 30, 20, [](int x, int) { return x; }));
    std::ofstream(Path("readme.txt")) << "not an image";
    fs::copy_file(testing::SamplePath(), Path("print10.WSQ"));
  }
  std::string Path(const std::string& name) const { return folder + "/" + name; }

  testing::FrameHarness h;
  std::string folder;
};

TEST_F(FolderFrameTest, SpaceAndBackspaceStepAtZoomOneAlsoInFullScreen) {
  MainFrame& f = h.Start(Path("print2.bmp"));
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Down);
  ASSERT_NE(f.view()->zoom(), 1.0);
  testing::PressKey(f, Qt::Key_Space);  // readme.txt is passed over
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));
  EXPECT_EQ(f.view()->zoom(), 1.0);
  testing::PressKey(f, Qt::Key_Space);  // the end
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));

  testing::PressKey(f, Qt::Key_Return);
  ASSERT_TRUE(f.fullScreen());
  testing::PressKey(f, Qt::Key_Backspace);
  EXPECT_EQ(f.imagePath(), Path("print2.bmp"));
  EXPECT_TRUE(f.fullScreen());

  // Close forgets the place in the folder.
  ASSERT_TRUE(f.OnCommand(cmd::kClose));
  testing::PressKey(f, Qt::Key_Space);
  EXPECT_EQ(f.imagePath(), "");
  EXPECT_TRUE(h.messages.messages.empty());
}

// Drags `data` onto the view's centre through the window, as the window system delivers a
// drag, and drops it when the window takes it. Returns whether the drop was taken.
bool DragAndDrop(MainFrame& f, QMimeData& data) {
  QWindow* window = f.windowHandle();
  const QPoint at = f.view()->mapTo(&f, f.view()->rect().center());
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &enter);
  if (!enter.isAccepted()) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(window, &leave);
    return false;
  }
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &drop);
  testing::Pump(0);
  return drop.isAccepted();
}

TEST_F(FolderFrameTest, ADroppedLocalFileOpensAsOpenDoesOthersAreRefused) {
  MainFrame& f = h.Start(Path("print2.bmp"));
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_F11);  // in full screen too
  testing::PressKey(f, Qt::Key_Down);

  QMimeData remote;
  remote.setUrls({QUrl("https://example.org/print.wsq")});
  EXPECT_FALSE(DragAndDrop(f, remote));
  QMimeData text;
  text.setText(QString::fromStdString(Path("print10.WSQ")));
  EXPECT_FALSE(DragAndDrop(f, text));
  EXPECT_EQ(f.imagePath(), Path("print2.bmp"));

  QMimeData file;
  file.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("print10.WSQ")))});
  ASSERT_TRUE(DragAndDrop(f, file));
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));
  EXPECT_EQ(f.view()->zoom(), 1.0);
  EXPECT_TRUE(f.fullScreen());
  // The dropped file is the place in the folder.
  testing::PressKey(f, Qt::Key_Backspace);
  EXPECT_EQ(f.imagePath(), Path("print2.bmp"));
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(FolderFrameTest, DialogsStartInTheFolderLastUsedAcrossStarts) {
  MainFrame* f = &h.Start();
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));  // cancelled, from no folder
  h.fileDialogs.openAnswers.push_back(Path("print2.bmp"));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));  // cancelled, from the file's folder
  // A save elsewhere moves the folder there.
  const std::string saved = h.TempPath("saved");
  fs::create_directories(saved);
  h.fileDialogs.saveAnswers.push_back(
      document::FileDialogService::SaveChoice{saved + "/copy.png", document::kSaveFilterPng});
  ASSERT_TRUE(f->OnCommand(cmd::kSave));
  EXPECT_EQ(h.fileDialogs.folders, (std::vector<std::string>{"", "", folder, folder}));
  h.Stop();
  EXPECT_EQ(Stored().folder, saved);
  EXPECT_EQ(Stored().imagePath, Path("print2.bmp"));

  // The next start restores the image, yet the dialogs start where the save went...
  f = &h.Start();
  EXPECT_EQ(f->imagePath(), Path("print2.bmp"));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));
  EXPECT_EQ(h.fileDialogs.folders.back(), saved);
  h.Stop();
  // ...unless a file on the command line was the last one used.
  f = &h.Start(Path("print10.WSQ"));
  ASSERT_TRUE(f->OnCommand(cmd::kSave));
  EXPECT_EQ(h.fileDialogs.folders.back(), folder);
}

}  // namespace
}  // namespace ridgeview::app
