// The eight values: defaults, exact stored bytes, read and write order, and what is done with
// stored values that the program would never have written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/registry/memory_registry.h"
#include "platform/registry/registry_names.h"
#include "settings/value_layout.h"
#include "settings/view_settings.h"

namespace ridgeview::settings {
namespace {

using platform::Hive;
using platform::KeyDisposition;
using platform::MemoryRegistry;
using platform::ReadWholeValue;
using platform::RegStatus;
using platform::ValueType;
using Bytes = std::vector<std::uint8_t>;
using Journal = std::vector<std::string>;
using namespace std::string_view_literals;

class SettingsValues : public ::testing::Test {
 protected:
  platform::KeyHandle Key() {
    return registry_.OpenKey(Hive::CurrentUser, kSettingsKeyPath, KeyDisposition::CreateIfMissing);
  }
  void Store(const char* name, ValueType type, const Bytes& bytes) {
    ASSERT_EQ(Key()->SetValue(name, type, bytes), RegStatus::Ok);
  }
  Bytes Raw(const char* name, ValueType expectedType) {
    const auto v = ReadWholeValue(*Key(), name);
    if (!v) {
      ADD_FAILURE() << name << " missing";
      return {};
    }
    EXPECT_EQ(v->type, expectedType) << name;
    return v->bytes;
  }
  static Bytes Utf16(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
      out.push_back(static_cast<std::uint8_t>(c & 0xFF));
      out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
  }

  MemoryRegistry registry_;
};

TEST_F(SettingsValues, EmptyStoreGivesDefaults) {
  const ViewSettings s = ReadSettings(registry_);
  EXPECT_EQ(s, ViewSettings{});
  EXPECT_TRUE(s.titleBar);
  EXPECT_TRUE(s.scrollBarsOn);
  EXPECT_FALSE(s.fullScreen);
  EXPECT_EQ(s.imagePath, "");
  EXPECT_EQ(s.scroll, (ScrollPoint{0, 0}));
  EXPECT_EQ(s.zoom, 1.0);
  EXPECT_EQ(s.folder, "");
}

TEST_F(SettingsValues, StoredBytesFollowTheLayouts) {
  ViewSettings s;
  s.titleBar = false;
  s.scrollBarsOn = true;
  s.fullScreen = true;
  s.imagePath = "/home/ana/\xC3\xA9/\xF0\x9F\x96\x90.wsq";  // é and U+1F590
  s.scroll = {300, -2};
  s.zoom = 2.5;
  s.folder = "/srv/\xC3\xA9";
  ASSERT_TRUE(WriteSettings(registry_, s));

  EXPECT_EQ(Raw("TitleBar", ValueType::Binary), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Raw("ScrollBars", ValueType::Binary), (Bytes{1}));
  EXPECT_EQ(Raw("Full", ValueType::Binary), (Bytes{1}));
  EXPECT_EQ(Raw("Image", ValueType::String),
            Utf16(u"/home/ana/\u00E9/\U0001F590.wsq" + std::u16string(1, u'\0')));
  EXPECT_EQ(Raw("Scroll", ValueType::Binary),
            (Bytes{0x2C, 0x01, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Raw("Zoom", ValueType::Binary), (Bytes{0, 0, 0, 0, 0, 0, 0x04, 0x40}));
  EXPECT_EQ(Raw("Folder", ValueType::String), Utf16(u"/srv/\u00E9\0"sv));

  s = ViewSettings{};
  ASSERT_TRUE(WriteSettings(registry_, s));
  EXPECT_EQ(Raw("TitleBar", ValueType::Binary), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Raw("ScrollBars", ValueType::Binary), (Bytes{1}));
  EXPECT_EQ(Raw("Full", ValueType::Binary), (Bytes{0}));
  EXPECT_EQ(Raw("Image", ValueType::String), (Bytes{0, 0}));
  EXPECT_EQ(Raw("Zoom", ValueType::Binary), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(Raw("Folder", ValueType::String), (Bytes{0, 0}));
}

TEST_F(SettingsValues, WrittenValuesReadBack) {
  ViewSettings s;
  s.titleBar = false;
  s.scrollBarsOn = false;
  s.fullScreen = true;
  s.imagePath = "/data/prints/right index.wsq";
  s.scroll = {-5, 123456};
  s.zoom = 3.17;
  s.folder = "/data/saved prints";
  ASSERT_TRUE(WriteSettings(registry_, s));
  EXPECT_EQ(ReadSettings(registry_), s);

  // With a file on the command line the image, scroll point, zoom and folder are not read.
  ViewSettings expected = s;
  expected.imagePath.clear();
  expected.scroll = {};
  expected.zoom = 1.0;
  expected.folder.clear();
  EXPECT_EQ(ReadSettings(registry_, RestoreImage::No), expected);
}

TEST_F(SettingsValues, ReadsComeInTheFramesOrder) {
  ViewSettings s;
  s.imagePath = "/a.wsq";
  ASSERT_TRUE(WriteSettings(registry_, s));
  registry_.ClearJournal();
  ReadSettings(registry_);
  EXPECT_EQ(registry_.Journal(),
            (Journal{"create HKEY_CURRENT_USER\\Software\\WTL\\Ridgeview", "query Full",
                     "query TitleBar", "query ScrollBars", "query Image", "query Scroll",
                     "query Zoom", "query Folder", "query Smooth", "close"}));

  // Without a stored image, "Scroll" and "Zoom" are not read.
  s.imagePath.clear();
  ASSERT_TRUE(WriteSettings(registry_, s));
  registry_.ClearJournal();
  ReadSettings(registry_);
  EXPECT_EQ(registry_.Journal(),
            (Journal{"create HKEY_CURRENT_USER\\Software\\WTL\\Ridgeview", "query Full",
                     "query TitleBar", "query ScrollBars", "query Image", "query Folder",
                     "query Smooth",
                     "close"}));

  registry_.ClearJournal();
  ReadSettings(registry_, RestoreImage::No);
  EXPECT_EQ(registry_.Journal(),
            (Journal{"create HKEY_CURRENT_USER\\Software\\WTL\\Ridgeview", "query Full",
                     "query TitleBar", "query ScrollBars", "query Smooth", "close"}));
}

TEST_F(SettingsValues, AllEightAreWrittenInOrderAsOneTransaction) {
  ASSERT_TRUE(WriteSettings(registry_, ViewSettings{}));
  EXPECT_EQ(registry_.Journal(),
            (Journal{"create HKEY_CURRENT_USER\\Software\\WTL\\Ridgeview",
                     "write TitleBar,ScrollBars,Full,Image,Scroll,Zoom,Folder,Smooth", "close"}));
}

TEST_F(SettingsValues, BrokenStoreGivesDefaultsAndSkipsTheWrite) {
  ViewSettings s;
  s.fullScreen = true;
  s.imagePath = "/a.wsq";
  ASSERT_TRUE(WriteSettings(registry_, s));

  registry_.SetFailOpens(true);
  EXPECT_EQ(ReadSettings(registry_), ViewSettings{});
  SettingsReader reader(registry_);
  EXPECT_FALSE(reader.HasKey());
  EXPECT_EQ(reader.ReadZoom(), 1.0);
  EXPECT_EQ(reader.ReadImage(), "");
  registry_.ClearJournal();
  EXPECT_FALSE(WriteSettings(registry_, ViewSettings{}));
  EXPECT_EQ(registry_.Journal().size(), 1u);  // the failed open, no write

  registry_.SetFailOpens(false);
  registry_.SetFailWrites(true);
  EXPECT_FALSE(WriteSettings(registry_, ViewSettings{}));
  EXPECT_EQ(ReadSettings(registry_), s);  // nothing changed
}

TEST_F(SettingsValues, BinaryValuesIgnoreTheTypeButNeedTheirSize) {
  Store("TitleBar", ValueType::Dword, {0, 0, 0, 0});  // another type, right size: used
  Store("Full", ValueType::String, {7});              // any non-zero byte is true
  Store("ScrollBars", ValueType::Binary, {0, 0});     // too long: default
  EXPECT_FALSE(ReadSettings(registry_).titleBar);
  EXPECT_TRUE(ReadSettings(registry_).fullScreen);
  EXPECT_TRUE(ReadSettings(registry_).scrollBarsOn);

  Store("TitleBar", ValueType::Binary, {0});  // too short: default, not half a value
  Store("Image", ValueType::String, Utf16(u"/x.wsq\0"sv));
  Store("Scroll", ValueType::Binary, {9, 0, 0, 0});
  Store("Zoom", ValueType::Binary, {0, 0, 0, 0, 0, 0, 0x04});
  const ViewSettings s = ReadSettings(registry_);
  EXPECT_TRUE(s.titleBar);
  EXPECT_EQ(s.imagePath, "/x.wsq");
  EXPECT_EQ(s.scroll, (ScrollPoint{0, 0}));
  EXPECT_EQ(s.zoom, 1.0);
}

TEST_F(SettingsValues, UnusableZoomsGiveOne) {
  Store("Image", ValueType::String, Utf16(u"/x.wsq\0"sv));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> cases[] = {
      {2.5, 2.5},   {0.0, 1.0},    {-0.0, 1.0},     {-2.5, 1.0},   {nan, 1.0},
      {inf, 1.0},   {-inf, 1.0},   {1e-300, 1.0},   {0.009, 1.0},  {0.01, 1.0},   {0.0625, 0.0625}, {0.06, 1.0}, {0.25, 0.25},
      {10000, 10000}, {10000.5, 1.0}, {1e300, 1.0}, {4.9e-324, 1.0}};
  for (const auto& [stored, expected] : cases) {
    const auto bytes = EncodeDouble(stored);
    Store("Zoom", ValueType::Binary, Bytes(bytes.begin(), bytes.end()));
    EXPECT_EQ(ReadSettings(registry_).zoom, expected) << stored;
  }
}

TEST_F(SettingsValues, ImageAndFolderTextRules) {
  struct Case {
    const char* what;
    ValueType type;
    Bytes bytes;
    std::string expected;
  };
  const std::string longPath(kMaxImagePathUnits - 1, 'p');
  Bytes longest = Utf16(std::u16string(longPath.begin(), longPath.end()));
  longest.push_back(0);
  longest.push_back(0);
  Bytes tooLong = longest;
  tooLong.insert(tooLong.begin(), {'p', 0});
  const Case cases[] = {
      {"plain", ValueType::String, Utf16(u"/a/b.wsq\0"sv), "/a/b.wsq"},
      {"expandable, not expanded", ValueType::ExpandString, Utf16(u"$HOME/b.wsq\0"sv),
       "$HOME/b.wsq"},
      {"extra terminators", ValueType::String, Utf16(u"/a.wsq\0\0\0"sv), "/a.wsq"},
      {"longest", ValueType::String, longest, longPath},
      {"too long", ValueType::String, tooLong, ""},
      {"binary type", ValueType::Binary, Utf16(u"/a.wsq\0"sv), ""},
      {"no terminator", ValueType::String, Utf16(u"/a.wsq"sv), ""},
      {"odd size", ValueType::String, {'/', 0, 'a', 0, 0, 0, 0}, ""},
      {"text after terminator", ValueType::String, Utf16(u"/a.wsq\0/etc/passwd\0"sv), ""},
      {"lone surrogate", ValueType::String, Utf16(u"/\xD800.wsq\0"sv), ""},
      {"empty value", ValueType::String, {}, ""},
      {"only terminator", ValueType::String, {0, 0}, ""},
  };
  // "Folder" is text under the same rules.
  for (const Case& c : cases) {
    Store("Image", c.type, c.bytes);
    Store("Folder", c.type, c.bytes);
    const ViewSettings read = ReadSettings(registry_);
    EXPECT_EQ(read.imagePath, c.expected) << c.what;
    EXPECT_EQ(read.folder, c.expected) << c.what;
  }
}

TEST_F(SettingsValues, PathsThatCannotBeStoredFaithfullyBecomeEmpty) {
  ViewSettings s;
  s.scroll = {4, 5};
  for (const std::string& path :
       {std::string("/bad/\xFF.wsq"), std::string("/a\0b.wsq", 8),
        std::string(kMaxImagePathUnits, 'p')}) {
    s.imagePath = path;
    ASSERT_TRUE(WriteSettings(registry_, s));
    EXPECT_EQ(Raw("Image", ValueType::String), (Bytes{0, 0}));
    EXPECT_EQ(ReadSettings(registry_).imagePath, "");
  }
  s.imagePath = std::string(kMaxImagePathUnits - 1, 'p');
  ASSERT_TRUE(WriteSettings(registry_, s));
  EXPECT_EQ(ReadSettings(registry_).imagePath, s.imagePath);
}

}  // namespace
}  // namespace ridgeview::settings
