// The registration dialog: start with and without the Move dialog, labels, check marks,
// portrait and landscape layouts, and clicks taking effect at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

#include <filesystem>

#include "dialogs/register_dialog.h"
#include "dialogs/registration.h"
#include "dialogs/dialogs_test_support.h"
#include "document/testing/recording_ports.h"
#include "platform/qt/desktop/desktop_associations.h"
#include "platform/desktop/desktop_install.h"
#include "platform/registry/hive_router.h"
#include "platform/registry/memory_registry.h"

namespace ridgeview::dialogs {
namespace {

using platform::Hive;
using testing::ScratchDesktop;

class RegisterDialogTest : public ::testing::Test {
 protected:
  RegisterDialogTest() : router(user) {
    desktop.KnownTypes({"image/bmp", "image/jpeg", "image/png", "image/gif"});
    folder = desktop.Root() + "/home/.local/bin";
    program = folder + "/ridgeview";
    testing::WriteFile(program, "#!/bin/sh\n", true);
    const std::string pic = desktop.Program("picshow");
    desktop.Entry(desktop.SystemData(), "picshow.desktop", pic + " %f", "image/jpeg;");
    desktop.Default(desktop.SystemConfig() + "/mimeapps.list", "image/jpeg", "picshow.desktop;");
    associations = std::make_shared<platform::DesktopAssociations>(
        platform::DesktopAssociations::Options{desktop.Lookup(), program, {}});
    router.SetBackend(Hive::ClassesRoot, associations);
  }

  RegisterContext Context() {
    RegisterContext context;
    context.registry = &router;
    context.messages = &messages;
    context.programPath = program;
    context.programFolder = folder;
    context.typeName = [](std::string_view extension) {
      return QStringLiteral("Type of ") + QString::fromLatin1(extension.data(), extension.size());
    };
    context.screenSize = [this] { return screen; };
    context.programReady = [this](const std::string& path) {
      ready = path;
      associations->SetProgramPath(path);
    };
    return context;
  }

  // The grid cell of a box: (row, column).
  static std::pair<int, int> Cell(RegisterDialog& dialog, int id) {
    auto* grid = static_cast<QGridLayout*>(dialog.Box(id)->parentWidget()->layout());
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(dialog.Box(id)), &row, &column, &rowSpan, &columnSpan);
    return {row, column};
  }

  ScratchDesktop desktop;
  std::shared_ptr<platform::MemoryRegistry> user = std::make_shared<platform::MemoryRegistry>();
  platform::HiveRouter router;
  std::shared_ptr<platform::DesktopAssociations> associations;
  document::testing::RecordingMessageService messages;
  std::string folder;
  std::string program;
  std::string ready;
  QSize screen{480, 640};
};

TEST_F(RegisterDialogTest, StartsInPlaceWithLabelsAndCheckMarks) {
  desktop.Default(desktop.UserList(), "image/gif", "ridgeview.desktop;");
  platform::InstallDesktopIntegration(program, platform::ResolveXdgDirs(desktop.Lookup()));
  RegisterContext context = Context();
  bool moveShown = false;
  context.runMove = [&](QWidget*, const std::string&, const MoveDialogContext&) {
    moveShown = true;
    return MoveOutcome{};
  };
  RegisterDialog dialog(nullptr, context);
  ASSERT_TRUE(dialog.Start());
  EXPECT_FALSE(moveShown);
  EXPECT_EQ(ready, program);
  EXPECT_EQ(dialog.windowTitle(), "Register Ridgeview");
  EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), "Ridgeview registration");
  EXPECT_EQ(dialog.Box(1000)->text(), "WSQ Image");
  EXPECT_EQ(dialog.Box(1002)->text(), "Type of .jpg");
  EXPECT_EQ(dialog.Box(1004)->text(), "Type of .gif");
  EXPECT_TRUE(dialog.Box(1000)->isChecked());  // installed: Ridgeview is WSQ's only program
  EXPECT_FALSE(dialog.Box(1002)->isChecked());
  EXPECT_TRUE(dialog.Box(1004)->isChecked());
  EXPECT_FALSE(dialog.Landscape());
  for (int id = 1000; id <= 1004; ++id) EXPECT_EQ(Cell(dialog, id), std::make_pair(id - 1000, 0));
}

TEST_F(RegisterDialogTest, ClicksTakeEffectAtOnceAndAgreeWithXdgMime) {
  RegisterDialog dialog(nullptr, Context());
  ASSERT_TRUE(dialog.Start());
  dialog.show();
  EXPECT_FALSE(dialog.Box(1000)->isChecked());  // image/x-wsq is not installed yet
  dialog.Box(1000)->click();                     // so nothing changes on the desktop
  EXPECT_FALSE(testing::Exists(desktop.UserList()));
  dialog.Box(1002)->click();
  EXPECT_TRUE(IsRegistered(router, "jpegimage", "ridgeview"));
  EXPECT_EQ(desktop.XdgMimeDefault("image/jpeg"), "ridgeview.desktop");
  dialog.Box(1002)->click();
  EXPECT_FALSE(IsRegistered(router, "jpegimage", "ridgeview"));
  EXPECT_EQ(desktop.XdgMimeDefault("image/jpeg"), "picshow.desktop");
  dialog.reject();
  EXPECT_EQ(desktop.XdgMimeDefault("image/jpeg"), "picshow.desktop");  // closing undoes nothing
}

TEST_F(RegisterDialogTest, LandscapeLayoutAndRefillAfterEachScreenChange) {
  screen = QSize(640, 480);
  RegisterDialog dialog(nullptr, Context());
  ASSERT_TRUE(dialog.Start());
  EXPECT_TRUE(dialog.Landscape());
  EXPECT_EQ(Cell(dialog, 1000), std::make_pair(0, 0));
  EXPECT_EQ(Cell(dialog, 1001), std::make_pair(1, 0));
  EXPECT_EQ(Cell(dialog, 1002), std::make_pair(2, 0));
  EXPECT_EQ(Cell(dialog, 1003), std::make_pair(1, 1));
  EXPECT_EQ(Cell(dialog, 1004), std::make_pair(2, 1));

  // Someone else registers PNG while the dialog is open; the rotation shows it.
  SetRegistration(router, "pngimage", true, program);
  EXPECT_FALSE(dialog.Box(1003)->isChecked());
  screen = QSize(480, 480);  // square counts as portrait
  dialog.findChild<ScreenWatcher*>()->Notify();
  EXPECT_FALSE(dialog.Landscape());
  EXPECT_EQ(Cell(dialog, 1003), std::make_pair(3, 0));
  EXPECT_TRUE(dialog.Box(1003)->isChecked());
}

TEST_F(RegisterDialogTest, TheMoveDialogComesFirstAndItsCancelClosesEverything) {
  const std::string elsewhere = desktop.Root() + "/opt/ridgeview";
  testing::WriteFile(elsewhere, "#!/bin/sh\n", true);
  RegisterContext context = Context();
  context.programPath = elsewhere;
  std::string offered;
  context.runMove = [&](QWidget*, const std::string& path, const MoveDialogContext& move) {
    offered = path;
    EXPECT_EQ(move.programFolder, folder);
    return MoveOutcome{false, path};
  };
  EXPECT_EQ(RunRegisterDialog(nullptr, context), QDialog::Rejected);
  EXPECT_EQ(offered, elsewhere);
  EXPECT_TRUE(ready.empty());
}

TEST_F(RegisterDialogTest, AfterAMoveTheNewPathIsRegistered) {
  const std::string elsewhere = desktop.Root() + "/opt/ridgeview";
  testing::WriteFile(elsewhere, "#!/bin/sh\n", true);
  std::filesystem::remove(program);
  RegisterContext context = Context();
  context.programPath = elsewhere;
  context.runMove = [](QWidget* owner, const std::string& path, const MoveDialogContext& move) {
    MoveDialog dialog(owner, path, move);
    dialog.MoveButton()->click();
    return MoveOutcome{dialog.result() == QDialog::Accepted, dialog.MovedTo()};
  };
  RegisterDialog dialog(nullptr, context);
  ASSERT_TRUE(dialog.Start());
  EXPECT_EQ(dialog.ProgramPath(), program);
  EXPECT_EQ(ready, program);
  dialog.Box(1001)->click();
  platform::KeyHandle key = router.OpenKey(Hive::ClassesRoot, "bmpimage\\Shell\\Open\\Command",
                                           platform::KeyDisposition::OpenExisting);
  EXPECT_EQ(ReadStringValue(*key, ""), program + " %1");
  EXPECT_TRUE(std::filesystem::is_symlink(elsewhere));
}

// Registration for the running program, twice in one run: the first moves the executable
// into the program folder, the second must start from there and show the boxes at once.
TEST(ProgramRegistration, ASecondRegistrationAfterAMoveShowsTheBoxesAtOnce) {
  const std::string programFolder = testing::TestRoot() + "/home/.local/bin";
  const std::string start = testing::TestRoot() + "/opt/twice/ridgeview";
  std::filesystem::remove(programFolder + "/ridgeview");
  testing::WriteFile(start, "#!/bin/sh\n", true);

  // Answers each modal dialog as it comes up, and notes what it was.
  std::vector<std::string> seen;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    const auto dismiss = [modal] {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->close();
      }
    };
    if (seen.size() > 8) {  // going round in circles: give up
      dismiss();
      return;
    }
    if (auto* move = qobject_cast<MoveDialog*>(modal)) {
      seen.push_back("move");
      move->MoveButton()->click();
    } else if (auto* registration = qobject_cast<RegisterDialog*>(modal)) {
      seen.push_back(registration->Box(1000)->text().isEmpty() ? "empty boxes" : "boxes");
      registration->accept();
    } else {
      seen.push_back("other: " + modal->windowTitle().toStdString());
      dismiss();
    }
  });
  driver.start(20);

  std::string programPath = start;
  EXPECT_EQ(RunRegisterDialog(nullptr, programPath), QDialog::Accepted);
  EXPECT_EQ(seen, (std::vector<std::string>{"move", "boxes"}));
  EXPECT_EQ(programPath, programFolder + "/ridgeview");
  EXPECT_TRUE(std::filesystem::is_symlink(start));

  seen.clear();
  EXPECT_EQ(RunRegisterDialog(nullptr, programPath), QDialog::Accepted);
  EXPECT_EQ(seen, (std::vector<std::string>{"boxes"}));
  EXPECT_EQ(programPath, programFolder + "/ridgeview");
  driver.stop();
}

}  // namespace
}  // namespace ridgeview::dialogs
