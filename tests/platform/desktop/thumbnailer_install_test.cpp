// The thumbnailer entry installed beside the desktop entry and the MIME type, for the
// ridgeview-wsq beside the viewer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/desktop/desktop_entry.h"
#include "platform/desktop/desktop_install.h"
#include "platform/desktop/xdg_dirs.h"
#include "scratch_desktop.h"

namespace ridgeview::platform {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::ScratchDesktop;
using testing::WriteFile;

// The value of `key` in a [Thumbnailer Entry] text ("" when absent).
std::string Value(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "";
  const std::size_t begin = at + key.size() + 2;
  return text.substr(begin, text.find('\n', begin) - begin);
}

TEST(ThumbnailerEntry, ExecQuotesTheToolAndKeepsItsPercentSigns) {
  const std::string text = WsqThumbnailerText("/opt/my tools/ridgeview-wsq");
  EXPECT_EQ(Value(text, "Exec"), "\"/opt/my tools/ridgeview-wsq\" thumbnail -s %s %i %o");
  EXPECT_EQ(ExecProgram(Value(text, "Exec")), "/opt/my tools/ridgeview-wsq");
  // A '%' of the path must not read as a field code.
  EXPECT_EQ(Value(WsqThumbnailerText("/a%b/ridgeview-wsq"), "Exec"),
            "/a%%b/ridgeview-wsq thumbnail -s %s %i %o");
}

TEST(ThumbnailerEntry, InstalledForTheToolBesideTheViewerOnly) {
  ScratchDesktop desktop;
  const XdgDirs dirs = ResolveXdgDirs(desktop.Lookup());
  const std::string entry = desktop.DataHome() + "/thumbnailers/ridgeview-wsq.thumbnailer";
  const std::string viewer = desktop.Program("ridgeview");

  // No tool beside the viewer: the rest is installed, no thumbnailer.
  ASSERT_TRUE(EnsureDesktopIntegration(viewer, dirs));
  EXPECT_TRUE(Exists(desktop.DataHome() + "/applications/ridgeview.desktop"));
  EXPECT_FALSE(Exists(entry));
  EXPECT_EQ(ThumbnailToolBeside(viewer), "");

  // With the tool there, the next start adds what is missing.
  const std::string tool = desktop.Program("ridgeview-wsq");
  EXPECT_EQ(ThumbnailToolBeside(viewer), tool);
  ASSERT_TRUE(EnsureDesktopIntegration(viewer, dirs));
  EXPECT_EQ(ReadFile(entry), WsqThumbnailerText(tool));

  // A file that is not executable is not a tool.
  const std::string elsewhere = desktop.Root() + "/other/ridgeview";
  WriteFile(desktop.Root() + "/other/ridgeview-wsq", "not a program\n");
  EXPECT_EQ(ThumbnailToolBeside(elsewhere), "");

  // A thumbnailer folder that cannot be made fails the installation.
  std::filesystem::remove(entry);
  std::filesystem::remove(desktop.DataHome() + "/thumbnailers");
  WriteFile(desktop.DataHome() + "/thumbnailers", "a file where the folder belongs\n");
  EXPECT_FALSE(InstallDesktopIntegration(viewer, dirs));
}

}  // namespace
}  // namespace ridgeview::platform
