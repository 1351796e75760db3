#include "codec/wsq/huffman_tables.h"
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ridgeview::codec {
namespace {

struct Built {
  HuffcodeTable table;
  int count = 0;
  huff_decode_limits limits{};
};

Built build(std::vector<int> counts) {
  std::uint8_t bits[16] = {};
  for (size_t i = 0; i < counts.size(); ++i) bits[i] = static_cast<std::uint8_t>(counts[i]);
  Built b;
  EXPECT_EQ(build_huffsizes(b.table, &b.count, bits, MAX_HUFFCOUNTS_WSQ), 0);
  assign_huffcodes(b.table.get());
  build_decode_limits(b.table.get(), b.limits, bits);
  return b;
}

std::string code_text(const huffcode_entry& e) {
  std::string s;
  for (int i = e.huff_size - 1; i >= 0; --i) s += ((e.huff_code >> i) & 1) ? '1' : '0';
  return s;
}

TEST(HuffmanTables, SingleOneBitCode) {
  Built b = build({1});
  ASSERT_EQ(b.count, 1);
  EXPECT_EQ(code_text(b.table[0]), "0");
  EXPECT_EQ(b.table[1].huff_size, 0);
  EXPECT_EQ(b.limits.code_max[1], 0);
  EXPECT_EQ(b.limits.code_min[1], 0);
  EXPECT_EQ(b.limits.value_start[1], 0);
  for (int n = 2; n <= 16; ++n) EXPECT_EQ(b.limits.code_max[n], -1);
}

TEST(HuffmanTables, LengthGapsShiftOncePerStep) {
  Built b = build({0, 2, 3});
  ASSERT_EQ(b.count, 5);
  const char* want[] = {"00", "01", "100", "101", "110"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(code_text(b.table[i]), want[i]);
  EXPECT_EQ(b.limits.code_max[1], -1);
  EXPECT_EQ(b.limits.code_min[3], 4);
  EXPECT_EQ(b.limits.code_max[3], 6);
  EXPECT_EQ(b.limits.value_start[3], 2);

  Built gap = build({1, 0, 1});
  EXPECT_EQ(code_text(gap.table[0]), "0");
  EXPECT_EQ(code_text(gap.table[1]), "100");
}

TEST(HuffmanTables, AllOnesCodesAreRejected) {
  Built ok = build({0, 3, 1});
  EXPECT_EQ(code_text(ok.table[3]), "110");
  EXPECT_EQ(check_all_ones_codes(ok.table.get(), ok.count), 0);
  Built four = build({0, 4});
  EXPECT_EQ(check_all_ones_codes(four.table.get(), four.count), WSQ_ALL_ONES_CODE);
  Built two = build({2});
  EXPECT_EQ(check_all_ones_codes(two.table.get(), two.count), WSQ_ALL_ONES_CODE);
}

TEST(HuffmanTables, EmptyCounts) {
  Built b = build({});
  EXPECT_EQ(b.count, 0);
  EXPECT_EQ(b.table[0].huff_size, 0);
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(b.limits.code_max[n], -1);
  EXPECT_EQ(check_all_ones_codes(b.table.get(), b.count), 0);
}

TEST(HuffmanTables, FullTableOf257CodesKeepsTerminator) {
  // Counts summing to 257 (the most a table may hold) fill the list up to its terminator.
  std::vector<int> counts(16, 0);
  counts[7] = 1;
  counts[14] = 1;
  counts[15] = 255;
  Built b = build(counts);
  EXPECT_EQ(b.count, 257);
  EXPECT_EQ(b.table[257].huff_size, 0);
}

TEST(HuffmanTables, CodeTableBySymbol) {
  Built b = build({0, 3, 1});
  const std::uint8_t values[] = {7, 3, 200, 101};
  HuffcodeTable by_symbol;
  ASSERT_EQ(build_huffcode_table(by_symbol, b.table.get(), b.count, values, MAX_HUFFCOUNTS_WSQ), 0);
  EXPECT_EQ(by_symbol[7].huff_size, 2);
  EXPECT_EQ(by_symbol[7].huff_code, 0u);
  EXPECT_EQ(by_symbol[101].huff_size, 3);
  EXPECT_EQ(by_symbol[101].huff_code, 6u);
  EXPECT_EQ(by_symbol[0].huff_size, 0);
}

TEST(HuffmanTables, AllocationFailureReportsMinusTwo) {
  std::uint8_t bits[16] = {1};
  HuffcodeTable t;
  int count = 0;
  codec_reset_alloc_counters();
  codec_fail_nth_alloc(0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(build_huffsizes(t, &count, bits, MAX_HUFFCOUNTS_WSQ), WSQ_HUFFSIZES_ALLOC);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : build_huffsizes : calloc : huffcode_table\n");
  EXPECT_FALSE(t);
  codec_reset_alloc_counters();
}

}  // namespace
}  // namespace ridgeview::codec
