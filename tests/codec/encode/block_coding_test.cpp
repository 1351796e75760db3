#include "codec/wsq/encode/block_coding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/wsq/encode/huffman_generation.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using Bytes = std::vector<unsigned char>;
using Coefficients = std::vector<std::int16_t>;

// A hand-made code table: symbol -> bit string.
std::vector<huffcode_entry> table_of(const std::vector<std::pair<int, std::string>>& codes) {
  std::vector<huffcode_entry> t(257);
  for (const auto& [symbol, bits] : codes) {
    t[symbol].huff_size = static_cast<std::int16_t>(bits.size());
    t[symbol].huff_code = static_cast<std::uint32_t>(std::stoul(bits, nullptr, 2));
  }
  return t;
}

// Packs a bit string into bytes, pads with 1-bits and stuffs 0x00 after each 0xFF.
Bytes pack(std::string bits) {
  while (bits.size() % 8 != 0) bits += '1';
  Bytes out;
  for (std::size_t i = 0; i < bits.size(); i += 8) {
    out.push_back(static_cast<unsigned char>(std::stoul(bits.substr(i, 8), nullptr, 2)));
    if (out.back() == 0xFF) out.push_back(0x00);
  }
  return out;
}

Bytes code(const Coefficients& c, const std::vector<huffcode_entry>& table,
           std::size_t capacity = 1024) {
  Bytes out(capacity + 4, 0xEE);
  std::size_t size = 12345;
  EXPECT_EQ(compress_block(out.data(), capacity, &size, c.data(), c.size(), 74, 100,
                           table.data()),
            0);
  out.resize(size);
  return out;
}

const std::vector<huffcode_entry> kTable = table_of({{3, "10"},
                                                     {185, "110"},
                                                     {101, "0"},
                                                     {104, "1110"},
                                                     {106, "11110"},
                                                     {105, "111110"},
                                                     {1, "1111110"},
                                                     {2, "11111110"}});

TEST(BlockCoding, RunThenCoefficient) {
  EXPECT_EQ(code({0, 0, 0, 5}, kTable), pack("10" "110"));
}

TEST(BlockCoding, EscapedCoefficientsCarryTheirMagnitude) {
  EXPECT_EQ(code({100}, kTable), pack("0" "01100100"));
  EXPECT_EQ(code({-300}, kTable), pack("1110" "0000000100101100"));
}

TEST(BlockCoding, LongRunsCarryTheirLength) {
  EXPECT_EQ(code(Coefficients(300, 0), kTable), pack("11110" "0000000100101100"));
  EXPECT_EQ(code(Coefficients(101, 0), kTable), pack("111110" "01100101"));
  // 65536 zeros: a run of 65535, then a run of 1.
  EXPECT_EQ(code(Coefficients(65536, 0), kTable),
            pack("11110" "1111111111111111" "1111110"));
}

TEST(BlockCoding, PaddingAndStuffing) {
  const auto t = table_of({{181, "101"}, {182, "1111111"}, {183, "11111111"}, {184, "0"}});
  EXPECT_EQ(code({1}, t), (Bytes{0xBF}));
  EXPECT_EQ(code({2}, t), (Bytes{0xFF, 0x00}));            // seven 1-bits padded to 0xFF
  EXPECT_EQ(code({3, 4, 4, 4, 4, 4, 4, 4, 4}, t), (Bytes{0xFF, 0x00, 0x00}));
  EXPECT_EQ(code({4, 4, 4, 4, 4, 4, 4, 4}, t), (Bytes{0x00}));  // byte boundary: no padding
  EXPECT_TRUE(code({}, t).empty());
}

TEST(BlockCoding, NeverWritesPastTheBuffer) {
  const auto t = table_of({{183, "11111111"}});
  Bytes out(8, 0xEE);
  std::size_t size = 77;
  testing::internal::CaptureStderr();
  // Two data bytes 0xFF each with its stuffed 0x00 need 4 bytes; only 3 are given.
  const Coefficients c = {3, 3};
  EXPECT_EQ(compress_block(out.data(), 3, &size, c.data(), c.size(), 74, 100, t.data()),
            WSQ_ENC_BLOCK_OVERFLOW);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  EXPECT_EQ(size, 77u);
  for (std::size_t i = 3; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << i;
  EXPECT_EQ(compress_block(out.data(), 4, &size, c.data(), c.size(), 74, 100, t.data()), 0);
  EXPECT_EQ(size, 4u);
}

// Reads what compress_block wrote, the way a decoder does: codes by the per-length limits,
// escape values, stuffed bytes dropped.
Coefficients decode(const Bytes& data, const std::uint8_t* huffbits,
                    const std::uint8_t* huffvalues, std::size_t count) {
  HuffcodeTable list;
  int n = 0;
  EXPECT_EQ(build_huffsizes(list, &n, huffbits, 256), 0);
  assign_huffcodes(list.get());
  huff_decode_limits lim;
  build_decode_limits(list.get(), lim, huffbits);
  std::size_t pos = 0;
  int bit = -1;
  auto next_bit = [&]() -> unsigned {
    if (bit < 0) {
      if (pos > 0 && data[pos - 1] == 0xFF) ++pos;  // stuffed zero
      bit = 7;
      ++pos;
    }
    return (data.at(pos - 1) >> bit--) & 1u;
  };
  auto bits = [&](int k) {
    unsigned v = 0;
    for (int i = 0; i < k; ++i) v = (v << 1) | next_bit();
    return v;
  };
  Coefficients out;
  while (out.size() < count) {
    int code = static_cast<int>(next_bit()), len = 1;
    while (code > lim.code_max[len]) {
      code = code * 2 + static_cast<int>(next_bit());
      ++len;
    }
    const int symbol = huffvalues[lim.value_start[len] + code - lim.code_min[len]];
    if (symbol <= 100) out.insert(out.end(), symbol, 0);
    else if (symbol == 101) out.push_back(static_cast<std::int16_t>(bits(8)));
    else if (symbol == 102) out.push_back(static_cast<std::int16_t>(-static_cast<int>(bits(8))));
    else if (symbol == 103) out.push_back(static_cast<std::int16_t>(bits(16)));
    else if (symbol == 104) out.push_back(static_cast<std::int16_t>(-static_cast<int>(bits(16))));
    else if (symbol == 105) out.insert(out.end(), bits(8), 0);
    else if (symbol == 106) out.insert(out.end(), bits(16), 0);
    else out.push_back(static_cast<std::int16_t>(symbol - 180));
  }
  return out;
}

TEST(BlockCoding, GeneratedTablesDecodeBack) {
  const std::int16_t kEscaped[4] = {-32768, 30000, 200, -100};
  std::mt19937 rng(11);
  std::geometric_distribution<int> magnitude(0.2);
  std::uniform_int_distribution<int> pick(0, 99);
  Coefficients c;
  while (c.size() < 60000) {
    const int r = pick(rng);
    if (r < 40) c.push_back(0);
    else if (r < 42) c.insert(c.end(), static_cast<std::size_t>(pick(rng) * 40), 0);
    else if (r < 44) c.push_back(kEscaped[pick(rng) % 4]);
    else c.push_back(static_cast<std::int16_t>((pick(rng) < 50 ? -1 : 1) * (1 + magnitude(rng))));
  }
  HuffcodeTable table;
  ByteArray huffbits, huffvalues;
  const std::size_t sizes[1] = {c.size()};
  ASSERT_EQ(generate_huffman_table(table, huffbits, huffvalues, c.data(), sizes, 1), 0);
  Bytes out(c.size() * 2);
  std::size_t size = 0;
  ASSERT_EQ(compress_block(out.data(), out.size(), &size, c.data(), c.size(), 74, 100,
                           table.get()),
            0);
  out.resize(size);
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i] == 0xFF) {
      EXPECT_EQ(out[i + 1], 0x00) << i;
    }
  }
  EXPECT_EQ(decode(out, huffbits.get(), huffvalues.get(), c.size()), c);

  // The symbols recorded while counting code to the same bytes; a list too short for the
  // block is incomplete and the block is walked instead, with the same result.
  for (std::size_t limit : {c.size(), std::size_t{100}}) {
    SymbolList symbols(limit);
    HuffcodeTable again;
    ByteArray bits2, values2;
    ASSERT_EQ(generate_huffman_table(again, bits2, values2, c.data(), sizes, 1, &symbols), 0);
    EXPECT_EQ(symbols.complete(), limit == c.size());
    Bytes listed(c.size() * 2);
    std::size_t listed_size = 0;
    ASSERT_EQ(compress_block(listed.data(), listed.size(), &listed_size, c.data(), c.size(), 74,
                             100, again.get(), &symbols),
              0);
    listed.resize(listed_size);
    EXPECT_EQ(listed, out) << limit;
  }
}

}  // namespace
}  // namespace ridgeview::codec
