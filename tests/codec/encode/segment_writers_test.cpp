#include "codec/wsq/encode/segment_writers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/wsq/encode/wavelet_analysis.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using Bytes = std::vector<unsigned char>;

struct Buffer {
  Bytes storage;
  wsq_output out;
  explicit Buffer(std::size_t capacity) : storage(capacity, 0xEE) {
    out.data = storage.data();
    out.alloc = capacity;
  }
  Bytes written() const {
    return Bytes(storage.begin(), storage.begin() + static_cast<std::ptrdiff_t>(out.pos));
  }
};

TEST(SegmentWriters, TransformTableOfTheFixedFilters) {
  Buffer b(100);
  ASSERT_EQ(putc_transform_table(wsq_lofilt, 9, wsq_hifilt, 7, b.out), 0);
  const Bytes want = {
      0xFF, 0xA4, 0x00, 0x3A, 0x09, 0x07,                                      //
      0x00, 0x09, 0x32, 0xD3, 0x25, 0xCD, 0x00, 0x0A, 0xE0, 0xF3, 0x19, 0x9A,  //
      0x01, 0x0A, 0x41, 0xEF, 0xF1, 0x9A, 0x01, 0x0B, 0x8E, 0x27, 0x64, 0xCD,  //
      0x00, 0x0B, 0xE1, 0x79, 0xA3, 0x33,                                      //
      0x00, 0x09, 0x2E, 0xFF, 0x56, 0x00, 0x01, 0x0A, 0xF9, 0x33, 0xD3, 0x33,  //
      0x01, 0x0B, 0xF2, 0x87, 0x21, 0x9A, 0x00, 0x0A, 0x26, 0x77, 0xDA, 0x33};
  EXPECT_EQ(b.written(), want);
  // The centre tap 0.8526987 comes out as 852698573 x 10^-9.
  scaled_u32 centre;
  ASSERT_TRUE(scale_filter_coefficient(wsq_lofilt[4], &centre));
  EXPECT_EQ(centre.scale, 9);
  EXPECT_EQ(centre.value, 852698573u);
}

TEST(SegmentWriters, TransformTableRejectsHugeCoefficients) {
  float lo[9] = {0, 0, 0, 0, 1, 0, 0, 0, 5e9f};
  Buffer b(100);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_transform_table(lo, 9, wsq_hifilt, 7, b.out), WSQ_ENC_LOFILT_TOO_HIGH);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: putc_transform_table : lofilt[8] to high at 5000000000.000000\n");
  float hi[7] = {0, 0, 0, 1, 0, 0, -4294967296.0f};
  Buffer c(100);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_transform_table(wsq_lofilt, 9, hi, 7, c.out), WSQ_ENC_HIFILT_TOO_HIGH);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: putc_transform_table : hifilt[6] to high at -4294967296.000000\n");
  scaled_u32 zero;
  ASSERT_TRUE(scale_filter_coefficient(-0.0f, &zero));
  EXPECT_EQ(zero.sign, 0);
  EXPECT_EQ(zero.value, 0u);
}

TEST(SegmentWriters, ScaledNumbersOfTheFrameHeader) {
  struct Case {
    float v;
    int scale, value;
  } cases[] = {{127.5f, 2, 12750}, {0.99609375f, 4, 9961}, {1.0f, 4, 10000}, {0.0f, 0, 0},
               {-3.0f, 0, 0},      {1.494140625f, 4, 14941}};
  for (const Case& c : cases) {
    const scaled_u16 s = scale_frame_value(c.v);
    EXPECT_EQ(s.scale, c.scale) << c.v;
    EXPECT_EQ(s.value, c.value) << c.v;
  }
}

TEST(SegmentWriters, ScaledNumbersOfTheQuantizationTable) {
  struct Case {
    float v;
    int scale, value;
  } cases[] = {{1.0f, 4, 10000}, {0.5f, 5, 50000}, {12.345f, 3, 12345}, {6553.5f, 0, 6554}};
  for (const Case& c : cases) {
    scaled_u16 s;
    ASSERT_TRUE(scale_quantizer_width(c.v, &s)) << c.v;
    EXPECT_EQ(s.scale, c.scale) << c.v;
    EXPECT_EQ(s.value, c.value) << c.v;
  }
  scaled_u16 s;
  EXPECT_FALSE(scale_quantizer_width(65535.0f, &s));
  EXPECT_FALSE(scale_quantizer_width(-1.0f, &s));
}

TEST(SegmentWriters, NearestHalfAwayFromZero) {
  EXPECT_EQ(to_nearest_half_away(2.5), 3.0);
  EXPECT_EQ(to_nearest_half_away(-2.5), -3.0);
  EXPECT_EQ(to_nearest_half_away(2.49999), 2.0);
  EXPECT_EQ(to_nearest_half_away(-0.2), -0.0);
}

TEST(SegmentWriters, QuantizationTable) {
  quant_params p;
  p.q[0] = 1.0f;
  p.z[0] = 1.2f;
  p.q[59] = 0.5f;
  p.z[59] = 0.6f;
  p.q[60] = 7.0f;  // entries 60..63 are never written
  p.z[60] = 8.0f;
  Buffer b(400);
  ASSERT_EQ(putc_quantization_table(p, b.out), 0);
  const Bytes w = b.written();
  ASSERT_EQ(w.size(), 391u);
  EXPECT_EQ(Bytes(w.begin(), w.begin() + 7), (Bytes{0xFF, 0xA5, 0x01, 0x85, 0x02, 0x00, 44}));
  // Subband 0: q 1.0 -> (4, 10000); z 1.2 -> (4, 12000).
  EXPECT_EQ(Bytes(w.begin() + 7, w.begin() + 13), (Bytes{4, 0x27, 0x10, 4, 0x2E, 0xE0}));
  EXPECT_EQ(Bytes(w.begin() + 7 + 6 * 59, w.begin() + 7 + 6 * 60),
            (Bytes{5, 0xC3, 0x50, 5, 0xEA, 0x60}));
  for (std::size_t i = 7 + 6; i < 7 + 6 * 59; ++i) EXPECT_EQ(w[i], 0) << i;
  for (std::size_t i = 7 + 6 * 60; i < w.size(); ++i) EXPECT_EQ(w[i], 0) << i;

  p.q[3] = 70000.0f;
  Buffer c(400);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_quantization_table(p, c.out), WSQ_ENC_Q_TOO_HIGH);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_quantization_table : Q[3] to high at 70000.000000\n");
  p.q[3] = 60000.0f;
  p.z[3] = 72000.0f;
  Buffer d(400);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_quantization_table(p, d.out), WSQ_ENC_Z_TOO_HIGH);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_quantization_table : Z[3] to high at 72000.000000\n");
}

TEST(SegmentWriters, HuffmanFrameBlockAndCommentSegments) {
  const std::uint8_t no_bits[32] = {};
  const std::uint8_t no_values[257] = {};
  Buffer b(200);
  ASSERT_EQ(putc_dht_segment(0xFFA6, 1, no_bits, no_values, b.out), 0);
  Bytes want = {0xFF, 0xA6, 0x00, 0x13, 0x01};
  want.resize(21, 0);
  EXPECT_EQ(b.written(), want);

  std::uint8_t bits[32] = {0, 2, 1};
  const std::uint8_t values[257] = {180, 3, 101};
  Buffer d(200);
  ASSERT_EQ(putc_dht_segment(0xFFA6, 0, bits, values, d.out), 0);
  const Bytes dht = d.written();
  ASSERT_EQ(dht.size(), 24u);
  EXPECT_EQ(dht[3], 22);
  EXPECT_EQ(Bytes(dht.end() - 3, dht.end()), (Bytes{180, 3, 101}));

  Buffer f(100);
  ASSERT_EQ(putc_sof_header(419, 331, 127.5f, 1.0f, f.out), 0);
  EXPECT_EQ(f.written(), (Bytes{0xFF, 0xA2, 0x00, 0x11, 0x00, 0xFF, 0x01, 0x4B, 0x01, 0xA3,
                                2, 0x31, 0xCE, 4, 0x27, 0x10, 2, 0x00, 0x00}));

  Buffer s(10);
  ASSERT_EQ(putc_sob_header(1, s.out), 0);
  EXPECT_EQ(s.written(), (Bytes{0xFF, 0xA3, 0x00, 0x03, 0x01}));

  Buffer c(20);
  ASSERT_EQ(putc_com_segment(0xFFA8, "hi", 2, c.out), 0);
  ASSERT_EQ(putc_com_segment(0xFFA8, "", 0, c.out), 0);
  EXPECT_EQ(c.written(), (Bytes{0xFF, 0xA8, 0x00, 0x04, 'h', 'i', 0xFF, 0xA8, 0x00, 0x02}));
}

TEST(SegmentWriters, BoundsAreCheckedBeforeEachWrite) {
  Buffer b(3);
  b.out.pos = 2;
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_u16(0x1234, b.out), WSQ_ENC_BYTES_OVERFLOW);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_bytes : buffer overlow : alloc = 3, request = 4\n");
  EXPECT_EQ(b.out.pos, 2u);
  EXPECT_EQ(b.storage[2], 0xEE);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_u32(1, b.out), WSQ_ENC_BYTES_OVERFLOW);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_bytes : buffer overlow : alloc = 3, request = 6\n");
  ASSERT_EQ(putc_byte(7, b.out), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_byte(8, b.out), WSQ_ENC_BYTE_OVERFLOW);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_byte : buffer overlow : alloc = 3, request = 3\n");
  EXPECT_EQ(putc_bytes(nullptr, 0, b.out), 0);

  // A segment writer stops at its first failing write and keeps what it wrote.
  Buffer s(4);
  testing::internal::CaptureStderr();
  EXPECT_EQ(putc_sob_header(1, s.out), WSQ_ENC_BYTE_OVERFLOW);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(s.written(), (Bytes{0xFF, 0xA3, 0x00, 0x03}));
}

}  // namespace
}  // namespace ridgeview::codec
