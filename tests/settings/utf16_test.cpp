#include "settings/utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace ridgeview::settings {
namespace {

TEST(Utf16, ValidTextRoundTrips) {
  const std::string samples[] = {
      "",
      "/home/ana/prints/left thumb.wsq",
      "/tmp/\xC3\xA9t\xC3\xA9/\xE6\x8C\x87\xE7\xBA\xB9.wsq",  // é, 指纹 (two and three bytes)
      "/\xF0\x9F\x96\x90.wsq",                                // U+1F590, a surrogate pair
      "\xEF\xBF\xBF\xF4\x8F\xBF\xBF",                         // U+FFFF, U+10FFFF
      std::string("a\0b", 3),
  };
  for (const std::string& s : samples) {
    const auto units = Utf8ToUtf16(s);
    ASSERT_TRUE(units.has_value()) << s;
    EXPECT_EQ(Utf16ToUtf8(*units), s);
  }
  EXPECT_EQ(*Utf8ToUtf16("\xF0\x9F\x96\x90"), (std::u16string{0xD83D, 0xDD90}));
  EXPECT_EQ(*Utf8ToUtf16("\xC3\xA9"), std::u16string{0x00E9});
}

TEST(Utf16, MalformedUtf8IsRefused) {
  const char* bad[] = {
      "\x80",              // continuation byte first
      "a\xC3",             // truncated two-byte sequence
      "\xE6\x8C",          // truncated three-byte sequence
      "\xC3\x28",          // continuation missing
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong '/'
      "\xF0\x80\x80\xAF",  // overlong '/'
      "\xED\xA0\x80",      // encoded surrogate U+D800
      "\xF4\x90\x80\x80",  // U+110000
      "\xF8\x88\x80\x80\x80",
      "\xFF",
  };
  for (const char* s : bad) EXPECT_FALSE(Utf8ToUtf16(s).has_value()) << s;
}

TEST(Utf16, UnpairedSurrogatesAreRefused) {
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{0xD800}).has_value());
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{0xD800, u'a'}).has_value());
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{0xDC00, 0xD800}).has_value());
  EXPECT_FALSE(Utf16ToUtf8(std::u16string{u'a', 0xDFFF}).has_value());
}

}  // namespace
}  // namespace ridgeview::settings
