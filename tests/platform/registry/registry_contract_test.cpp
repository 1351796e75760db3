// Behaviour every registry implementation shares, run against the in-memory registry and the
// SQLite store alike.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/registry/memory_registry.h"
#include "platform/registry/registry_names.h"
#include "platform/registry/sqlite_registry.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct MemoryFactory {
  std::unique_ptr<Registry> Make() { return std::make_unique<MemoryRegistry>(); }
};

struct SqliteFactory {
  testing::TempFolder folder;
  std::unique_ptr<Registry> Make() {
    return std::make_unique<SqliteRegistry>(folder.file("registry.sqlite3"));
  }
};

template <class Factory>
class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override { registry_ = factory_.Make(); }

  KeyHandle Create(std::string_view path, Hive hive = Hive::CurrentUser) {
    return registry_->OpenKey(hive, path, KeyDisposition::CreateIfMissing);
  }
  KeyHandle Open(std::string_view path, Hive hive = Hive::CurrentUser) {
    return registry_->OpenKey(hive, path, KeyDisposition::OpenExisting);
  }

  Factory factory_;
  std::unique_ptr<Registry> registry_;
};

using Implementations = ::testing::Types<MemoryFactory, SqliteFactory>;
TYPED_TEST_SUITE(RegistryContract, Implementations);

Bytes Span(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The whole value, or an empty one with a recorded failure when it cannot be read.
StoredValue Whole(RegistryKey& key, std::string_view name) {
  std::optional<StoredValue> v = ReadWholeValue(key, name);
  if (!v) {
    ADD_FAILURE() << "cannot read " << name;
    return {};
  }
  return *v;
}

TYPED_TEST(RegistryContract, KeysOpenCaseInsensitivelyWithTheirAncestors) {
  EXPECT_EQ(this->Open("Software\\WTL\\Ridgeview"), nullptr);
  ASSERT_NE(this->Create("Software\\WTL\\Ridgeview"), nullptr);
  EXPECT_NE(this->Open("software\\wtl\\RIDGEVIEW"), nullptr);
  EXPECT_NE(this->Open("SOFTWARE\\Wtl"), nullptr);
  EXPECT_NE(this->Open("Software"), nullptr);
  EXPECT_NE(this->Open(""), nullptr);  // the hive itself
  EXPECT_EQ(this->Open("Software\\WTL\\Ridgeview\\Deeper"), nullptr);
  // Creating an existing key opens it.
  EXPECT_NE(this->Create("SOFTWARE\\WTL\\ridgeview"), nullptr);
}

TYPED_TEST(RegistryContract, HivesAreSeparate) {
  ASSERT_NE(this->Create("wsqimage\\Shell\\Open\\Command", Hive::ClassesRoot), nullptr);
  EXPECT_EQ(this->Open("wsqimage\\Shell\\Open\\Command", Hive::CurrentUser), nullptr);
  auto hkcu = this->Create("Shared", Hive::CurrentUser);
  auto hkcr = this->Create("Shared", Hive::ClassesRoot);
  const Bytes one{1}, two{2};
  ASSERT_EQ(hkcu->SetValue("v", ValueType::Binary, one), RegStatus::Ok);
  ASSERT_EQ(hkcr->SetValue("v", ValueType::Binary, two), RegStatus::Ok);
  EXPECT_EQ(Whole(*hkcu, "v").bytes, one);
  EXPECT_EQ(Whole(*hkcr, "v").bytes, two);
}

TYPED_TEST(RegistryContract, MalformedPathsAreRefused) {
  const std::string longComponent(kMaxKeyComponentBytes + 1, 'k');
  const std::string okComponent(kMaxKeyComponentBytes, 'k');
  std::string longPath;
  while (longPath.size() <= kMaxKeyPathBytes) longPath += "abcdefg\\";
  longPath += "z";
  for (const std::string& bad : {std::string("\\Software"), std::string("Software\\"),
                                 std::string("Software\\\\WTL"), std::string("\\"),
                                 std::string("Soft\0ware", 9), longComponent, longPath}) {
    EXPECT_EQ(this->Create(bad), nullptr) << bad.size();
    EXPECT_EQ(this->Open(bad), nullptr);
  }
  EXPECT_NE(this->Create(okComponent), nullptr);
  EXPECT_NE(this->Create("A key\\with spaces and \xC3\xA9"), nullptr);
}

TYPED_TEST(RegistryContract, NonAsciiNamesAreComparedExactly) {
  auto key = this->Create("\xC3\x84pfel");  // "Äpfel"
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(this->Open("\xC3\xA4pfel"), nullptr);  // "äpfel" is another key
  EXPECT_NE(this->Open("\xC3\x84PFEL"), nullptr);  // ASCII letters still fold
  ASSERT_EQ(key->SetValue("\xC3\x84", ValueType::Binary, Bytes{1}), RegStatus::Ok);
  EXPECT_EQ(key->QueryValue("\xC3\xA4", nullptr, 0).status, RegStatus::NotFound);
}

TYPED_TEST(RegistryContract, TypesAndExactBytesRoundTrip) {
  auto key = this->Create("Software\\Test");
  ASSERT_NE(key, nullptr);
  std::mt19937 rng(7);
  Bytes noise(5000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  const std::vector<std::pair<ValueType, Bytes>> cases = {
      {ValueType::String, {'a', 0, 'b', 0, 0, 0}},
      {ValueType::ExpandString, {'%', 0, 'H', 0, 0, 0}},
      {ValueType::Binary, {}},
      {ValueType::Binary, {0, 0, 0}},
      {ValueType::Binary, {0xFF, 0x00, 0x80, 0x7F}},
      {ValueType::Binary, noise},
      {ValueType::Dword, {0x78, 0x56, 0x34, 0x12}},
      {ValueType::Dword, {1}},  // sizes are not forced to the type
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string name = "value" + std::to_string(i);
    ASSERT_EQ(key->SetValue(name, cases[i].first, cases[i].second), RegStatus::Ok);
  }
  auto again = this->Open("SOFTWARE\\TEST");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const StoredValue got = Whole(*again, "VALUE" + std::to_string(i));
    EXPECT_EQ(got.type, cases[i].first) << i;
    EXPECT_EQ(got.bytes, cases[i].second) << i;
  }
}

TYPED_TEST(RegistryContract, OverwriteReplacesTypeAndSizeWhateverTheSpelling) {
  auto key = this->Create("K");
  ASSERT_EQ(key->SetValue("Zoom", ValueType::Binary, Bytes(8, 0xAB)), RegStatus::Ok);
  ASSERT_EQ(key->SetValue("ZOOM", ValueType::Dword, Bytes{4, 0, 0, 0}), RegStatus::Ok);
  const StoredValue got = Whole(*key, "zoom");
  EXPECT_EQ(got.type, ValueType::Dword);
  EXPECT_EQ(got.bytes, (Bytes{4, 0, 0, 0}));
}

TYPED_TEST(RegistryContract, SmallBufferGivesMoreDataAndLeavesItUntouched) {
  auto key = this->Create("K");
  const Bytes value = Span("0123456789");
  ASSERT_EQ(key->SetValue("v", ValueType::Binary, value), RegStatus::Ok);

  std::uint8_t buffer[16];
  std::memset(buffer, 0xEE, sizeof buffer);
  QueryResult r = key->QueryValue("v", buffer, 9);
  EXPECT_EQ(r.status, RegStatus::MoreData);
  EXPECT_EQ(r.size, 10u);
  EXPECT_EQ(r.type, ValueType::Binary);
  for (const std::uint8_t b : buffer) EXPECT_EQ(b, 0xEE);

  r = key->QueryValue("v", nullptr, 0);  // size query
  EXPECT_EQ(r.status, RegStatus::Ok);
  EXPECT_EQ(r.size, 10u);

  r = key->QueryValue("v", buffer, 10);  // exactly enough
  EXPECT_EQ(r.status, RegStatus::Ok);
  EXPECT_EQ(Bytes(buffer, buffer + 10), value);
  EXPECT_EQ(buffer[10], 0xEE);

  ASSERT_EQ(key->SetValue("empty", ValueType::Binary, Bytes{}), RegStatus::Ok);
  r = key->QueryValue("empty", buffer, 0);
  EXPECT_EQ(r.status, RegStatus::Ok);
  EXPECT_EQ(r.size, 0u);

  r = key->QueryValue("missing", buffer, sizeof buffer);
  EXPECT_EQ(r.status, RegStatus::NotFound);
  EXPECT_EQ(r.type, ValueType::None);
}

TYPED_TEST(RegistryContract, DeleteRemovesOnlyThatValue) {
  auto key = this->Create("Software\\WTL\\Ridgeview");
  ASSERT_EQ(key->SetValue("jpegimage", ValueType::String, Bytes{'x', 0, 0, 0}), RegStatus::Ok);
  ASSERT_EQ(key->SetValue("gifimage", ValueType::String, Bytes{'y', 0, 0, 0}), RegStatus::Ok);
  EXPECT_EQ(key->DeleteValue("JPEGIMAGE"), RegStatus::Ok);
  EXPECT_EQ(key->QueryValue("jpegimage", nullptr, 0).status, RegStatus::NotFound);
  EXPECT_EQ(key->DeleteValue("jpegimage"), RegStatus::NotFound);
  EXPECT_EQ(key->QueryValue("gifimage", nullptr, 0).status, RegStatus::Ok);
}

TYPED_TEST(RegistryContract, DefaultValueIsTheEmptyName) {
  auto key = this->Create("jpegimage\\Shell\\Open\\Command", Hive::ClassesRoot);
  const Bytes command{'p', 0, ' ', 0, '%', 0, '1', 0, 0, 0};
  ASSERT_EQ(key->SetValue("", ValueType::String, command), RegStatus::Ok);
  EXPECT_EQ(Whole(*key, "").bytes, command);
  EXPECT_EQ(key->QueryValue("Command", nullptr, 0).status, RegStatus::NotFound);
}

TYPED_TEST(RegistryContract, InvalidWritesStoreNothing) {
  auto key = this->Create("K");
  const Bytes small{1, 2};
  const Bytes huge(kMaxValueBytes + 1, 0);
  EXPECT_EQ(key->SetValue("t", ValueType::None, small), RegStatus::InvalidArgument);
  EXPECT_EQ(key->SetValue("t", static_cast<ValueType>(7), small), RegStatus::InvalidArgument);
  EXPECT_EQ(key->SetValue("t", ValueType::Binary, huge), RegStatus::InvalidArgument);
  const Bytes largest(kMaxValueBytes, 0x5A);
  EXPECT_EQ(key->SetValue("largest", ValueType::Binary, largest), RegStatus::Ok);
  EXPECT_EQ(Whole(*key, "largest").bytes, largest);
  EXPECT_EQ(key->SetValue(std::string_view("a\0b", 3), ValueType::Binary, small),
            RegStatus::InvalidArgument);
  EXPECT_EQ(key->SetValue(std::string(kMaxValueNameBytes + 1, 'n'), ValueType::Binary, small),
            RegStatus::InvalidArgument);
  EXPECT_EQ(key->SetValue(std::string(kMaxValueNameBytes, 'n'), ValueType::Binary, small),
            RegStatus::Ok);
  EXPECT_EQ(key->QueryValue(std::string_view("a\0b", 3), nullptr, 0).status,
            RegStatus::InvalidArgument);
  EXPECT_EQ(key->DeleteValue(std::string_view("a\0b", 3)), RegStatus::InvalidArgument);

  // One bad entry spoils the whole batch, even after good ones.
  const ValueWrite batch[] = {{"good1", ValueType::Binary, small},
                              {"good2", ValueType::Binary, small},
                              {"bad", ValueType::None, small}};
  EXPECT_EQ(key->SetValues(batch), RegStatus::InvalidArgument);
  EXPECT_EQ(key->QueryValue("good1", nullptr, 0).status, RegStatus::NotFound);
  EXPECT_EQ(key->QueryValue("good2", nullptr, 0).status, RegStatus::NotFound);
}

TYPED_TEST(RegistryContract, BatchStoresEverythingLaterDuplicatesWin) {
  auto key = this->Create("K");
  const Bytes a{1}, b{2}, c{3};
  const ValueWrite batch[] = {{"x", ValueType::Binary, a},
                              {"y", ValueType::Binary, b},
                              {"X", ValueType::Dword, c}};
  ASSERT_EQ(key->SetValues(batch), RegStatus::Ok);
  EXPECT_EQ(Whole(*key, "x").bytes, c);
  EXPECT_EQ(Whole(*key, "x").type, ValueType::Dword);
  EXPECT_EQ(Whole(*key, "y").bytes, b);
  EXPECT_EQ(key->SetValues({}), RegStatus::Ok);
}

TYPED_TEST(RegistryContract, HandlesShareOneKeyAndOutliveTheRegistry) {
  auto first = this->Create("Software\\WTL\\Ridgeview");
  auto second = this->Open("software\\wtl\\ridgeview");
  ASSERT_EQ(first->SetValue("Full", ValueType::Binary, Bytes{1}), RegStatus::Ok);
  EXPECT_EQ(Whole(*second, "full").bytes, Bytes{1});
  this->registry_.reset();
  EXPECT_EQ(second->SetValue("Full", ValueType::Binary, Bytes{0}), RegStatus::Ok);
  EXPECT_EQ(Whole(*first, "Full").bytes, Bytes{0});
}

}  // namespace
}  // namespace ridgeview::platform
