// Moving the executable into the program folder, the shortcut, and the Move dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "dialogs/control_ids.h"
#include "dialogs/file_relocation.h"
#include "dialogs/move_dialog.h"
#include "dialogs/program_location.h"
#include "dialogs/dialogs_test_support.h"
#include "document/testing/recording_ports.h"

namespace ridgeview::dialogs {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::ReadFile;
using testing::WriteFile;

class Scratch {
 public:
  Scratch() : desktop_() {}
  std::string Path(const std::string& relative) const { return desktop_.Root() + "/" + relative; }

 private:
  testing::ScratchDesktop desktop_;
};

int AlwaysCrossDevice(const char*, const char*) {
  errno = EXDEV;
  return -1;
}

TEST(ProgramLocation, FolderNamesAndShortcutPaths) {
  EXPECT_EQ(ProgramFolder([](const char* n) -> const char* {
              return std::string(n) == "HOME" ? "/home/u/" : nullptr;
            }),
            "/home/u/.local/bin");
  EXPECT_EQ(ProgramFolder([](const char* n) -> const char* {
              return std::string(n) == "RIDGEVIEW_PROGRAM_DIR" ? "/t/bin/" : "/home/u";
            }),
            "/t/bin");
  EXPECT_EQ(ShortcutPathFor("/Program Files/Ridgeview.exe"), "/Program Files/Ridgeview.lnk");
  EXPECT_EQ(ShortcutPathFor("/Storage/old.exe files/Ridgeview.exe"),
            "/Storage/old.lnk files/Ridgeview.lnk");
  EXPECT_EQ(ShortcutPathFor("/x/RIDGEVIEW.EXE"), "/x/RIDGEVIEW.EXE");
  EXPECT_EQ(ShortcutPathFor("/x/ridgeview"), "/x/ridgeview");
  EXPECT_EQ(ShortcutPathFor("/x/a.exexe"), "/x/a.lnkxe");
  EXPECT_TRUE(IsInProgramFolder("/home/u/.local/bin/ridgeview", "/home/u/.local/bin"));
  EXPECT_FALSE(IsInProgramFolder("/home/u/.local/bin/sub/ridgeview", "/home/u/.local/bin"));
  EXPECT_FALSE(IsInProgramFolder("/HOME/u/.local/bin/ridgeview", "/home/u/.local/bin"));
}

TEST(ProgramLocation, AFolderReachedThroughALinkIsTheSameFolder) {
  Scratch scratch;
  fs::create_directories(scratch.Path("real/bin"));
  fs::create_directory_symlink(scratch.Path("real"), scratch.Path("link"));
  EXPECT_TRUE(IsInProgramFolder(scratch.Path("real/bin/ridgeview"), scratch.Path("link/bin")));
}

TEST(FileMove, RenamesAndNeverReplaces) {
  Scratch scratch;
  WriteFile(scratch.Path("a/prog"), "program", true);
  WriteFile(scratch.Path("b/taken"), "other");
  EXPECT_EQ(MoveFileNoReplace(scratch.Path("a/prog"), scratch.Path("b/taken")), EEXIST);
  EXPECT_EQ(ReadFile(scratch.Path("b/taken")), "other");
  EXPECT_EQ(ReadFile(scratch.Path("a/prog")), "program");
  EXPECT_EQ(MoveFileNoReplace(scratch.Path("a/prog"), scratch.Path("b/prog")), 0);
  EXPECT_FALSE(Exists(scratch.Path("a/prog")));
  EXPECT_EQ(ReadFile(scratch.Path("b/prog")), "program");
  EXPECT_NE(MoveFileNoReplace(scratch.Path("a/none"), scratch.Path("b/none")), 0);
  EXPECT_EQ(MoveFileNoReplace(scratch.Path("b"), scratch.Path("c")), EINVAL);  // a folder
}

TEST(FileMove, CopiesAcrossFileSystemsKeepingTheMode) {
  Scratch scratch;
  const std::string big(300000, 'x');
  WriteFile(scratch.Path("a/prog"), big, true);
  fs::create_directories(scratch.Path("b"));
  const FileMoveOps crossing{AlwaysCrossDevice};
  WriteFile(scratch.Path("b/exists"), "keep");
  EXPECT_EQ(MoveFileNoReplace(scratch.Path("a/prog"), scratch.Path("b/exists"), crossing), EEXIST);
  EXPECT_EQ(ReadFile(scratch.Path("b/exists")), "keep");
  ASSERT_EQ(MoveFileNoReplace(scratch.Path("a/prog"), scratch.Path("b/prog"), crossing), 0);
  EXPECT_FALSE(Exists(scratch.Path("a/prog")));
  EXPECT_EQ(ReadFile(scratch.Path("b/prog")), big);
  struct stat info {};
  ASSERT_EQ(stat(scratch.Path("b/prog").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST(FileMove, RealMoveBetweenTwoFileSystems) {
  struct stat shm {}, tmp {};
  Scratch scratch;
  fs::create_directories(scratch.Path("dest"));
  if (stat("/dev/shm", &shm) != 0 || stat(scratch.Path("dest").c_str(), &tmp) != 0 ||
      shm.st_dev == tmp.st_dev || access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system beside the temporary folder";
  }
  const std::string source = "/dev/shm/ridgeview-move-" + std::to_string(getpid());
  WriteFile(source, "binary", true);
  ASSERT_EQ(MoveFileNoReplace(source, scratch.Path("dest/ridgeview")), 0);
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(ReadFile(scratch.Path("dest/ridgeview")), "binary");
}

class MoveDialogTest : public ::testing::Test {
 protected:
  MoveDialogContext Context() { return {&messages, scratch.Path("home/.local/bin"), DefaultFileMoveOps()}; }

  Scratch scratch;
  document::testing::RecordingMessageService messages;
};

TEST_F(MoveDialogTest, ShowsItsTextsAndStartsChecked) {
  MoveDialog dialog(nullptr, "/opt/x/ridgeview", Context());
  EXPECT_EQ(dialog.windowTitle(), "Move Ridgeview");
  EXPECT_EQ(control::Find<QGroupBox>(&dialog, control::kPresentLocation)->title(),
            "Ridgeview present location");
  EXPECT_EQ(control::Find<QLabel>(&dialog, control::kPresentPath)->text(), "/opt/x/ridgeview");
  // The texts name the executable's own file name and the real program folder.
  const std::string folder = scratch.Path("home/.local/bin");
  EXPECT_EQ(dialog.findChild<QLabel*>("description")->text().toStdString(),
            "To register Ridgeview as default program for image files, ridgeview must be "
            "moved to the  " + folder + " folder.\nClick Move to proceed, or Cancel.");
  auto* box = control::Find<QCheckBox>(&dialog, control::kShortcutBox);
  EXPECT_EQ(box->text(), "Create a shortcut at present location      ");
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(control::Find<QLabel>(&dialog, control::kMoveText)->text().toStdString(),
            "Move Ridgeview to " + folder + " folder");
  EXPECT_EQ(control::Find<QPushButton>(&dialog, control::kMoveButton)->text(), "Move");
  EXPECT_EQ(control::Find<QPushButton>(&dialog, control::kCancelButton)->text(), "Cancel");
}

TEST_F(MoveDialogTest, MovesIntoAFreshProgramFolderAndLeavesALinkAtTheOldPlace) {
  const std::string old = scratch.Path("opt/ridgeview");
  WriteFile(old, "program", true);
  MoveDialog dialog(nullptr, old, Context());
  dialog.MoveButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const std::string target = scratch.Path("home/.local/bin/ridgeview");
  EXPECT_EQ(dialog.MovedTo(), target);
  EXPECT_EQ(ReadFile(target), "program");
  EXPECT_TRUE(fs::is_symlink(old));  // no ".exe": the link takes the old file's place
  EXPECT_EQ(fs::read_symlink(old), target);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MoveDialogTest, WithoutTheBoxNothingIsLeftBehind) {
  const std::string old = scratch.Path("opt/Ridgeview.exe");
  WriteFile(old, "program", true);
  MoveDialog dialog(nullptr, old, Context());
  dialog.ShortcutBox()->setChecked(false);
  dialog.MoveButton()->click();
  EXPECT_FALSE(Exists(old));
  EXPECT_FALSE(Exists(scratch.Path("opt/Ridgeview.lnk")));
  EXPECT_TRUE(Exists(scratch.Path("home/.local/bin/Ridgeview.exe")));
}

TEST_F(MoveDialogTest, AWindowsStyleNameGetsItsLinkBesideIt) {
  const std::string old = scratch.Path("opt/Ridgeview.exe");
  WriteFile(old, "program", true);
  MoveDialog dialog(nullptr, old, Context());
  dialog.MoveButton()->click();
  EXPECT_EQ(fs::read_symlink(scratch.Path("opt/Ridgeview.lnk")),
            scratch.Path("home/.local/bin/Ridgeview.exe"));
}

TEST_F(MoveDialogTest, AShortcutFolderThatDoesNotExistWarnsAndTheMoveStands) {
  const std::string old = scratch.Path("Storage/old.exe files/Ridgeview.exe");
  WriteFile(old, "program", true);
  MoveDialog dialog(nullptr, old, Context());
  dialog.MoveButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(Exists(scratch.Path("home/.local/bin/Ridgeview.exe")));
  EXPECT_FALSE(Exists(scratch.Path("Storage/old.lnk files/Ridgeview.lnk")));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Cannot create shortcut to Ridgeview.");
  EXPECT_EQ(messages.messages[0].caption, "Ridgeview");
  EXPECT_EQ(messages.messages[0].icon, document::MessageIcon::Warning);
}

TEST_F(MoveDialogTest, AnExistingTargetFailsWithTheErrorAndChangesNothing) {
  const std::string old = scratch.Path("opt/ridgeview");
  WriteFile(old, "program", true);
  WriteFile(scratch.Path("home/.local/bin/ridgeview"), "older version", true);
  MoveDialog dialog(nullptr, old, Context());
  dialog.show();
  dialog.MoveButton()->click();
  EXPECT_TRUE(dialog.isVisible());  // stays open
  EXPECT_TRUE(dialog.MovedTo().empty());
  EXPECT_EQ(ReadFile(old), "program");
  EXPECT_EQ(ReadFile(scratch.Path("home/.local/bin/ridgeview")), "older version");
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text,
            "Cannot move ridgeview to " + scratch.Path("home/.local/bin") + " folder.");
  EXPECT_EQ(messages.messages[0].caption, "Ridgeview");
  EXPECT_EQ(messages.messages[0].icon, document::MessageIcon::Error);
  dialog.CancelButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MoveDialogTest, TheDialogMovesAcrossFileSystemsToo) {
  const std::string old = scratch.Path("opt/ridgeview");
  WriteFile(old, "program", true);
  MoveDialogContext context = Context();
  context.moveOps = FileMoveOps{AlwaysCrossDevice};
  MoveDialog dialog(nullptr, old, context);
  dialog.MoveButton()->click();
  EXPECT_EQ(ReadFile(scratch.Path("home/.local/bin/ridgeview")), "program");
  EXPECT_TRUE(fs::is_symlink(old));
}

TEST(MoveTexts, NameTheProgramFileAndFolderEvenWithoutAHome) {
  EXPECT_EQ(MoveFailedText("Ridgeview.exe", "/opt/bin"), "Cannot move Ridgeview.exe to /opt/bin folder.");
  EXPECT_EQ(MoveFailedText("ridgeview", ""), "Cannot move ridgeview to ~/.local/bin folder.");
  EXPECT_EQ(MoveLabelText(""), "Move Ridgeview to ~/.local/bin folder");
}

}  // namespace
}  // namespace ridgeview::dialogs
