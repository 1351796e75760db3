// The in-memory registry's journal and failure switches, and routing hives to backends.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry/hive_router.h"
#include "platform/registry/memory_registry.h"

namespace ridgeview::platform {
namespace {

using Journal = std::vector<std::string>;

TEST(MemoryRegistry, JournalRecordsCallsInOrder) {
  MemoryRegistry registry;
  {
    auto key = registry.OpenKey(Hive::CurrentUser, "Software\\WTL\\Ridgeview",
                                KeyDisposition::CreateIfMissing);
    const std::uint8_t one = 1;
    const ValueWrite batch[] = {{"TitleBar", ValueType::Binary, {&one, 1}},
                                {"Full", ValueType::Binary, {&one, 1}}};
    key->SetValues(batch);
    key->QueryValue("Full", nullptr, 0);
    key->DeleteValue("Full");
  }
  registry.OpenKey(Hive::ClassesRoot, "wsqimage", KeyDisposition::OpenExisting);
  EXPECT_EQ(registry.Journal(),
            (Journal{"create HKEY_CURRENT_USER\\Software\\WTL\\Ridgeview",
                     "write TitleBar,Full", "query Full", "delete Full", "close",
                     "open HKEY_CLASSES_ROOT\\wsqimage"}));
  registry.ClearJournal();
  EXPECT_TRUE(registry.Journal().empty());
}

TEST(MemoryRegistry, FailureSwitchesImitateABrokenStore) {
  MemoryRegistry registry;
  auto key = registry.OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing);
  const std::uint8_t one = 1;
  ASSERT_EQ(key->SetValue("v", ValueType::Binary, {&one, 1}), RegStatus::Ok);

  registry.SetFailWrites(true);
  EXPECT_EQ(key->SetValue("v", ValueType::Binary, {}), RegStatus::Failed);
  EXPECT_EQ(key->DeleteValue("v"), RegStatus::Failed);
  EXPECT_EQ(key->QueryValue("v", nullptr, 0).size, 1u);  // unchanged and still readable

  registry.SetFailOpens(true);
  EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "K", KeyDisposition::OpenExisting), nullptr);
  registry.SetFailOpens(false);
  EXPECT_NE(registry.OpenKey(Hive::CurrentUser, "K", KeyDisposition::OpenExisting), nullptr);
}

TEST(HiveRouter, EachHiveGoesToItsBackend) {
  auto store = std::make_shared<MemoryRegistry>();
  auto associations = std::make_shared<MemoryRegistry>();
  HiveRouter router(store);
  auto a = router.OpenKey(Hive::ClassesRoot, "a", KeyDisposition::CreateIfMissing);
  EXPECT_EQ(store->Journal(), Journal{"create HKEY_CLASSES_ROOT\\a"});

  router.SetBackend(Hive::ClassesRoot, associations);
  auto b = router.OpenKey(Hive::ClassesRoot, "b", KeyDisposition::CreateIfMissing);
  auto c = router.OpenKey(Hive::CurrentUser, "c", KeyDisposition::CreateIfMissing);
  EXPECT_EQ(associations->Journal(), Journal{"create HKEY_CLASSES_ROOT\\b"});
  EXPECT_EQ(store->Journal().back(), "create HKEY_CURRENT_USER\\c");

  router.SetBackend(Hive::ClassesRoot, nullptr);  // back to the fallback
  EXPECT_NE(router.OpenKey(Hive::ClassesRoot, "a", KeyDisposition::OpenExisting), nullptr);

  HiveRouter empty(nullptr);
  EXPECT_EQ(empty.OpenKey(Hive::CurrentUser, "c", KeyDisposition::CreateIfMissing), nullptr);
}

}  // namespace
}  // namespace ridgeview::platform
