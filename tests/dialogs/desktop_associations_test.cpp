// HKEY_CLASSES_ROOT command keys answered from the desktop's associations.
#include <gtest/gtest.h>

#include "dialogs/registration.h"
#include "dialogs/dialogs_test_support.h"
#include "platform/desktop/association_store.h"
#include "platform/qt/desktop/desktop_associations.h"
#include "platform/desktop/desktop_install.h"

namespace ridgeview::platform {
namespace {

using dialogs::ReadStringValue;
using dialogs::WriteStringValue;
using dialogs::testing::Exists;
using dialogs::testing::ReadFile;
using dialogs::testing::ScratchDesktop;
using dialogs::testing::WriteFile;

class DesktopAssociationsTest : public ::testing::Test {
 protected:
  DesktopAssociationsTest() {
    desktop.KnownTypes({"image/bmp", "image/jpeg", "image/png", "image/gif"});
    program = desktop.Program("ridgeview");
    registry = std::make_unique<DesktopAssociations>(
        DesktopAssociations::Options{desktop.Lookup(), program, {}});
  }
  KeyHandle Open(const std::string& progId) {
    return registry->OpenKey(Hive::ClassesRoot, progId + "\\Shell\\Open\\Command",
                             KeyDisposition::CreateIfMissing);
  }

  ScratchDesktop desktop;
  std::string program;
  std::unique_ptr<DesktopAssociations> registry;
};

TEST_F(DesktopAssociationsTest, CommandKeysExistOnlyForKnownTypesAndAreNeverCreated) {
  EXPECT_NE(Open("jpegimage"), nullptr);
  EXPECT_NE(registry->OpenKey(Hive::ClassesRoot, "JPEGIMAGE\\shell\\open\\command",
                              KeyDisposition::OpenExisting),
            nullptr);
  EXPECT_EQ(Open("wsqimage"), nullptr);  // image/x-wsq is not installed
  EXPECT_EQ(Open("tiffimage"), nullptr);
  EXPECT_EQ(registry->OpenKey(Hive::ClassesRoot, "jpegimage\\Shell", KeyDisposition::CreateIfMissing),
            nullptr);
  EXPECT_EQ(registry->OpenKey(Hive::CurrentUser, "jpegimage\\Shell\\Open\\Command",
                              KeyDisposition::CreateIfMissing),
            nullptr);
  EXPECT_FALSE(Exists(desktop.UserList()));
}

TEST_F(DesktopAssociationsTest, ReadsTheDefaultsExecWithPercentOne) {
  const std::string pic = desktop.Program("picshow");
  desktop.Entry(desktop.SystemData(), "picshow.desktop", pic + " --view %U", "image/jpeg;");
  KeyHandle key = Open("jpegimage");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ReadStringValue(*key, ""), pic + " --view %1");
  const QueryResult size = key->QueryValue("", nullptr, 0);
  EXPECT_EQ(size.status, RegStatus::Ok);
  EXPECT_EQ(size.type, ValueType::String);
  EXPECT_EQ(size.size, (pic.size() + 11) * 2);  // with the terminating zero
  char small[4];
  EXPECT_EQ(key->QueryValue("", small, sizeof small).status, RegStatus::MoreData);
  EXPECT_EQ(key->QueryValue("Other", nullptr, 0).status, RegStatus::NotFound);
  KeyHandle png = Open("pngimage");
  EXPECT_EQ(png->QueryValue("", nullptr, 0).status, RegStatus::NotFound);  // no default
}

TEST_F(DesktopAssociationsTest, WritingOwnCommandInstallsAndSelectsRidgeviewDesktop) {
  int installs = 0;
  DesktopAssociations counting({desktop.Lookup(), program,
                                [&](const std::string& path, const XdgDirs& dirs) {
                                  ++installs;
                                  return InstallDesktopIntegration(path, dirs);
                                }});
  KeyHandle key = counting.OpenKey(Hive::ClassesRoot, "gifimage\\Shell\\Open\\Command",
                                   KeyDisposition::OpenExisting);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(WriteStringValue(*key, "", program + " %1"));
  EXPECT_EQ(installs, 1);
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\nimage/gif=ridgeview.desktop;\n");
  EXPECT_EQ(ReadStringValue(*key, ""), program + " %1");
  EXPECT_EQ(desktop.XdgMimeDefault("image/gif"), "ridgeview.desktop");
  const std::string entry = ReadFile(desktop.DataHome() + "/applications/ridgeview.desktop");
  EXPECT_NE(entry.find("Exec=" + program + " %f\n"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=image/x-wsq;image/bmp;image/jpeg;image/png;image/gif;\n"),
            std::string::npos);

  // The executable moved: the same command key now maps the new path.
  const std::string moved = desktop.Program("moved/ridgeview");
  counting.SetProgramPath(moved);
  ASSERT_TRUE(WriteStringValue(*key, "", moved + " %1"));
  EXPECT_EQ(ReadStringValue(*key, ""), moved + " %1");
}

TEST_F(DesktopAssociationsTest, ACommandWithoutAnEntryGetsARestoredUserEntry) {
  const std::string old = desktop.Program("oldviewer");
  const std::string command = old + " -x %1";
  KeyHandle key = Open("bmpimage");
  ASSERT_TRUE(WriteStringValue(*key, "", command));
  const std::string id = RestoredEntryId(command);
  EXPECT_EQ(id.rfind("ridgeview-restored-", 0), 0u);
  EXPECT_TRUE(Exists(desktop.DataHome() + "/applications/" + id));
  EXPECT_EQ(ReadStringValue(*key, ""), command);
  EXPECT_EQ(desktop.XdgMimeDefault("image/bmp"), id);
  // Writing it again finds that entry instead of making another.
  ASSERT_TRUE(WriteStringValue(*key, "", command));
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\nimage/bmp=" + id + ";\n");
}

TEST_F(DesktopAssociationsTest, EmptyOrDeadCommandsRemoveTheUserDefaultOnly) {
  const std::string sys = desktop.Program("sysview");
  desktop.Entry(desktop.SystemData(), "sysview.desktop", sys + " %f", "image/png;");
  WriteFile(desktop.UserList(),
            "[Default Applications]\nimage/png=ridgeview.desktop;\ntext/plain=vim.desktop;\n");
  KeyHandle key = Open("pngimage");
  ASSERT_TRUE(WriteStringValue(*key, "", ""));
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\ntext/plain=vim.desktop;\n");
  EXPECT_EQ(ReadStringValue(*key, ""), sys + " %1");  // the system's default again
  EXPECT_EQ(key->DeleteValue(""), RegStatus::NotFound);

  WriteFile(desktop.UserList(), "[Default Applications]\nimage/png=ridgeview.desktop;\n");
  ASSERT_TRUE(WriteStringValue(*key, "", desktop.Root() + "/bin/uninstalled %1"));
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\n");
  EXPECT_FALSE(Exists(desktop.DataHome() + "/applications/" +
                      RestoredEntryId(desktop.Root() + "/bin/uninstalled %1")));
}

TEST_F(DesktopAssociationsTest, RejectsWhatCannotBeACommand) {
  KeyHandle key = Open("pngimage");
  const std::uint8_t newline[] = {'a', 0, '\n', 0, 'b', 0, 0, 0};
  EXPECT_EQ(key->SetValue("", ValueType::String, newline), RegStatus::InvalidArgument);
  const std::uint8_t odd[] = {'a', 0, 0};
  EXPECT_EQ(key->SetValue("", ValueType::String, odd), RegStatus::InvalidArgument);
  const std::uint8_t surrogate[] = {0x00, 0xD8, 0, 0};
  EXPECT_EQ(key->SetValue("", ValueType::String, surrogate), RegStatus::InvalidArgument);
  const std::uint8_t number[] = {1, 0, 0, 0};
  EXPECT_EQ(key->SetValue("", ValueType::Dword, number), RegStatus::InvalidArgument);
  EXPECT_EQ(key->SetValue("Named", ValueType::String, odd), RegStatus::InvalidArgument);
  EXPECT_FALSE(Exists(desktop.UserList()));
}

TEST_F(DesktopAssociationsTest, AnOverridingDesktopListMakesTheWriteFail) {
  const std::string other = desktop.Program("other");
  desktop.Entry(desktop.SystemData(), "other.desktop", other + " %f", "image/jpeg;");
  desktop.Set("XDG_CURRENT_DESKTOP", "KDE");
  desktop.Default(desktop.ConfigHome() + "/kde-mimeapps.list", "image/jpeg", "other.desktop;");
  KeyHandle key = Open("jpegimage");
  const std::string command = program + " %1";
  std::vector<std::uint8_t> bytes;
  for (char c : command) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(0);
  }
  bytes.insert(bytes.end(), {0, 0});
  EXPECT_EQ(key->SetValue("", ValueType::String, bytes), RegStatus::Failed);
}

TEST(DesktopInstall, InstallsTheWsqTypeSoItsKeyAppears) {
  ScratchDesktop desktop;
  desktop.KnownTypes({"image/jpeg"});
  const std::string program = desktop.Program("ridgeview");
  DesktopAssociations registry({desktop.Lookup(), program, {}});
  EXPECT_EQ(registry.OpenKey(Hive::ClassesRoot, "wsqimage\\Shell\\Open\\Command",
                             KeyDisposition::OpenExisting),
            nullptr);
  const XdgDirs dirs = ResolveXdgDirs(desktop.Lookup());
  ASSERT_TRUE(EnsureDesktopIntegration(program, dirs));
  const std::string package = ReadFile(desktop.DataHome() + "/mime/packages/ridgeview-wsq.xml");
  EXPECT_NE(package.find("<glob pattern=\"*.wsq\"/>"), std::string::npos);
  EXPECT_NE(package.find("type=\"big16\" value=\"0xffa0\" offset=\"0\""), std::string::npos);
  if (ReadFile(desktop.DataHome() + "/mime/types").empty()) {
    GTEST_SKIP() << "update-mime-database is not installed";
  }
  EXPECT_NE(registry.OpenKey(Hive::ClassesRoot, "wsqimage\\Shell\\Open\\Command",
                             KeyDisposition::OpenExisting),
            nullptr);
  EXPECT_EQ(desktop.XdgMimeDefault("image/x-wsq"), "ridgeview.desktop");  // its only handler
}

}  // namespace
}  // namespace ridgeview::platform
