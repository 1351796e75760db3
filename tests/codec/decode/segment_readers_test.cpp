#include "codec/wsq/segment_readers.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/decode/wsq_builder.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using wsq_test::Bytes;

struct Read {
  int ret;
  std::string err;
};

// Reads the segment whose marker starts `bytes` into `tables`.
Read read_table(const Bytes& bytes, decoder_tables& tables) {
  ByteCursor c = bytes.data() + 2;
  const std::uint16_t marker = static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
  testing::internal::CaptureStderr();
  const int ret = getc_table_wsq(marker, tables.dtt, tables.dqt, tables.dht, c,
                                 bytes.data() + bytes.size());
  return {ret, testing::internal::GetCapturedStderr()};
}

TEST(SegmentReaders, HuffmanTableCountsAndSlots) {
  decoder_tables t;
  // L = 2: no table bytes.
  Read empty = read_table(wsq_test::segment(0xFFA6, {}), t);
  EXPECT_EQ(empty.ret, WSQ_NO_HUFFMAN_BYTES);
  EXPECT_EQ(empty.err, "ERROR : getc_huffman_table : no huffman table bytes remaining\n");

  // Counts adding up to 257 are accepted, 258 are not.
  Bytes symbols(257, 7);
  std::vector<int> counts(16, 0);
  counts[15] = 255;
  counts[14] = 2;
  EXPECT_EQ(read_table(wsq_test::dht(3, counts, symbols), t).ret, 0);
  EXPECT_TRUE(t.dht.table[3].defined);
  counts[14] = 3;
  symbols.push_back(7);
  Read big = read_table(wsq_test::dht(4, counts, symbols), t);
  EXPECT_EQ(big.ret, WSQ_TOO_MANY_HUFFVALUES);
  EXPECT_EQ(big.err, "ERROR : getc_huffman_table : num_hufvals (258) is largerthan "
                     "MAX_HUFFCOUNTS (257)\n");

  // Two tables in one segment define both slots; the same slot twice fails without a message.
  decoder_tables two;
  Bytes payload = wsq_test::dht_table(0, {1}, {5});
  wsq_test::append(payload, wsq_test::dht_table(1, {0, 1}, {6}));
  EXPECT_EQ(read_table(wsq_test::segment(0xFFA6, payload), two).ret, 0);
  EXPECT_TRUE(two.dht.table[0].defined);
  EXPECT_EQ(two.dht.table[1].huffvalues[0], 6);
  Bytes twice = wsq_test::dht_table(2, {1}, {5});
  wsq_test::append(twice, wsq_test::dht_table(2, {1}, {9}));
  Read dup = read_table(wsq_test::segment(0xFFA6, twice), two);
  EXPECT_EQ(dup.ret, WSQ_HUFFMAN_SLOT_TAKEN);
  EXPECT_EQ(dup.err, "");
  // A new segment may redefine a slot.
  EXPECT_EQ(read_table(wsq_test::dht(0, {1}, {42}), two).ret, 0);
  EXPECT_EQ(two.dht.table[0].huffvalues[0], 42);

  // Ids are bytes, but only slots 0..7 exist.
  Read bad_id = read_table(wsq_test::dht(8, {1}, {5}), two);
  EXPECT_EQ(bad_id.ret, WSQ_HUFFMAN_ID_RANGE);
  EXPECT_EQ(bad_id.err, "ERROR : getc_dht_segment : table id 8 out of range 0..7\n");
}

TEST(SegmentReaders, TransformTableBuildsSymmetricFilters) {
  decoder_tables t;
  ASSERT_EQ(read_table(wsq_test::standard_dtt(), t).ret, 0);
  ASSERT_EQ(t.dtt.hisize, 9);
  ASSERT_EQ(t.dtt.losize, 7);
  const float* hi = t.dtt.hifilt.get();
  const float* lo = t.dtt.lofilt.get();
  // hifilt = (a4, -a3, a2, -a1, a0, -a1, a2, -a3, a4) from the encoder's lowpass half.
  EXPECT_FLOAT_EQ(hi[4], 0.852698573f);
  EXPECT_FLOAT_EQ(hi[3], -0.377402845f);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(hi[i], hi[8 - i]);
  // lofilt = (-b3, b2, -b1, b0, -b1, b2, -b3) from the encoder's highpass half.
  EXPECT_FLOAT_EQ(lo[3], 0.788485616f);
  EXPECT_FLOAT_EQ(lo[2], 0.418092273f);
  EXPECT_FLOAT_EQ(lo[0], -0.064538883f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lo[i], lo[6 - i]);
  EXPECT_TRUE(t.dtt.lo_defined && t.dtt.hi_defined);

  // A filter of length 0 has nothing to rebuild with.
  Read empty = read_table(wsq_test::segment(0xFFA4, {0, 7}), t);
  EXPECT_EQ(empty.ret, WSQ_EMPTY_FILTER);
  EXPECT_FALSE(t.dtt.lofilt);
}

TEST(SegmentReaders, TransformTableEvenLengths) {
  // hisize 4, losize 2: records a0, a1 and b0 (all positive).
  Bytes p = {4, 2};
  for (unsigned v : {10u, 20u, 30u}) {
    wsq_test::append(p, {0, 1, 0, 0, 0, static_cast<std::uint8_t>(v)});
  }
  decoder_tables t;
  ASSERT_EQ(read_table(wsq_test::segment(0xFFA4, p), t).ret, 0);
  const float* hi = t.dtt.hifilt.get();
  EXPECT_FLOAT_EQ(hi[2], 1.0f);
  EXPECT_FLOAT_EQ(hi[1], -1.0f);
  EXPECT_FLOAT_EQ(hi[3], -2.0f);
  EXPECT_FLOAT_EQ(hi[0], 2.0f);
  EXPECT_FLOAT_EQ(t.dtt.lofilt[1], -3.0f);
  EXPECT_FLOAT_EQ(t.dtt.lofilt[0], -3.0f);
}

TEST(SegmentReaders, FailedReadsLeaveTheTablesAsTheyWere) {
  decoder_tables t;
  ASSERT_EQ(read_table(wsq_test::dqt({0, 1}, 20), t).ret, 0);
  ASSERT_EQ(read_table(wsq_test::dht(0, {1}, {42}), t).ret, 0);
  const quantization_table dqt_before = t.dqt;

  // A DQT segment cut after 40 of its 64 subbands: the table read before stays whole.
  Bytes cut = wsq_test::dqt({0, 1, 2, 3, 4, 5}, 70);
  cut.resize(4 + 3 + 40 * 6);
  const Read dqt = read_table(cut, t);
  EXPECT_EQ(dqt.ret, WSQ_END_OF_BUFFER_BYTE);
  EXPECT_EQ(t.dqt.center, dqt_before.center);
  for (int k = 0; k < Q_TREELEN; ++k) {
    EXPECT_EQ(t.dqt.q[k], dqt_before.q[k]) << k;
    EXPECT_EQ(t.dqt.z[k], dqt_before.z[k]) << k;
  }
  EXPECT_TRUE(t.dqt.defined);

  // A DHT segment whose second table fails: the first one is not stored either.
  Bytes payload = wsq_test::dht_table(0, {1}, {7});
  wsq_test::append(payload, wsq_test::dht_table(1, {2}, {8}));
  wsq_test::Bytes dht = wsq_test::segment(0xFFA6, payload);
  dht.pop_back();
  EXPECT_EQ(read_table(dht, t).ret, WSQ_END_OF_BUFFER_BYTE);
  EXPECT_EQ(t.dht.table[0].huffvalues[0], 42);
  EXPECT_FALSE(t.dht.table[1].defined);

  // One Huffman table cut short leaves the caller's count of bytes as it was.
  const Bytes table = wsq_test::dht_table(3, {2}, {1, 2});
  ByteCursor c = table.data();
  int bytes_left = 10;
  std::uint8_t id = 99;
  CodecPtr<std::uint8_t[]> bits, values;
  testing::internal::CaptureStderr();
  EXPECT_EQ(getc_huffman_table(&id, bits, values, MAX_HUFFCOUNTS_WSQ, c,
                               table.data() + table.size() - 1, false, &bytes_left),
            WSQ_END_OF_BUFFER_BYTE);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(bytes_left, 10);
  EXPECT_EQ(id, 99);
  EXPECT_FALSE(bits);
}

TEST(SegmentReaders, ScaledNumbersFrameHeaderAndComments) {
  const Bytes scaled = {2, 0, 44, 0, 0x01, 0x00};
  ByteCursor c = scaled.data();
  float v = 0;
  ASSERT_EQ(getc_scaled_u16(&v, c, scaled.data() + 6), 0);
  EXPECT_EQ(v, static_cast<float>(static_cast<double>(static_cast<float>(
                   static_cast<double>(44.0f) * 0.1)) * 0.1));
  ASSERT_EQ(getc_scaled_u16(&v, c, scaled.data() + 6), 0);
  EXPECT_EQ(v, 256.0f);

  Bytes sof = wsq_test::sof(500, 400);
  frame_header f;
  c = sof.data() + 2;
  ASSERT_EQ(getc_sof_header(f, c, sof.data() + sof.size()), 0);
  EXPECT_EQ(f.height, 400);  // height comes first in the segment
  EXPECT_EQ(f.width, 500);
  EXPECT_EQ(f.m_shift, 128.0f);
  EXPECT_EQ(f.wsq_encoder, 2);

  Bytes com = wsq_test::comment("hello");
  CodecPtr<char[]> text;
  c = com.data() + 2;
  ASSERT_EQ(getc_comment(text, c, com.data() + com.size()), 0);
  EXPECT_STREQ(text.get(), "hello");

  // A length below 2 cannot hold a text.
  const Bytes short_com = {0x00, 0x01, 'x'};
  c = short_com.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(getc_comment(text, c, short_com.data() + 3), WSQ_COMMENT_LENGTH);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : getc_comment : invalid segment length 1\n");

  decoder_tables t;
  Read bad = read_table({0xFF, 0xA2, 0, 2}, t);
  EXPECT_EQ(bad.ret, WSQ_INVALID_TABLE);
  EXPECT_EQ(bad.err, "ERROR: getc_table_wsq : Invalid table defined -> {65442}\n");
}

}  // namespace
}  // namespace ridgeview::codec
