// Stepping through a folder with Space and Backspace, files dropped on the window, and the
// folder the Open and Save dialogs start in, across starts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
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
#include "view/widget/title_strip.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;
namespace fs = std::filesystem;
using testing::FrameHarness;

// The settings as the next start reads them.
settings::ViewSettings Stored() {
  auto registry = platform::OpenUserRegistry();
  return settings::ReadSettings(*registry);
}

std::string Shown(MainFrame& f) { return f.titleBar()->title().left; }

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A folder in natural order: IMG_0001.JPG (a JPEG), notes.txt (text), print2.bmp (gray),
// print3.bmp (damaged bitmap), print10.WSQ (the sample).
class FolderFrameTest : public ::testing::Test {
 protected:
  FolderFrameTest() {
    folder = h.TempPath("walk");
    fs::create_directories(folder);
    QImage photo(40, 30, QImage::Format_RGB32);
    photo.fill(QColor(200, 40, 40));
    EXPECT_TRUE(photo.save(QString::fromStdString(Path("IMG_0001.JPG")), "JPG"));
    WriteText(Path("notes.txt"), "not an image");
    EXPECT_TRUE(testing::WriteGrayBmp(Path("print2.bmp"), 30, 20, [](int x, int) { return x; }));
    WriteText(Path("print3.bmp"), "BM but nothing else");
    fs::copy_file(testing::SamplePath(), Path("print10.WSQ"));
  }
  std::string Path(const std::string& name) const { return folder + "/" + name; }

  FrameHarness h;
  std::string folder;
};

TEST_F(FolderFrameTest, SpaceAndBackspaceStepThroughTheFoldersImages) {
  MainFrame& f = h.Start(Path("IMG_0001.JPG"));
  testing::ShowActive(f);
  EXPECT_EQ(Shown(f), "Image: IMG_0001");
  testing::PressKey(f, Qt::Key_Down);  // zoomed: the next image comes at 1.00 all the same
  ASSERT_NE(f.view()->zoom(), 1.0);

  testing::PressKey(f, Qt::Key_Space);  // notes.txt is passed over
  EXPECT_EQ(f.imagePath(), Path("print2.bmp"));
  EXPECT_EQ(f.view()->zoom(), 1.0);
  EXPECT_TRUE(f.action(cmd::kSave)->isEnabled());

  // The damaged file says so and leaves no image, but the next Space goes past it.
  testing::PressKey(f, Qt::Key_Space);
  ASSERT_EQ(h.messages.messages.size(), 1u);
  EXPECT_EQ(h.messages.messages[0].text, "Cannot load image from: " + Path("print3.bmp"));
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
  EXPECT_FALSE(f.action(cmd::kSave)->isEnabled());
  testing::PressKey(f, Qt::Key_Space);
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));
  EXPECT_EQ(Shown(f), "Image: print10");

  // At the end Space does nothing.
  testing::PressKey(f, Qt::Key_Space);
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));
  EXPECT_EQ(h.messages.messages.size(), 1u);

  // Back to the first, then Backspace does nothing.
  testing::PressKey(f, Qt::Key_Backspace);  // print3.bmp again
  testing::PressKey(f, Qt::Key_Backspace);
  testing::PressKey(f, Qt::Key_Backspace);
  EXPECT_EQ(f.imagePath(), Path("IMG_0001.JPG"));
  testing::PressKey(f, Qt::Key_Backspace);
  EXPECT_EQ(f.imagePath(), Path("IMG_0001.JPG"));
  EXPECT_EQ(h.messages.messages.size(), 2u);

  // The settings record where the walk ended.
  h.Stop();
  EXPECT_EQ(Stored().imagePath, Path("IMG_0001.JPG"));
}

TEST_F(FolderFrameTest, StepsWorkInFullScreenAndNotAfterClose) {
  MainFrame& f = h.Start(Path("print2.bmp"));
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Return);
  ASSERT_TRUE(f.fullScreen());
  testing::PressKey(f, Qt::Key_Backspace);
  EXPECT_EQ(f.imagePath(), Path("IMG_0001.JPG"));
  EXPECT_TRUE(f.fullScreen());

  ASSERT_TRUE(f.OnCommand(cmd::kClose));
  testing::PressKey(f, Qt::Key_Space);
  EXPECT_EQ(f.imagePath(), "");
  EXPECT_EQ(f.titleBar()->title().plain, "No image");
}

// Sends a drag of `data` entering at the view's centre and, when accepted, dropping there,
// through the window as the window system delivers them. Returns whether the drop was taken.
bool DragAndDrop(MainFrame& f, QMimeData& data) {
  QWindow* window = f.windowHandle();
  const QPoint at = f.view()->mapTo(&f, f.view()->rect().center());
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &enter);
  if (!enter.isAccepted()) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(window, &leave);
    return false;
  }
  QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                  Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &drop);
  testing::Pump(0);
  return drop.isAccepted();
}

TEST_F(FolderFrameTest, ADroppedFileOpensAsOpenDoes) {
  MainFrame& f = h.Start(Path("print2.bmp"));
  testing::ShowActive(f);
  testing::PressKey(f, Qt::Key_Down);

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("print10.WSQ")))});
  ASSERT_TRUE(DragAndDrop(f, data));
  EXPECT_EQ(f.imagePath(), Path("print10.WSQ"));
  EXPECT_EQ(f.view()->zoom(), 1.0);
  EXPECT_TRUE(f.document().wsqOrigin());
  // The dropped file is the folder position: Backspace goes on from there (to the damaged
  // file before it).
  testing::PressKey(f, Qt::Key_Backspace);
  ASSERT_EQ(h.messages.messages.size(), 1u);
  EXPECT_EQ(h.messages.messages[0].text, "Cannot load image from: " + Path("print3.bmp"));

  // In full screen too.
  h.messages.messages.clear();
  testing::PressKey(f, Qt::Key_F11);
  ASSERT_TRUE(f.fullScreen());
  QMimeData photo;
  photo.setData("text/uri-list",
                QUrl::fromLocalFile(QString::fromStdString(Path("IMG_0001.JPG"))).toEncoded() +
                    "\r\n");
  ASSERT_TRUE(DragAndDrop(f, photo));
  EXPECT_EQ(f.imagePath(), Path("IMG_0001.JPG"));
  EXPECT_TRUE(f.fullScreen());
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(FolderFrameTest, DragsWithoutALocalFileAreRefused) {
  MainFrame& f = h.Start(Path("print2.bmp"));
  testing::ShowActive(f);
  QMimeData remote;
  remote.setUrls({QUrl("https://example.org/print.wsq")});
  EXPECT_FALSE(DragAndDrop(f, remote));
  QMimeData text;
  text.setText(QString::fromStdString(Path("print10.WSQ")));
  EXPECT_FALSE(DragAndDrop(f, text));
  QMimeData folderOnly;
  folderOnly.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder))});
  EXPECT_FALSE(DragAndDrop(f, folderOnly));
  EXPECT_EQ(f.imagePath(), Path("print2.bmp"));
  EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(FolderFrameTest, DialogsStartInTheFolderLastUsedAcrossStarts) {
  // First start: no folder yet.
  MainFrame* f = &h.Start();
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));  // cancelled
  ASSERT_EQ(h.fileDialogs.folders.size(), 1u);
  EXPECT_EQ(h.fileDialogs.folders[0], "");

  // A file opened in the dialog makes its folder the next start folder; a save elsewhere
  // moves it there.
  h.fileDialogs.openAnswers.push_back(Path("print2.bmp"));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));  // cancelled
  EXPECT_EQ(h.fileDialogs.folders.back(), folder);
  const std::string elsewhere = h.TempPath("saved");
  fs::create_directories(elsewhere);
  h.fileDialogs.saveAnswers.push_back(
      document::FileDialogService::SaveChoice{elsewhere + "/copy.png", document::kSaveFilterPng});
  ASSERT_TRUE(f->OnCommand(cmd::kSave));
  EXPECT_TRUE(fs::exists(elsewhere + "/copy.png"));
  EXPECT_EQ(h.fileDialogs.folders.back(), folder);  // where the save dialog started
  h.Stop();
  EXPECT_EQ(Stored().folder, elsewhere);

  // The next start restores the image, and the dialogs start where the save went.
  f = &h.Start();
  EXPECT_EQ(f->imagePath(), Path("print2.bmp"));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));
  EXPECT_EQ(h.fileDialogs.folders.back(), elsewhere);
  ASSERT_TRUE(f->OnCommand(cmd::kSave));
  EXPECT_EQ(h.fileDialogs.folders.back(), elsewhere);
  h.Stop();

  // A file on the command line is what was used last.
  f = &h.Start(Path("print10.WSQ"));
  ASSERT_TRUE(f->OnCommand(cmd::kOpen));
  EXPECT_EQ(h.fileDialogs.folders.back(), folder);
}

}  // namespace
}  // namespace ridgeview::app
