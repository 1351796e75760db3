#include "codec/nistcom/fet.h"
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ridgeview::codec {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Entries of a list; an empty slot shows as "<none>".
Entries entries(const fet* list) {
  Entries out;
  for (int i = 0; i < list->count; ++i) {
    out.emplace_back(list->names[i], list->values[i] ? list->values[i] : "<none>");
  }
  return out;
}

FetPtr parse(const char* text) {
  FetPtr list;
  EXPECT_EQ(string2fet(list, text), 0) << text;
  return list;
}

std::string to_text(const fet* list) {
  CodecString text;
  EXPECT_EQ(fet2string(text, list), 0);
  return text ? std::string(text.get()) : std::string("<null>");
}

TEST(FeatureList, ParsesAndWritesThePlainForm) {
  const char* text = "NIST_COM 3\nPIX_WIDTH 500\nPPI 500";
  FetPtr list = parse(text);
  EXPECT_EQ(entries(list.get()),
            (Entries{{"NIST_COM", "3"}, {"PIX_WIDTH", "500"}, {"PPI", "500"}}));
  EXPECT_EQ(to_text(list.get()), text);
}

TEST(FeatureList, TabsBlankLinesIndentsAndTrailingLineEndParseAlike) {
  const Entries want{{"NIST_COM", "3"}, {"PIX_WIDTH", "500"}, {"PPI", "500"}};
  EXPECT_EQ(entries(parse("NIST_COM\t3\nPIX_WIDTH 500\nPPI 500").get()), want);
  EXPECT_EQ(entries(parse("NIST_COM 3\n\n\nPIX_WIDTH 500\nPPI 500").get()), want);
  EXPECT_EQ(entries(parse("NIST_COM 3\nPIX_WIDTH 500\nPPI 500\n").get()), want);
  EXPECT_EQ(entries(parse("NIST_COM 3\n   \tPIX_WIDTH  \t 500\n PPI 500").get()), want);
  // Blanks inside and at the end of a value belong to it.
  EXPECT_EQ(entries(parse("SOURCE live scan  \nX 1").get()),
            (Entries{{"SOURCE", "live scan  "}, {"X", "1"}}));
}

TEST(FeatureList, NameAloneOnItsLineHasAnEmptyValue) {
  FetPtr list = parse("NIST_COM 3\nPPI\nPIX_WIDTH 500");
  EXPECT_EQ(entries(list.get()),
            (Entries{{"NIST_COM", "3"}, {"PPI", "<none>"}, {"PIX_WIDTH", "500"}}));
  CodecString value(static_cast<char*>(codec_malloc(1)));
  EXPECT_EQ(lookupfet(value, "PPI", list.get()), 1);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(entries(parse("PPI").get()), (Entries{{"PPI", "<none>"}}));
  EXPECT_EQ(entries(parse("PPI \t").get()), (Entries{{"PPI", "<none>"}}));
}

TEST(FeatureList, EmptyFirstNameFails) {
  for (const char* text : {" NIST_COM 3", "\nNIST_COM 3", "\tA 1"}) {
    FetPtr list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(string2fet(list, text), FET_EMPTY_NAME);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR : string2fet : empty name string found\n");
    EXPECT_FALSE(list);
  }
  EXPECT_EQ(parse("")->count, 0);
  EXPECT_EQ(parse(nullptr)->count, 0);
}

TEST(FeatureList, RepeatedNameKeepsFirstPlaceAndLastValue) {
  FetPtr list = parse("A 1\nB 2\nA 3");
  EXPECT_EQ(entries(list.get()), (Entries{{"A", "3"}, {"B", "2"}}));
  // An empty later value empties the slot.
  EXPECT_EQ(entries(parse("A 1\nA").get()), (Entries{{"A", "<none>"}}));
}

TEST(FeatureList, TokensLongerThan511AreCut) {
  const std::string long_name(600, 'N');
  const std::string long_value(700, 'v');
  const std::string text = long_name + " " + long_value + "\nNEXT 1";
  FetPtr list = parse(text.c_str());
  ASSERT_EQ(list->count, 2);
  EXPECT_EQ(std::string(list->names[0]), long_name.substr(0, 511));
  EXPECT_EQ(std::string(list->values[0]), long_value.substr(0, 511));
  EXPECT_EQ(std::string(list->names[1]), "NEXT");
  // A value of exactly 511 characters is kept whole.
  const std::string exact = "A " + std::string(511, 'x');
  EXPECT_EQ(std::string(parse(exact.c_str())->values[0]), std::string(511, 'x'));
}

TEST(FeatureList, GrowsByATenthOrAtLeastTen) {
  FetPtr list;
  ASSERT_EQ(allocfet_ret(list, 100), 0);
  std::vector<int> capacities;
  for (int i = 0; i < 111; ++i) {
    const std::string name = "K" + std::to_string(i);
    ASSERT_EQ(updatefet_ret(name.c_str(), "v", list.get()), 0);
    capacities.push_back(list->capacity);
  }
  EXPECT_EQ(capacities[99], 100);
  EXPECT_EQ(capacities[100], 110);
  EXPECT_EQ(capacities[110], 121);

  FetPtr small;
  ASSERT_EQ(allocfet_ret(small, 6), 0);
  for (int i = 0; i < 7; ++i) {
    ASSERT_EQ(updatefet_ret(("S" + std::to_string(i)).c_str(), nullptr, small.get()), 0);
  }
  EXPECT_EQ(small->capacity, 16);

  FetPtr empty;
  ASSERT_EQ(allocfet_ret(empty, 0), 0);
  ASSERT_EQ(updatefet_ret("A", "1", empty.get()), 0);
  EXPECT_EQ(empty->capacity, 10);
}

TEST(FeatureList, UpdateKeepsPositionAndCount) {
  FetPtr list = parse("A 1\nB 2\nC 3");
  ASSERT_EQ(updatefet_ret("B", "20", list.get()), 0);
  EXPECT_EQ(list->count, 3);
  EXPECT_EQ(entries(list.get()), (Entries{{"A", "1"}, {"B", "20"}, {"C", "3"}}));
  ASSERT_EQ(updatefet_ret("C", nullptr, list.get()), 0);
  EXPECT_EQ(entries(list.get()), (Entries{{"A", "1"}, {"B", "20"}, {"C", "<none>"}}));
  testing::internal::CaptureStderr();
  EXPECT_EQ(updatefet_ret("", "x", list.get()), FET_NO_NAME_OR_LIST);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}

TEST(FeatureList, TextOfEmptyValuesAndEmptyLists) {
  FetPtr list;
  ASSERT_EQ(allocfet_ret(list, 4), 0);
  EXPECT_EQ(to_text(list.get()), "");
  EXPECT_EQ(to_text(nullptr), "");
  ASSERT_EQ(updatefet_ret("PPI", nullptr, list.get()), 0);
  ASSERT_EQ(updatefet_ret("X", "1", list.get()), 0);
  const std::string text = to_text(list.get());
  EXPECT_EQ(text, "PPI \nX 1");
  EXPECT_EQ(entries(parse(text.c_str()).get()), entries(list.get()));
}

TEST(FeatureList, LookupAndExtract) {
  FetPtr list = parse("PPI 500\nLOSSY 1");
  CodecString value;
  EXPECT_EQ(lookupfet(value, "PPI", list.get()), 1);
  EXPECT_STREQ(value.get(), "500");
  EXPECT_EQ(lookupfet(value, "ppi", list.get()), 0);  // names are case-sensitive
  EXPECT_STREQ(value.get(), "500");                   // untouched when absent
  EXPECT_EQ(extractfet_ret(value, "LOSSY", list.get()), 0);
  EXPECT_STREQ(value.get(), "1");
  testing::internal::CaptureStderr();
  EXPECT_EQ(extractfet_ret(value, "DEPTH", list.get()), FET_NOT_FOUND);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : extractfet_ret : feature DEPTH not found\n");
}

// Makes allocation `n` from now fail, runs f, and returns its code and message.
template <class F>
std::pair<int, std::string> with_failing_alloc(int n, F f) {
  codec_reset_alloc_counters();
  codec_fail_nth_alloc(n);
  testing::internal::CaptureStderr();
  const int ret = f();
  std::string message = testing::internal::GetCapturedStderr();
  codec_fail_nth_alloc(-1);
  return {ret, message};
}

TEST(FeatureList, AllocationFailuresReportTheirSite) {
  const std::pair<int, const char*> alloc_sites[] = {
      {FET_ALLOC, "ERROR : allocfet_ret : malloc : fet\n"},
      {FET_NAMES_ALLOC, "ERROR : allocfet_ret : calloc : fet->names\n"},
      {FET_VALUES_ALLOC, "ERROR : allocfet_ret : calloc : fet->values\n"}};
  for (int n = 0; n < 3; ++n) {
    FetPtr list;
    const auto [ret, message] = with_failing_alloc(n, [&] { return allocfet_ret(list, 6); });
    EXPECT_EQ(ret, alloc_sites[n].first);
    EXPECT_EQ(message, alloc_sites[n].second);
    EXPECT_FALSE(list);
    EXPECT_EQ(codec_live_allocations(), 0);
  }

  FetPtr list;
  ASSERT_EQ(allocfet_ret(list, 1), 0);
  ASSERT_EQ(updatefet_ret("A", "1", list.get()), 0);
  // Growing: names, then values.
  auto grow = [&] { return updatefet_ret("B", "2", list.get()); };
  EXPECT_EQ(with_failing_alloc(0, grow),
            std::make_pair(FET_GROW_NAMES, std::string("ERROR : reallocfet_ret : realloc : fet->names\n")));
  EXPECT_EQ(with_failing_alloc(1, grow),
            std::make_pair(FET_GROW_VALUES, std::string("ERROR : reallocfet_ret : realloc : fet->values")));
  EXPECT_EQ(list->count, 1);
  EXPECT_EQ(with_failing_alloc(2, grow),
            std::make_pair(FET_NAME_ALLOC, std::string("ERROR : updatefet_ret : malloc : fet->names[]\n")));
  EXPECT_EQ(with_failing_alloc(1, grow),
            std::make_pair(FET_VALUE_ALLOC, std::string("ERROR : updatefet_ret : malloc : fet->values[]\n")));
  EXPECT_EQ(list->count, 1);
  // Replacing a value that cannot be copied keeps the old one.
  EXPECT_EQ(with_failing_alloc(0, [&] { return updatefet_ret("A", "9", list.get()); }),
            std::make_pair(FET_REPLACE_VALUE_ALLOC, std::string("ERROR : updatefet_ret : malloc : fet->values[]\n")));
  EXPECT_STREQ(list->values[0], "1");

  CodecString value;
  EXPECT_EQ(with_failing_alloc(0, [&] { return lookupfet(value, "A", list.get()); }),
            std::make_pair(FET_LOOKUP_ALLOC, std::string("ERROR : lookupfet : malloc : value\n")));
  EXPECT_EQ(with_failing_alloc(0, [&] { return extractfet_ret(value, "A", list.get()); }),
            std::make_pair(FET_EXTRACT_ALLOC, std::string("ERROR : extractfet_ret : malloc : value\n")));
  EXPECT_EQ(with_failing_alloc(0, [&] { return fet2string(value, list.get()); }),
            std::make_pair(FET_TEXT_ALLOC, std::string("ERROR : fet2string : malloc : str\n")));
  EXPECT_FALSE(value);
  list.reset();
  codec_reset_alloc_counters();
}

}  // namespace
}  // namespace ridgeview::codec
