#include "codec/wsq/byte_stream.h"
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ridgeview::codec {
namespace {

struct MarkerResult {
  int ret;
  std::uint16_t marker;
  std::string err;
  std::ptrdiff_t advanced;
};

MarkerResult read_marker(std::vector<std::uint8_t> bytes, MarkerMode mode) {
  ByteCursor cursor = bytes.data();
  std::uint16_t marker = 0;
  testing::internal::CaptureStderr();
  const int ret = getc_marker_wsq(&marker, mode, cursor, bytes.data() + bytes.size());
  return {ret, marker, testing::internal::GetCapturedStderr(), cursor - bytes.data()};
}

TEST(ByteStream, ReadsBigEndianAndStopsAtTheEnd) {
  const std::vector<std::uint8_t> b = {0x12, 0x34, 0x56, 0x78, 0x9A};
  ByteCursor c = b.data();
  const ByteCursor end = b.data() + b.size();
  std::uint32_t v32 = 0;
  std::uint8_t v8 = 0;
  std::uint16_t v16 = 7;
  ASSERT_EQ(getc_u32(&v32, c, end), 0);
  EXPECT_EQ(v32, 0x12345678u);
  testing::internal::CaptureStderr();
  EXPECT_EQ(getc_u16(&v16, c, end), WSQ_END_OF_BUFFER);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : getc_bytes : premature End Of Buffer\n");
  EXPECT_EQ(v16, 7);  // untouched on failure
  ASSERT_EQ(getc_byte(&v8, c, end), 0);
  EXPECT_EQ(v8, 0x9A);
  testing::internal::CaptureStderr();
  EXPECT_EQ(getc_byte(&v8, c, end), WSQ_END_OF_BUFFER_BYTE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : getc_byte : premature End Of Buffer\n");
  EXPECT_EQ(c, end);
}

TEST(ByteStream, MarkerModes) {
  // One byte is too short for a marker: the 16-bit read fails.
  EXPECT_EQ(read_marker({0xFF}, MarkerMode::SOI).ret, WSQ_END_OF_BUFFER);

  auto any = read_marker({0x12, 0xA0}, MarkerMode::ANY);
  EXPECT_EQ(any.ret, WSQ_NO_MARKER);
  EXPECT_EQ(any.err, "ERROR : getc_marker_wsq : no marker found {12A0}\n");
  EXPECT_EQ(any.advanced, 2);  // moved past the two bytes even though the check failed
  EXPECT_EQ(read_marker({0xFF, 0xA9}, MarkerMode::ANY).ret, WSQ_INVALID_MARKER);
  EXPECT_EQ(read_marker({0xFF, 0x00}, MarkerMode::ANY).err,
            "ERROR : getc_marker_wsq : {FF00} not a valid marker\n");
  EXPECT_EQ(read_marker({0xFF, 0xA7}, MarkerMode::ANY).ret, 0);

  auto sof = read_marker({0xFF, 0xA3}, MarkerMode::TABLES_OR_SOF);
  EXPECT_EQ(sof.ret, WSQ_NO_SOF_OR_TABLE);
  EXPECT_EQ(sof.err, "ERROR : getc_marker_wsq : No SOF, Table, or comment markers.\n");
  auto sob = read_marker({0xFF, 0xA2}, MarkerMode::TABLES_OR_SOB);
  EXPECT_EQ(sob.ret, WSQ_NO_SOB_OR_TABLE);
  EXPECT_EQ(sob.err, "ERROR : getc_marker_wsq : No SOB, Table, or comment markers.{FFA2}\n");
  auto soi = read_marker({0xFF, 0xA1}, MarkerMode::SOI);
  EXPECT_EQ(soi.ret, WSQ_NO_SOI);
  EXPECT_EQ(soi.err, "ERROR : getc_marker_wsq : No SOI marker. {FFA1}\n");
  for (std::uint8_t m : {0xA4, 0xA5, 0xA6, 0xA8}) {
    EXPECT_EQ(read_marker({0xFF, m}, MarkerMode::TABLES_OR_SOF).ret, 0);
    EXPECT_EQ(read_marker({0xFF, m}, MarkerMode::TABLES_OR_SOB).marker, 0xFF00 | m);
  }
}

TEST(ByteStream, SkipMarkerSegment) {
  {
    const std::vector<std::uint8_t> b = {0x00, 0x02, 0xAA};
    ByteCursor c = b.data();
    EXPECT_EQ(getc_skip_marker_segment(0xFFA8, c, b.data() + b.size()), 0);
    EXPECT_EQ(c - b.data(), 2);  // length 2: nothing after the length field
  }
  {
    // The segment's last byte is the buffer's last byte: rejected.
    const std::vector<std::uint8_t> b = {0x00, 0x04, 0xAA, 0xBB};
    ByteCursor c = b.data();
    testing::internal::CaptureStderr();
    EXPECT_EQ(getc_skip_marker_segment(0xFFA8, c, b.data() + b.size()), WSQ_SEGMENT_PAST_END);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR : getc_skip_marker_segment : unexpected end of buffer when parsing "
              "marker 65448 segment of length 2\n");
  }
  {
    // Length 0 wraps to 65534 bytes to skip.
    std::vector<std::uint8_t> b(2 + 65534, 0);
    ByteCursor c = b.data();
    testing::internal::CaptureStderr();
    EXPECT_EQ(getc_skip_marker_segment(0xFFA8, c, b.data() + b.size()), WSQ_SEGMENT_PAST_END);
    testing::internal::GetCapturedStderr();
    b.push_back(0);
    c = b.data();
    EXPECT_EQ(getc_skip_marker_segment(0xFFA8, c, b.data() + b.size()), 0);
    EXPECT_EQ(c - b.data(), 2 + 65534);
  }
}

}  // namespace
}  // namespace ridgeview::codec
