// Where the user's registry database is put.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/registry/registry_location.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

using testing::TempFolder;

std::string FolderWith(const std::map<std::string, std::string>& env) {
  return RegistryFolder([&](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  });
}

TEST(RegistryLocation, FolderRulesInOrder) {
  EXPECT_EQ(FolderWith({{"RIDGEVIEW_CONFIG_DIR", "/tmp/rv"},
                        {"XDG_CONFIG_HOME", "/home/u/cfg"},
                        {"HOME", "/home/u"}}),
            "/tmp/rv");
  EXPECT_EQ(FolderWith({{"RIDGEVIEW_CONFIG_DIR", "relative/dir"}}), "relative/dir");
  EXPECT_EQ(FolderWith({{"RIDGEVIEW_CONFIG_DIR", ""},
                        {"XDG_CONFIG_HOME", "/home/u/cfg"},
                        {"HOME", "/home/u"}}),
            "/home/u/cfg/ridgeview");
  // A relative or empty XDG_CONFIG_HOME is ignored.
  EXPECT_EQ(FolderWith({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/u"}}),
            "/home/u/.config/ridgeview");
  EXPECT_EQ(FolderWith({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u/"}}),
            "/home/u/.config/ridgeview");
  EXPECT_EQ(FolderWith({{"HOME", "/"}}), "/.config/ridgeview");
  // Without HOME the password database answers; it always gives an absolute folder here.
  const std::string fromPasswd = FolderWith({{"HOME", "relative"}});
  if (!fromPasswd.empty()) {
    EXPECT_EQ(fromPasswd.front(), '/');
    EXPECT_TRUE(fromPasswd.ends_with("/.config/ridgeview"));
  }
}

// Sets environment variables for one test and restores them afterwards.
class ScopedEnv {
 public:
  void Set(const char* name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name);
    saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(RegistryLocation, ConfigDirOverrideIsCreatedPrivately) {
  TempFolder folder;
  ScopedEnv env;
  const std::string dir = folder.file("a/b/config");
  env.Set("RIDGEVIEW_CONFIG_DIR", dir);
  env.Set("XDG_CONFIG_HOME", folder.file("xdg"));
  auto registry = OpenUserRegistry();
  ASSERT_TRUE(registry->IsUsable()) << registry->LastError();
  EXPECT_EQ(registry->DatabasePath(), dir + "/registry.sqlite3");
  ASSERT_NE(registry->OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing), nullptr);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/registry.sqlite3"));
  EXPECT_FALSE(std::filesystem::exists(folder.file("xdg")));
  struct stat info {};
  ASSERT_EQ(stat(dir.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(RegistryLocation, XdgConfigHomeIsUsedWithoutOverride) {
  TempFolder folder;
  ScopedEnv env;
  env.Set("RIDGEVIEW_CONFIG_DIR", std::nullopt);
  env.Set("XDG_CONFIG_HOME", folder.file("xdg"));
  auto registry = OpenUserRegistry();
  ASSERT_TRUE(registry->IsUsable()) << registry->LastError();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("xdg/ridgeview/registry.sqlite3")));
}

TEST(RegistryLocation, FolderBlockedByAFileGivesAnUnusableStore) {
  TempFolder folder;
  ScopedEnv env;
  testing::WriteFileBytes(folder.file("blocker"), {'x'});
  env.Set("RIDGEVIEW_CONFIG_DIR", folder.file("blocker/config"));
  EXPECT_FALSE(MakePrivateFolder(folder.file("blocker/config")));
  auto registry = OpenUserRegistry();
  EXPECT_FALSE(registry->IsUsable());
  EXPECT_EQ(registry->OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing), nullptr);
  EXPECT_EQ(testing::ReadFileBytes(folder.file("blocker")), std::vector<char>{'x'});
}

}  // namespace
}  // namespace ridgeview::platform
