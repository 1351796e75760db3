// The lookup of a type's default application, checked against xdg-mime on the same files.
#include <gtest/gtest.h>

#include "platform/desktop/scratch_desktop.h"
#include "platform/desktop/default_application.h"

namespace ridgeview::platform {
namespace {

using platform::testing::ScratchDesktop;

class DefaultApplicationTest : public ::testing::Test {
 protected:
  std::string Default(const std::string& mime) {
    const XdgDirs dirs = ResolveXdgDirs(desktop.Lookup());
    DesktopCatalog catalog(dirs);
    const DesktopEntry* entry = FindDefaultApplication(mime, dirs, catalog, desktop.Lookup());
    return entry != nullptr ? entry->id : std::string();
  }
  // Our answer, and xdg-mime's on the same folders, must agree.
  void ExpectDefault(const std::string& mime, const std::string& id) {
    EXPECT_EQ(Default(mime), id) << mime;
    EXPECT_EQ(desktop.XdgMimeDefault(mime), id) << "xdg-mime, " << mime;
  }

  ScratchDesktop desktop;
};

TEST_F(DefaultApplicationTest, UserListBeatsSystemListsWhichBeatTheCache) {
  const std::string a = desktop.Program("a");
  const std::string b = desktop.Program("b");
  const std::string c = desktop.Program("c");
  desktop.Entry(desktop.SystemData(), "a.desktop", a + " %f", "image/jpeg;");
  desktop.Entry(desktop.SystemData(), "b.desktop", b + " %U", "image/jpeg;");
  desktop.Entry(desktop.SystemData(), "c.desktop", c + " %f", "image/jpeg;");
  platform::testing::WriteFile(desktop.SystemData() + "/applications/mimeinfo.cache",
                              "[MIME Cache]\nimage/jpeg=c.desktop;a.desktop;\n");
  ExpectDefault("image/jpeg", "c.desktop");
  desktop.Default(desktop.SystemData() + "/applications/mimeapps.list", "image/jpeg", "b.desktop;");
  ExpectDefault("image/jpeg", "b.desktop");
  desktop.Default(desktop.SystemConfig() + "/mimeapps.list", "image/jpeg", "a.desktop;");
  ExpectDefault("image/jpeg", "a.desktop");
  desktop.Default(desktop.UserList(), "image/jpeg", "c.desktop;");
  ExpectDefault("image/jpeg", "c.desktop");
}

TEST_F(DefaultApplicationTest, SkipsListedEntriesThatAreMissingOrCannotRun) {
  const std::string b = desktop.Program("b");
  desktop.Entry(desktop.SystemData(), "gone.desktop", desktop.Root() + "/bin/nothing %f",
                "image/png;");
  desktop.Entry(desktop.SystemData(), "b.desktop", b + " %f", "image/png;");
  desktop.Default(desktop.UserList(), "image/png", "absent.desktop;gone.desktop;b.desktop;");
  ExpectDefault("image/png", "b.desktop");
}

TEST_F(DefaultApplicationTest, DesktopSpecificListsComeFirst) {
  const std::string a = desktop.Program("a");
  const std::string b = desktop.Program("b");
  desktop.Entry(desktop.SystemData(), "a.desktop", a + " %f", "");
  desktop.Entry(desktop.SystemData(), "b.desktop", b + " %f", "");
  desktop.Default(desktop.UserList(), "image/gif", "a.desktop;");
  desktop.Default(desktop.ConfigHome() + "/gnome-mimeapps.list", "image/gif", "b.desktop;");
  ExpectDefault("image/gif", "a.desktop");
  desktop.Set("XDG_CURRENT_DESKTOP", "GNOME");
  ExpectDefault("image/gif", "b.desktop");
}

TEST_F(DefaultApplicationTest, FallsBackToTheMostPreferredInstalledEntry) {
  const std::string a = desktop.Program("a");
  const std::string b = desktop.Program("b");
  desktop.Entry(desktop.SystemData(), "a.desktop", a + " %f", "image/bmp;");
  desktop.Entry(desktop.SystemData(), "b.desktop", b + " %f", "image/bmp;", "InitialPreference=3\n");
  ExpectDefault("image/bmp", "b.desktop");
  ExpectDefault("image/tiff", "");
}

TEST_F(DefaultApplicationTest, UserEntriesHideSystemEntriesOfTheSameId) {
  const std::string a = desktop.Program("a");
  const std::string mine = desktop.Program("mine");
  desktop.Entry(desktop.SystemData(), "a.desktop", a + " %f", "image/png;");
  desktop.Entry(desktop.DataHome(), "a.desktop", mine + " %u", "image/png;");
  desktop.Default(desktop.UserList(), "image/png", "a.desktop;");
  const XdgDirs dirs = ResolveXdgDirs(desktop.Lookup());
  DesktopCatalog catalog(dirs);
  const DesktopEntry* entry = catalog.Find("a.desktop");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->exec, mine + " %u");
  // Entries in subfolders get IDs with '-' for '/'.
  platform::testing::WriteFile(desktop.SystemData() + "/applications/kde4/viewer.desktop",
                              "[Desktop Entry]\nExec=" + a + "\n");
  DesktopCatalog again(dirs);
  EXPECT_NE(again.Find("kde4-viewer.desktop"), nullptr);
}

TEST(KnownMimeTypes, OnlyTypesOfTheCompiledDatabase) {
  ScratchDesktop desktop;
  desktop.KnownTypes({"image/bmp", "image/jpeg"});
  const XdgDirs dirs = ResolveXdgDirs(desktop.Lookup());
  EXPECT_TRUE(IsKnownMimeType("image/jpeg", dirs));
  EXPECT_FALSE(IsKnownMimeType("image/x-wsq", dirs));
  EXPECT_FALSE(IsKnownMimeType("image", dirs));
  EXPECT_FALSE(IsKnownMimeType("", dirs));
}

}  // namespace
}  // namespace ridgeview::platform
