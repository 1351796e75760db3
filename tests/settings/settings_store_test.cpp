// The settings over the real SQLite store: surviving a restart, and a damaged store that
// must neither stop the program nor be overwritten.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/registry/registry_location.h"
#include "platform/registry/sqlite_registry.h"
#include "platform/registry/temp_folder.h"
#include "settings/view_settings.h"

namespace ridgeview::settings {
namespace {

using platform::SqliteRegistry;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

ViewSettings Sample() {
  ViewSettings s;
  s.titleBar = false;
  s.scrollBarsOn = false;
  s.fullScreen = true;
  s.imagePath = "/home/ana/prints/\xC3\xA9t\xC3\xA9.wsq";
  s.scroll = {300, 400};
  s.zoom = 2.5;
  return s;
}

TEST(SettingsStore, SettingsSurviveARestart) {
  TempFolder folder;
  const char* old = std::getenv("RIDGEVIEW_CONFIG_DIR");
  const std::string saved = old ? old : "";
  setenv("RIDGEVIEW_CONFIG_DIR", folder.path().c_str(), 1);
  {
    auto registry = platform::OpenUserRegistry();
    EXPECT_EQ(ReadSettings(*registry), ViewSettings{});  // first start
    ASSERT_TRUE(WriteSettings(*registry, Sample()));
  }
  {
    auto registry = platform::OpenUserRegistry();
    EXPECT_EQ(ReadSettings(*registry), Sample());
  }
  if (old) {
    setenv("RIDGEVIEW_CONFIG_DIR", saved.c_str(), 1);
  } else {
    unsetenv("RIDGEVIEW_CONFIG_DIR");
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("registry.sqlite3")));
}

struct Damage {
  const char* name;
  std::function<void(const std::string& path)> make;
};

class SettingsOnDamagedStore : public ::testing::TestWithParam<Damage> {};

TEST_P(SettingsOnDamagedStore, ReadsGiveDefaultsAndWritesAreSkipped) {
  TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  GetParam().make(path);
  const bool isDirectory = std::filesystem::is_directory(path);
  const std::vector<char> before = isDirectory ? std::vector<char>() : ReadFileBytes(path);

  SqliteRegistry registry(path);
  EXPECT_EQ(ReadSettings(registry), ViewSettings{});
  EXPECT_FALSE(WriteSettings(registry, Sample()));
  EXPECT_EQ(ReadSettings(registry), ViewSettings{});
  if (!isDirectory) {
    EXPECT_EQ(ReadFileBytes(path), before);
  }
}

const Damage kDamage[] = {
    {"RandomBytes",
     [](const std::string& p) {
       std::mt19937 rng(99);
       std::vector<char> bytes(16384);
       for (char& b : bytes) b = static_cast<char>(rng());
       WriteFileBytes(p, bytes);
     }},
    {"Truncated",
     [](const std::string& p) {
       {
         SqliteRegistry registry(p);
         ASSERT_TRUE(WriteSettings(registry, Sample()));
       }
       std::vector<char> bytes = ReadFileBytes(p);
       ASSERT_GT(bytes.size(), 4096u);
       bytes.resize(bytes.size() - 4096 + 17);
       WriteFileBytes(p, bytes);
     }},
    {"HeaderOnly",
     [](const std::string& p) {
       {
         SqliteRegistry registry(p);
         ASSERT_TRUE(WriteSettings(registry, Sample()));
       }
       std::vector<char> bytes = ReadFileBytes(p);
       bytes.resize(100);
       WriteFileBytes(p, bytes);
     }},
    {"Directory", [](const std::string& p) { std::filesystem::create_directory(p); }},
};

INSTANTIATE_TEST_SUITE_P(Files, SettingsOnDamagedStore, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ridgeview::settings
