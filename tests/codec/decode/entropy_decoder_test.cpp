#include "codec/wsq/decode/entropy_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/decode/wsq_builder.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using wsq_test::Bytes;

// A table of 8-bit codes: the i-th listed symbol has code i, so a coded symbol is one byte.
const Bytes kSymbols = {107, 180, 254, 105, 101, 102, 103, 104, 106, 1, 5, 100, 0, 255};

std::string code_of(int symbol) {
  for (std::size_t i = 0; i < kSymbols.size(); ++i) {
    if (kSymbols[i] == symbol) {
      std::string s;
      for (int b = 7; b >= 0; --b) s += ((i >> b) & 1) ? '1' : '0';
      return s;
    }
  }
  ADD_FAILURE() << "no code for symbol " << symbol;
  return "";
}

std::string byte_bits(unsigned v, int n) {
  std::string s;
  for (int b = n - 1; b >= 0; --b) s += ((v >> b) & 1) ? '1' : '0';
  return s;
}

struct Result {
  int ret;
  std::vector<std::int16_t> coefficients;
  std::string err;
};

// Decodes the blocks that follow a frame header of a 64 x 64 image. Only `coded` subbands
// carry data (64 x 64: subbands 0..3 are 2 x 2 each).
Result decode_blocks(const Bytes& blocks, const std::vector<int>& coded = {0, 1, 2, 3},
                     bool table_driven = true) {
  Bytes stream = wsq_test::dqt(coded);
  wsq_test::append(stream, wsq_test::dht(0, {0, 0, 0, 0, 0, 0, 0,
                                             static_cast<int>(kSymbols.size())},
                                         kSymbols));
  wsq_test::append(stream, blocks);
  decoder_tables tables;
  tables.frm.width = 64;
  tables.frm.height = 64;
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  build_wavelet_tree(w, 64, 64);
  build_quantization_tree(q, w);
  Result r;
  r.coefficients.assign(64 * 64 + 1, 0);
  ByteCursor c = stream.data();
  testing::internal::CaptureStderr();
  r.ret = huffman_decode_data_mem(r.coefficients.data(), r.coefficients.size(), tables, q, c,
                                  stream.data() + stream.size(), table_driven);
  r.err = testing::internal::GetCapturedStderr();
  return r;
}

Bytes block(int table, const std::string& bit_string) {
  Bytes b = wsq_test::sob(table);
  wsq_test::append(b, wsq_test::bits(bit_string));
  return b;
}

Bytes with_eoi(Bytes b) {
  wsq_test::append(b, wsq_test::eoi());
  return b;
}

TEST(EntropyDecoder, SymbolValuesAndEscapes) {
  // -73, 0, 74, +255 (an 8-bit 0xFF arrives stuffed), -200, +300, -1000, a run of 3 zeros
  // (symbol 105 with v = 3), symbol 105 with v = 0 (nothing), 2.
  const std::string s = code_of(107) + code_of(180) + code_of(254) + code_of(101) +
                        byte_bits(255, 8) + code_of(102) + byte_bits(200, 8) + code_of(103) +
                        byte_bits(300, 16) + code_of(104) + byte_bits(1000, 16) +
                        code_of(105) + byte_bits(3, 8) + code_of(105) + byte_bits(0, 8);
  Result r = decode_blocks(with_eoi(block(0, s)), {0, 1, 2, 3, 4, 5, 6});
  ASSERT_EQ(r.ret, 0) << r.err;
  const std::vector<std::int16_t> want = {-73, 0, 74, 255, -200, 300, -1000, 0, 0, 0};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(r.coefficients[i], want[i]) << i;
}

TEST(EntropyDecoder, ZeroRunsMoveTheNextValueByTheirLength) {
  // Every kind of run, each followed by a value: the value must land right behind the run,
  // on the table-driven path and on the bit-by-bit one.
  std::vector<int> all(60);
  for (int k = 0; k < 60; ++k) all[static_cast<std::size_t>(k)] = k;
  struct Case {
    std::string run;
    std::size_t length;
  };
  const Case cases[] = {{code_of(1), 1},
                        {code_of(5), 5},
                        {code_of(100), 100},
                        {code_of(105) + byte_bits(7, 8), 7},
                        {code_of(105) + byte_bits(255, 8), 255},
                        {code_of(106) + byte_bits(300, 16), 300},
                        {code_of(5) + code_of(105) + byte_bits(0, 8) + code_of(1), 6}};
  for (bool table_driven : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "run of " << c.length << ", table-driven "
                                      << table_driven);
      // 74 first, so a run is also checked to start behind what came before it.
      const std::string s = code_of(254) + c.run + code_of(107) + code_of(254);
      Result r = decode_blocks(with_eoi(block(0, s)), all, table_driven);
      ASSERT_EQ(r.ret, 0) << r.err;
      EXPECT_EQ(r.coefficients[0], 74);
      for (std::size_t i = 1; i <= c.length; ++i) ASSERT_EQ(r.coefficients[i], 0) << i;
      EXPECT_EQ(r.coefficients[c.length + 1], -73);
      EXPECT_EQ(r.coefficients[c.length + 2], 74);
      EXPECT_EQ(r.coefficients[c.length + 3], 0);
    }
  }
}

TEST(EntropyDecoder, SixteenBitEscapeKeepsLowBits) {
  const std::string s = code_of(103) + byte_bits(40000, 16) + code_of(104) + byte_bits(40000, 16);
  Result r = decode_blocks(with_eoi(block(0, s)));
  ASSERT_EQ(r.ret, 0) << r.err;
  EXPECT_EQ(r.coefficients[0], static_cast<std::int16_t>(40000 - 65536));
  EXPECT_EQ(r.coefficients[1], static_cast<std::int16_t>(65536 - 40000));
}

TEST(EntropyDecoder, MarkersEndBlocksOnlyAtCodeStarts) {
  // A marker inside an escape value: no stuffed zero.
  Bytes b = wsq_test::sob(0);
  wsq_test::append(b, wsq_test::bits(code_of(101)));
  wsq_test::append(b, wsq_test::eoi());
  Result r = decode_blocks(b);
  EXPECT_EQ(r.ret, WSQ_NO_STUFFED_ZERO);
  EXPECT_EQ(r.err, "ERROR: getc_nextbits_wsq : No stuffed zeros\n");

  // Two blocks sharing one table, then EOI: the marker ends each block.
  Bytes two = block(0, code_of(254));
  wsq_test::append(two, block(0, code_of(107)));
  r = decode_blocks(with_eoi(two));
  ASSERT_EQ(r.ret, 0) << r.err;
  EXPECT_EQ(r.coefficients[0], 74);
  EXPECT_EQ(r.coefficients[1], -73);

  // A comment between blocks is read and dropped; a comment after the third block's data may
  // be followed by EOI directly.
  Bytes three = block(0, code_of(254));
  wsq_test::append(three, wsq_test::comment("between"));
  wsq_test::append(three, block(0, code_of(254)));
  wsq_test::append(three, block(0, code_of(254)));
  wsq_test::append(three, wsq_test::comment("after"));
  wsq_test::append(three, wsq_test::comment("again"));
  r = decode_blocks(with_eoi(three));
  ASSERT_EQ(r.ret, 0) << r.err;
  EXPECT_EQ(r.coefficients[2], 74);

  // After the third block a marker that is not a marker at all fails in the marker scan.
  Bytes bad = block(0, code_of(254));
  wsq_test::append(bad, block(0, code_of(254)));
  wsq_test::append(bad, block(0, code_of(254)));
  wsq_test::append(bad, wsq_test::comment("x"));
  wsq_test::append(bad, {0xFF, 0xB0});
  r = decode_blocks(bad);
  EXPECT_EQ(r.ret, WSQ_INVALID_MARKER);

  // An undefined slot and one beyond the 8 slots.
  r = decode_blocks(with_eoi(block(5, code_of(254))));
  EXPECT_EQ(r.ret, WSQ_HUFFMAN_TABLE_UNDEFINED);
  EXPECT_EQ(r.err, "ERROR : huffman_decode_data_mem : huffman table {5} undefined.\n");
  r = decode_blocks(with_eoi(block(200, code_of(254))));
  EXPECT_EQ(r.ret, WSQ_HUFFMAN_TABLE_UNDEFINED);
}

TEST(EntropyDecoder, CountLimitChecks) {
  // Subband 0 only: the limit is its 2 x 2 area.
  const std::vector<int> one = {0};
  Result r = decode_blocks(with_eoi(block(0, code_of(5))), one);
  EXPECT_EQ(r.ret, WSQ_PAST_IMAGE_BUFFER);
  EXPECT_EQ(r.err, "ERROR : huffman_decode_data_mem [2]: Decoded data extends past image "
                   "buffer. Encoded data appears corrupt or non-standard.\n");
  r = decode_blocks(with_eoi(block(0, code_of(105) + byte_bits(5, 8))), one);
  EXPECT_NE(r.err.find("[3]"), std::string::npos);
  r = decode_blocks(with_eoi(block(0, code_of(106) + byte_bits(5, 16))), one);
  EXPECT_NE(r.err.find("[4]"), std::string::npos);

  // Four values reach the limit; one more single value is still taken (the count then
  // exceeds the limit) and the next symbol fails the check before anything is stored.
  std::string five;
  for (int i = 0; i < 5; ++i) five += code_of(254);
  r = decode_blocks(with_eoi(block(0, five)), one);
  EXPECT_EQ(r.ret, 0) << r.err;
  EXPECT_EQ(r.coefficients[4], 74);
  r = decode_blocks(with_eoi(block(0, five + code_of(254))), one);
  EXPECT_EQ(r.ret, WSQ_PAST_IMAGE_BUFFER);
  EXPECT_NE(r.err.find("[1]"), std::string::npos);

  // A run of exactly the limit is fine.
  r = decode_blocks(with_eoi(block(0, code_of(105) + byte_bits(4, 8))), one);
  EXPECT_EQ(r.ret, 0) << r.err;
}

TEST(EntropyDecoder, InvalidSymbolsAndUnmatchedCodes) {
  Result r = decode_blocks(with_eoi(block(0, code_of(0))));
  EXPECT_EQ(r.ret, WSQ_INVALID_SYMBOL);
  EXPECT_EQ(r.err, "ERROR: huffman_decode_data_mem : Invalid code 0 (0).\n");
  r = decode_blocks(with_eoi(block(0, code_of(255))));
  EXPECT_EQ(r.err, "ERROR: huffman_decode_data_mem : Invalid code 255 (ff).\n");

  // A table with a single 1-bit code: sixteen 1-bits match nothing.
  Bytes stream = wsq_test::dqt({0});
  wsq_test::append(stream, wsq_test::dht(1, {1}, {254}));
  wsq_test::append(stream, block(1, "1111111111111111"));
  wsq_test::append(stream, wsq_test::eoi());
  decoder_tables tables;
  tables.frm.width = 8;
  tables.frm.height = 8;
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  build_wavelet_tree(w, 8, 8);
  build_quantization_tree(q, w);
  std::vector<std::int16_t> out(65, 0);
  ByteCursor c = stream.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(huffman_decode_data_mem(out.data(), out.size(), tables, q, c,
                                    stream.data() + stream.size()),
            WSQ_NO_CODE_MATCHES);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : decode_huff_symbol : no code of 16 bits or fewer matches\n");
}

TEST(EntropyDecoder, AllOnesWarningDoesNotStopTheBlock) {
  // Two 1-bit codes: the second is all ones. The decoder warns and goes on (the padding
  // 1-bits decode as seven more values).
  std::vector<int> all(60);
  for (int k = 0; k < 60; ++k) all[k] = k;
  Bytes stream = wsq_test::dqt(all);
  wsq_test::append(stream, wsq_test::dht(2, {2}, {254, 107}));
  wsq_test::append(stream, block(2, "0"));
  wsq_test::append(stream, wsq_test::eoi());
  decoder_tables tables;
  tables.frm.width = 8;
  tables.frm.height = 8;
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  build_wavelet_tree(w, 8, 8);
  build_quantization_tree(q, w);
  std::vector<std::int16_t> out(65, 0);
  ByteCursor c = stream.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(huffman_decode_data_mem(out.data(), out.size(), tables, q, c,
                                    stream.data() + stream.size()),
            0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "         hufftable_id = 2\n");
  EXPECT_EQ(out[0], 74);
  EXPECT_EQ(out[1], -73);
}

}  // namespace
}  // namespace ridgeview::codec
