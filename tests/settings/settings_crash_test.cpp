// A writer killed at random moments must leave a complete set of values: the set of
// some earlier write, never a mix of two writes and never a database that cannot be opened.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "platform/registry/sqlite_registry.h"
#include "platform/registry/temp_folder.h"
#include "settings/view_settings.h"

namespace ridgeview::settings {
namespace {

// The n-th set of values written; every field depends on n, so two sets never mix unseen.
ViewSettings Generation(int n) {
  ViewSettings s;
  s.titleBar = n % 2 == 0;
  s.scrollBarsOn = n % 3 != 0;
  s.fullScreen = n % 5 == 0;
  s.imagePath = "/prints/" + std::to_string(n) + "/thumb.wsq";
  s.scroll = {n, -n};
  s.zoom = 1.0 + (n % 997) * 0.01;
  s.folder = "/prints/" + std::to_string(n);
  return s;
}

// 0 for the defaults (nothing written yet), n for a complete n-th set, nullopt for a mix.
std::optional<int> GenerationOf(const ViewSettings& s) {
  if (s == ViewSettings{}) return 0;
  if (s.scroll.x <= 0 || !(s == Generation(s.scroll.x))) return std::nullopt;
  return s.scroll.x;
}

[[noreturn]] void WriteForever(const std::string& path, int first) {
  platform::SqliteRegistry registry(path);
  for (int n = first;; ++n) WriteSettings(registry, Generation(n));
}

TEST(SettingsCrashSafety, KilledWriterLeavesAWholeOldOrNewSet) {
  testing::TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  std::mt19937 rng(20240611);
  int last = 0;
  int killedWithJournal = 0;
  constexpr int kRounds = 220;
  for (int round = 0; round < kRounds; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) WriteForever(path, last + 1);

    usleep(static_cast<useconds_t>(rng() % 60000));  // 0 to 60 ms
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "round " << round;
    if (std::filesystem::exists(path + "-journal")) ++killedWithJournal;

    platform::SqliteRegistry registry(path);
    ASSERT_TRUE(registry.IsUsable()) << "round " << round << ": " << registry.LastError();
    const ViewSettings s = ReadSettings(registry);
    const std::optional<int> n = GenerationOf(s);
    ASSERT_TRUE(n.has_value()) << "round " << round << ": a mixed set, image " << s.imagePath
                               << ", scroll " << s.scroll.x << "," << s.scroll.y;
    ASSERT_GE(*n, last) << "round " << round << ": an older set came back";
    last = *n;
  }
  EXPECT_GT(last, 0) << "no write ever completed";
  RecordProperty("completed_writes", last);
  RecordProperty("kills_during_a_write", killedWithJournal);
  std::printf("%d rounds, %d writes completed, %d kills left a journal to roll back\n", kRounds,
              last, killedWithJournal);
}

}  // namespace
}  // namespace ridgeview::settings
