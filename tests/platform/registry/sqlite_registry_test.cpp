// The SQLite store's own behaviour: persistence, unusable files left alone, locking.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/registry/registry_names.h"
#include "platform/registry/sqlite_registry.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

// Runs SQL on the file through a separate, plain connection.
void RawExec(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK)
      << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

// A store with a few values, closed again.
void MakeStore(const std::string& path) {
  SqliteRegistry registry(path);
  ASSERT_TRUE(registry.IsUsable()) << registry.LastError();
  auto key = registry.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                              KeyDisposition::CreateIfMissing);
  ASSERT_NE(key, nullptr);
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(key->SetValue("v" + std::to_string(i), ValueType::Binary, Bytes(300, 7)),
              RegStatus::Ok);
  }
}

TEST(SqliteRegistry, ValuesSurviveReopenAndAreSeenByOtherConnections) {
  TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  {
    SqliteRegistry writer(path);
    SqliteRegistry reader(path);
    auto w = writer.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                            KeyDisposition::CreateIfMissing);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->SetValue("Zoom", ValueType::Binary, Bytes{1, 2, 3}), RegStatus::Ok);
    auto r = reader.OpenKey(Hive::CurrentUser, "SOFTWARE\\WTL\\RIDGEVIEW",
                            KeyDisposition::OpenExisting);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ReadWholeValue(*r, "zoom").value_or(StoredValue{}).bytes, (Bytes{1, 2, 3}));
  }
  SqliteRegistry again(path);
  auto key = again.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                           KeyDisposition::OpenExisting);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ReadWholeValue(*key, "Zoom").value_or(StoredValue{}).bytes, (Bytes{1, 2, 3}));
  // No journal is left behind after orderly writes.
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
}

TEST(SqliteRegistry, EmptyFileBecomesAStore) {
  TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  WriteFileBytes(path, {});
  SqliteRegistry registry(path);
  EXPECT_TRUE(registry.IsUsable()) << registry.LastError();
  EXPECT_NE(registry.OpenKey(Hive::ClassesRoot, "x", KeyDisposition::CreateIfMissing), nullptr);
}

struct UnusableCase {
  const char* name;
  std::function<void(const std::string& path)> make;
};

class SqliteRegistryUnusable : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(SqliteRegistryUnusable, EveryOpenFailsAndTheFileIsLeftAlone) {
  TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  GetParam().make(path);
  const bool isDirectory = std::filesystem::is_directory(path);
  const std::vector<char> before = isDirectory ? std::vector<char>() : ReadFileBytes(path);

  SqliteRegistry registry(path);
  EXPECT_FALSE(registry.IsUsable());
  EXPECT_FALSE(registry.LastError().empty());
  EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                             KeyDisposition::CreateIfMissing),
            nullptr);
  EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                             KeyDisposition::OpenExisting),
            nullptr);
  EXPECT_EQ(registry.OpenKey(Hive::ClassesRoot, "", KeyDisposition::OpenExisting), nullptr);

  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::is_directory(path), isDirectory);
  if (!isDirectory) {
    EXPECT_EQ(ReadFileBytes(path), before);
  }
  // Nothing was moved aside or added next to it.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

std::vector<char> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<char> bytes(n);
  for (char& b : bytes) b = static_cast<char>(rng());
  return bytes;
}

const UnusableCase kUnusable[] = {
    {"RandomBytes", [](const std::string& p) { WriteFileBytes(p, RandomBytes(8192, 1)); }},
    {"ShortRandomBytes", [](const std::string& p) { WriteFileBytes(p, RandomBytes(37, 2)); }},
    {"PlainText",
     [](const std::string& p) {
       const std::string text = "TitleBar=1\nScrollBars=1\n";
       WriteFileBytes(p, std::vector<char>(text.begin(), text.end()));
     }},
    {"Truncated",
     [](const std::string& p) {
       MakeStore(p);
       std::vector<char> bytes = ReadFileBytes(p);
       ASSERT_GT(bytes.size(), 3 * 4096u);
       bytes.resize(bytes.size() / 2 + 100);
       WriteFileBytes(p, bytes);
     }},
    {"DamagedPage",
     [](const std::string& p) {
       MakeStore(p);
       std::vector<char> bytes = ReadFileBytes(p);
       const std::vector<char> noise = RandomBytes(4096, 3);
       std::copy(noise.begin(), noise.end(), bytes.begin() + 4096);  // second page
       WriteFileBytes(p, bytes);
     }},
    {"Directory", [](const std::string& p) { std::filesystem::create_directory(p); }},
    {"AnotherProgramsDatabase",
     [](const std::string& p) { RawExec(p, "CREATE TABLE notes(id INTEGER, body TEXT)"); }},
    {"NewerLayout",
     [](const std::string& p) {
       MakeStore(p);
       RawExec(p, "PRAGMA user_version = 2");
     }},
    {"ExtraTrigger",
     [](const std::string& p) {
       MakeStore(p);
       RawExec(p,
               "CREATE TRIGGER t AFTER INSERT ON registry_values "
               "BEGIN DELETE FROM registry_keys; END");
     }},
};

INSTANTIATE_TEST_SUITE_P(Files, SqliteRegistryUnusable, ::testing::ValuesIn(kUnusable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SqliteRegistry, MissingFolderGivesAnUnusableStore) {
  TempFolder folder;
  SqliteRegistry registry(folder.file("no/such/folder/registry.sqlite3"));
  EXPECT_FALSE(registry.IsUsable());
  EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing), nullptr);
  SqliteRegistry nowhere{std::string()};
  EXPECT_FALSE(nowhere.IsUsable());
  EXPECT_EQ(nowhere.OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing), nullptr);
}

// Another process holds the database locked: operations wait for the busy timeout, then
// fail without changing anything; once the lock is gone they work again.
TEST(SqliteRegistry, LockedDatabaseFailsAfterTheBusyTimeout) {
  TempFolder folder;
  const std::string path = folder.file("registry.sqlite3");
  SqliteRegistry registry(path, 200);
  auto key = registry.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                              KeyDisposition::CreateIfMissing);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->SetValue("Full", ValueType::Binary, Bytes{0}), RegStatus::Ok);

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(key->SetValue("Full", ValueType::Binary, Bytes{1}), RegStatus::Failed);
  EXPECT_EQ(key->DeleteValue("Full"), RegStatus::Failed);
  EXPECT_EQ(key->QueryValue("Full", nullptr, 0).status, RegStatus::Failed);
  EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "New", KeyDisposition::CreateIfMissing),
            nullptr);
  SqliteRegistry late(path, 200);  // opened while locked: unusable for now
  EXPECT_FALSE(late.IsUsable());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(5));

  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  EXPECT_EQ(ReadWholeValue(*key, "Full").value_or(StoredValue{}).bytes, Bytes{0});
  EXPECT_EQ(key->SetValue("Full", ValueType::Binary, Bytes{1}), RegStatus::Ok);
  EXPECT_TRUE(late.IsUsable()) << late.LastError();  // tried again
  auto lateKey =
      late.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview", KeyDisposition::OpenExisting);
  ASSERT_NE(lateKey, nullptr);
  EXPECT_EQ(ReadWholeValue(*lateKey, "Full").value_or(StoredValue{}).bytes, Bytes{1});
}

}  // namespace
}  // namespace ridgeview::platform
