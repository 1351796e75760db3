// Desktop entry parsing, the Exec/command mapping and the edits of mimeapps.list.
#include <gtest/gtest.h>

#include "platform/desktop/desktop_entry.h"
#include "platform/desktop/desktop_install.h"
#include "platform/desktop/mimeapps_list.h"

namespace ridgeview::platform {
namespace {

TEST(DesktopEntryText, ReadsOnlyTheDesktopEntryGroupAndResolvesEscapes) {
  const auto entry = ParseDesktopEntry(
      "# comment\n[Desktop Entry]\nName=Pic\nName[de]=Bild\nExec = /opt/pic\\sshow %U\n"
      "MimeType=image/jpeg;image/png;\nInitialPreference=7\nHidden=false\n"
      "[Desktop Action New]\nExec=/other %f\n");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->name, "Pic");
  EXPECT_EQ(entry->exec, "/opt/pic show %U");
  EXPECT_EQ(entry->mimeTypes, (std::vector<std::string>{"image/jpeg", "image/png"}));
  EXPECT_EQ(entry->initialPreference, 7);
  EXPECT_FALSE(entry->hidden);
  EXPECT_FALSE(ParseDesktopEntry("[Other]\nExec=x\n").has_value());
}

TEST(DesktopEntryText, FieldCodesBecomePercentOneAndBack) {
  EXPECT_EQ(ExecToCommand("/usr/bin/picshow %f"), "/usr/bin/picshow %1");
  EXPECT_EQ(ExecToCommand("viewer --new %U"), "viewer --new %1");
  EXPECT_EQ(ExecToCommand("viewer %i %u"), "viewer %i %1");  // other codes stay
  EXPECT_EQ(ExecToCommand("echo 100%%f"), "echo 100%%f");   // %% is a literal percent
  EXPECT_EQ(CommandToExec("/usr/bin/picshow %1"), "/usr/bin/picshow %f");
  EXPECT_EQ(CommandToExec("echo 100%%1 %1"), "echo 100%%1 %f");
}

TEST(DesktopEntryText, ProgramOfAnExecLine) {
  EXPECT_EQ(ExecProgram("  /usr/bin/pic %f"), "/usr/bin/pic");
  EXPECT_EQ(ExecProgram("\"/home/a b/c\\\"d\" %f"), "/home/a b/c\"d");
  EXPECT_EQ(ExecProgram("\"/unterminated %f"), "");
  EXPECT_EQ(ExecProgram(""), "");
}

TEST(DesktopEntryText, ProgramPathsAreQuotedOnlyWhenNeeded) {
  EXPECT_EQ(QuoteExecArgument("/home/u/.local/bin/ridgeview"), "/home/u/.local/bin/ridgeview");
  EXPECT_EQ(QuoteExecArgument("/home/a b/$x"), "\"/home/a b/\\$x\"");
  EXPECT_EQ(QuoteExecArgument("/50%/rv"), "/50%%/rv");
  // Written into the file with the value escapes, read back to the same Exec line.
  const auto entry = ParseDesktopEntry(RidgeviewDesktopEntryText("/home/a b/rv\\x"));
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->exec, "\"/home/a b/rv\\\\x\" %f");
  EXPECT_EQ(ExecProgram(entry->exec), "/home/a b/rv\\x");
  EXPECT_EQ(entry->mimeTypes.size(), 5u);
}

TEST(MimeappsList, SettingADefaultKeepsEveryOtherLine) {
  const std::string before =
      "# mine\n[Added Associations]\nimage/jpeg=gimp.desktop;\n\n[Default Applications]\n"
      "text/plain=vim.desktop;\nimage/jpeg = a.desktop;ridgeview.desktop;b.desktop\n"
      "image/png=a.desktop;\n\n[Removed Associations]\nimage/gif=x.desktop;\n";
  const std::string after = SetDefaultApplication(before, "image/jpeg", "ridgeview.desktop");
  EXPECT_EQ(after,
            "# mine\n[Added Associations]\nimage/jpeg=gimp.desktop;\n\n[Default Applications]\n"
            "text/plain=vim.desktop;\nimage/jpeg=ridgeview.desktop;a.desktop;b.desktop;\n"
            "image/png=a.desktop;\n\n[Removed Associations]\nimage/gif=x.desktop;\n");
  EXPECT_EQ(ListedApplications(after, "Default Applications", "image/jpeg"),
            (std::vector<std::string>{"ridgeview.desktop", "a.desktop", "b.desktop"}));
  EXPECT_EQ(SetDefaultApplication(after, "image/jpeg", "a.desktop", "ridgeview.desktop"),
            SetDefaultApplication(before, "image/jpeg", "a.desktop", "ridgeview.desktop"));
  EXPECT_NE(SetDefaultApplication(after, "image/jpeg", "a.desktop", "ridgeview.desktop")
                .find("image/jpeg=a.desktop;b.desktop;\n"),
            std::string::npos);
  // Only [Default Applications] is read: the added association is not a default.
  EXPECT_EQ(ListedApplications(before, "Default Applications", "image/gif").size(), 0u);
}

TEST(MimeappsList, NewLinesGoToTheEndOfTheFirstDefaultGroup) {
  EXPECT_EQ(SetDefaultApplication("", "image/gif", "r.desktop"),
            "[Default Applications]\nimage/gif=r.desktop;\n");
  EXPECT_EQ(SetDefaultApplication("[Added Associations]\nx/y=z;", "image/gif", "r.desktop"),
            "[Added Associations]\nx/y=z;\n\n[Default Applications]\nimage/gif=r.desktop;\n");
  EXPECT_EQ(SetDefaultApplication("[Default Applications]\nx/y=z;\n\n[Other]\nk=v\n", "image/gif",
                                  "r.desktop"),
            "[Default Applications]\nx/y=z;\nimage/gif=r.desktop;\n\n[Other]\nk=v\n");
  EXPECT_EQ(SetDefaultApplication("[Default Applications]\nx/y=z;", "image/gif", "r.desktop"),
            "[Default Applications]\nx/y=z;\nimage/gif=r.desktop;\n");
}

TEST(MimeappsList, RemovingADefaultTakesOnlyThatTypesLines) {
  bool changed = false;
  const std::string text =
      "[Added Associations]\nimage/gif=keep.desktop;\n[Default Applications]\n"
      "image/gif=r.desktop;\nimage/png=p.desktop;\nimage/gif=again.desktop;\n";
  EXPECT_EQ(RemoveDefaultApplication(text, "image/gif", changed),
            "[Added Associations]\nimage/gif=keep.desktop;\n[Default Applications]\n"
            "image/png=p.desktop;\n");
  EXPECT_TRUE(changed);
  EXPECT_EQ(RemoveDefaultApplication(text, "image/bmp", changed), text);
  EXPECT_FALSE(changed);
}

}  // namespace
}  // namespace ridgeview::platform
