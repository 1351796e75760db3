#include "codec/wsq/encode/huffman_generation.h"
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace ridgeview::codec {
namespace {

using Coefficients = std::vector<std::int16_t>;

std::map<int, std::int64_t> symbol_counts(const Coefficients& c) {
  SymbolCounts counts;
  EXPECT_EQ(count_block(counts, 256, c.data(), c.size(), 74, 100), 0);
  std::map<int, std::int64_t> out;
  for (int s = 0; s <= 256; ++s) {
    if (counts[s] != 0) out[s] = counts[s];
  }
  return out;
}

struct Table {
  int ret = 0;
  HuffcodeTable codes;
  ByteArray bits, values;
};

Table generate(const Coefficients& c, std::size_t first_block) {
  Table t;
  const std::size_t sizes[2] = {first_block, c.size() - first_block};
  t.ret = generate_huffman_table(t.codes, t.bits, t.values, c.data(), sizes,
                                 first_block == c.size() ? 1 : 2);
  return t;
}

TEST(HuffmanGeneration, SymbolMapping) {
  const std::pair<int, int> cases[] = {{74, 254},  {75, 101},  {255, 101},  {256, 103},
                                       {-73, 107}, {-74, 102}, {-255, 102}, {-256, 104},
                                       {1, 181},   {-1, 179},  {32767, 103}, {-32768, 104}};
  for (const auto& [v, symbol] : cases) {
    EXPECT_EQ(coefficient_symbol(static_cast<std::int16_t>(v), 74), symbol) << v;
  }
  EXPECT_EQ(zero_run_symbol(100, 100), 100);
  EXPECT_EQ(zero_run_symbol(101, 100), 105);
  EXPECT_EQ(zero_run_symbol(255, 100), 105);
  EXPECT_EQ(zero_run_symbol(256, 100), 106);
}

TEST(HuffmanGeneration, RunsAreCutAfter65535Zeros) {
  EXPECT_EQ(symbol_counts(Coefficients(65535 + 5, 0)),
            (std::map<int, std::int64_t>{{5, 1}, {106, 1}, {256, 1}}));
  EXPECT_EQ(symbol_counts(Coefficients(65536, 0)),
            (std::map<int, std::int64_t>{{1, 1}, {106, 1}, {256, 1}}));
  Coefficients mixed = {0, 0, 3, 0, -80, 0, 0, 0, 0};
  EXPECT_EQ(symbol_counts(mixed),
            (std::map<int, std::int64_t>{{1, 1}, {2, 1}, {4, 1}, {102, 1}, {183, 1}, {256, 1}}));
}

TEST(HuffmanGeneration, EmptyBlockHasNoCodes) {
  Table t = generate({}, 0);
  ASSERT_EQ(t.ret, 0);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(t.bits[i], 0);
  for (int i = 0; i < 257; ++i) {
    EXPECT_EQ(t.values[i], 0);
    EXPECT_EQ(t.codes[i].huff_size, 0);
  }
}

TEST(HuffmanGeneration, SingleRunGetsTheOneBitCodeZero) {
  Table t = generate(Coefficients(42, 0), 42);
  ASSERT_EQ(t.ret, 0);
  EXPECT_EQ(t.bits[0], 1);
  for (int i = 1; i < 16; ++i) EXPECT_EQ(t.bits[i], 0);
  EXPECT_EQ(t.values[0], 42);
  EXPECT_EQ(t.codes[42].huff_size, 1);
  EXPECT_EQ(t.codes[42].huff_code, 0u);
}

TEST(HuffmanGeneration, TiesGoToTheHighestSymbol) {
  std::vector<std::int64_t> counts(257, 0);
  counts[10] = 5;
  counts[20] = 5;
  counts[256] = 1;
  int first = 0, second = 0;
  find_least_frequent_pair(&first, &second, counts.data(), 256);
  EXPECT_EQ(first, 256);
  EXPECT_EQ(second, 20);
  counts[256] = 0;
  find_least_frequent_pair(&first, &second, counts.data(), 256);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(second, 10);
  counts[10] = 0;
  find_least_frequent_pair(&first, &second, counts.data(), 256);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(second, -1);
  counts[20] = 0;
  find_least_frequent_pair(&first, &second, counts.data(), 256);
  EXPECT_EQ(first, -1);
  EXPECT_EQ(second, -1);

  // Two symbols of equal count and the reserved one: 256 merges with the higher symbol.
  std::vector<std::int64_t> c2(257, 0);
  c2[3] = 2;
  c2[7] = 2;
  c2[256] = 1;
  CodeSizes sizes;
  ASSERT_EQ(find_huff_sizes(sizes, c2.data(), 256), 0);
  EXPECT_EQ(sizes[3], 1);
  EXPECT_EQ(sizes[7], 2);
  EXPECT_EQ(sizes[256], 2);
}

// Coefficient values 1..n occurring 1, 1, 2, 4, 8, ... times: each count equals the sum of
// all smaller ones, so the code lengths grow by one per symbol, far beyond 16.
Coefficients doubling_block(int n) {
  Coefficients c;
  std::int64_t times = 1;
  for (int v = 1; v <= n; ++v) {
    for (std::int64_t i = 0; i < times; ++i) c.push_back(static_cast<std::int16_t>(v));
    if (v > 1) times *= 2;
  }
  return c;
}

TEST(HuffmanGeneration, LengthsAbove16AreFolded) {
  const Coefficients c = doubling_block(22);
  const std::map<int, std::int64_t> counts = symbol_counts(c);
  std::vector<std::int64_t> raw(257, 0);
  for (const auto& [s, n] : counts) raw[s] = n;
  CodeSizes sizes;
  ASSERT_EQ(find_huff_sizes(sizes, raw.data(), 256), 0);
  ByteArray bits;
  int adjust = 0;
  ASSERT_EQ(find_num_huff_sizes(bits, &adjust, sizes.get(), 256), 0);
  EXPECT_EQ(adjust, 1);
  int longest = 0;
  for (int i = 0; i < 32; ++i) {
    if (bits[i] != 0) longest = i + 1;
  }
  EXPECT_GT(longest, 16);

  Table t = generate(c, c.size());
  ASSERT_EQ(t.ret, 0);
  int total = 0;
  for (int i = 0; i < 16; ++i) total += t.bits[i];
  for (int i = 16; i < 32; ++i) EXPECT_EQ(t.bits[i], 0);
  EXPECT_EQ(total, 22);  // one code per distinct symbol
  HuffcodeTable list;
  int count = 0;
  ASSERT_EQ(build_huffsizes(list, &count, t.bits.get(), 256), 0);
  assign_huffcodes(list.get());
  EXPECT_EQ(check_all_ones_codes(list.get(), count), 0);
  // The most frequent symbol keeps the shortest code; order follows the unadjusted lengths.
  EXPECT_EQ(t.values[0], 180 + 22);
  EXPECT_EQ(t.codes[180 + 22].huff_size, 1);
}

TEST(HuffmanGeneration, TwoBlocksShareOneTable) {
  const Coefficients c = {5, 5, 0, 0, 9, 0, /* second block */ 0, -3, 5};
  Table t = generate(c, 6);
  ASSERT_EQ(t.ret, 0);
  for (int s : {185, 2, 189, 177, 1}) EXPECT_GT(t.codes[s].huff_size, 0) << s;
  // The run that ends the first block does not continue into the second.
  Table merged = generate(c, c.size());
  EXPECT_EQ(merged.codes[1].huff_size, 0);
}

TEST(HuffmanGeneration, CodeLengthsAbove32AreRejected) {
  codec_reset_alloc_counters();
  std::vector<int> sizes(257, 0);
  sizes[5] = 33;
  ByteArray bits;
  int adjust = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(find_num_huff_sizes(bits, &adjust, sizes.data(), 256), WSQ_ENC_CODE_TOO_LONG);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  EXPECT_FALSE(bits);
  EXPECT_EQ(codec_live_allocations(), 0);
}

TEST(HuffmanGeneration, AllocationFailuresPassTheirCodes) {
  const Coefficients c = doubling_block(20);  // needs the length adjustment
  codec_reset_alloc_counters();
  ASSERT_EQ(generate(c, c.size() / 2).ret, 0);
  const auto total = static_cast<std::int64_t>(codec_alloc_calls());
  // count_block x2, codesize, others, bits, tbits, huffvalues, code list, code table.
  const int want[] = {WSQ_ENC_COUNTS_ALLOC,     WSQ_ENC_COUNTS_ALLOC,   WSQ_ENC_CODESIZE_ALLOC,
                      WSQ_ENC_OTHERS_ALLOC,     WSQ_ENC_BITS_ALLOC,     WSQ_ENC_TBITS_ALLOC,
                      WSQ_ENC_HUFFVALUES_ALLOC, WSQ_HUFFSIZES_ALLOC,    WSQ_HUFFCODE_TABLE_ALLOC};
  ASSERT_EQ(total, 9);
  const char* messages[] = {"ERROR : count_block : calloc : counts\n",
                            "ERROR : count_block : calloc : counts\n",
                            "ERROR : find_huff_sizes : calloc : codesize\n",
                            "ERROR : find_huff_sizes : malloc : others\n",
                            "ERROR : find_num_huff_sizes : calloc : bits\n",
                            "ERROR : sort_huffbits : malloc : tbits\n",
                            "ERROR : sort_code_sizes : calloc : value\n",
                            "ERROR : build_huffsizes : calloc : huffcode_table\n",
                            "ERROR : build_huffcode_table : calloc : new_huffcode_table\n"};
  for (int n = 0; n < total; ++n) {
    codec_reset_alloc_counters();
    codec_fail_nth_alloc(n);
    testing::internal::CaptureStderr();
    Table t = generate(c, c.size() / 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), messages[n]);
    EXPECT_EQ(t.ret, want[n]) << n;
    EXPECT_FALSE(t.codes);
    EXPECT_FALSE(t.bits);
    EXPECT_FALSE(t.values);
    EXPECT_EQ(codec_live_allocations(), 0) << n;
  }
  codec_reset_alloc_counters();
}

}  // namespace
}  // namespace ridgeview::codec
