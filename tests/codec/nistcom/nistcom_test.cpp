#include "codec/nistcom/nistcom.h"
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ridgeview::codec {
namespace {

constexpr const char* kNineLines500x400 =
    "NIST_COM 9\nPIX_WIDTH 500\nPIX_HEIGHT 400\nPIX_DEPTH 8\nPPI 500\nLOSSY 1\n"
    "COLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000";

struct Written {
  int ret = 0;
  std::vector<unsigned char> bytes;
};

Written write_comment(const char* comment, int width = 500, int height = 400, int ppi = 500,
                      std::size_t capacity = 1 << 18) {
  std::vector<unsigned char> buf(capacity);
  wsq_output out{buf.data(), buf.size(), 0};
  Written w;
  w.ret = putc_nistcom_comment(comment, width, height, 8, ppi, 1, 0.75f, out);
  w.bytes.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(out.pos));
  return w;
}

// The comment segments of a byte string: their texts, in order.
std::vector<std::string> comment_texts(const std::vector<unsigned char>& b) {
  std::vector<std::string> texts;
  std::size_t p = 0;
  while (p + 4 <= b.size() && b[p] == 0xFF && b[p + 1] == 0xA8) {
    const std::size_t len = static_cast<std::size_t>(b[p + 2]) * 256 + b[p + 3];
    EXPECT_GE(len, 2u);
    EXPECT_LE(p + 2 + len, b.size());
    texts.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(p + 4),
                       b.begin() + static_cast<std::ptrdiff_t>(p + 2 + len));
    p += 2 + len;
  }
  EXPECT_EQ(p, b.size());
  return texts;
}

TEST(NistcomComment, WithoutCallerTextOneSegmentOfNineEntries) {
  Written w = write_comment(nullptr);
  ASSERT_EQ(w.ret, 0);
  EXPECT_EQ(comment_texts(w.bytes), std::vector<std::string>{kNineLines500x400});
  const std::string text = kNineLines500x400;
  ASSERT_GE(w.bytes.size(), 4u);
  EXPECT_EQ(w.bytes[2] * 256 + w.bytes[3], static_cast<int>(text.size()) + 2);
}

TEST(NistcomComment, EmptyTextAddsAnEmptySegment) {
  Written w = write_comment("");
  ASSERT_EQ(w.ret, 0);
  ASSERT_GE(w.bytes.size(), 4u);
  const std::vector<unsigned char> tail(w.bytes.end() - 4, w.bytes.end());
  EXPECT_EQ(tail, (std::vector<unsigned char>{0xFF, 0xA8, 0x00, 0x02}));
  EXPECT_EQ(comment_texts(w.bytes), (std::vector<std::string>{kNineLines500x400, ""}));
}

TEST(NistcomComment, PlainTextIsWrittenUnchanged) {
  const char* plain = "scanned at desk 4\nNIST_COM 1";
  Written w = write_comment(plain);
  ASSERT_EQ(w.ret, 0);
  EXPECT_EQ(comment_texts(w.bytes), (std::vector<std::string>{kNineLines500x400, plain}));
}

TEST(NistcomComment, NistcomTextIsMerged) {
  Written w = write_comment("NIST_COM 2\nSOURCE scanner");
  ASSERT_EQ(w.ret, 0);
  EXPECT_EQ(comment_texts(w.bytes),
            std::vector<std::string>{
                "NIST_COM 10\nSOURCE scanner\nPIX_WIDTH 500\nPIX_HEIGHT 400\nPIX_DEPTH 8\n"
                "PPI 500\nLOSSY 1\nCOLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000"});

  Written kept = write_comment("NIST_COM 3\nPIX_WIDTH 17\nSOURCE x", 640, 480, -1);
  ASSERT_EQ(kept.ret, 0);
  EXPECT_EQ(comment_texts(kept.bytes),
            std::vector<std::string>{
                "NIST_COM 10\nPIX_WIDTH 640\nSOURCE x\nPIX_HEIGHT 480\nPIX_DEPTH 8\n"
                "PPI -1\nLOSSY 1\nCOLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000"});
}

TEST(NistcomComment, TooLongTextsAreRejected) {
  const std::string fits(65533, 'a');
  Written ok = write_comment(fits.c_str());
  EXPECT_EQ(ok.ret, 0);
  const std::string too_long(65534, 'a');
  testing::internal::CaptureStderr();
  Written bad = write_comment(too_long.c_str());
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(bad.ret, WSQ_ENC_COMMENT_TOO_LONG);
  EXPECT_EQ(message.rfind("ERROR : putc_com_segment : ", 0), 0u) << message;
  // A NIST_COM text whose merged list grows beyond the limit fails the same way.
  std::string merged = "NIST_COM 1";
  for (int i = 0; i < 200; ++i) merged += "\nK" + std::to_string(i) + " " + std::string(400, 'b');
  testing::internal::CaptureStderr();
  EXPECT_EQ(write_comment(merged.c_str()).ret, WSQ_ENC_COMMENT_TOO_LONG);
  testing::internal::GetCapturedStderr();
}

TEST(NistcomComment, FullBufferFailsWithTheWriterCode) {
  testing::internal::CaptureStderr();
  Written w = write_comment(nullptr, 500, 400, 500, 1);
  EXPECT_EQ(w.ret, WSQ_ENC_BYTES_OVERFLOW);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_bytes : buffer overlow : alloc = 1, request = 2\n");
  testing::internal::CaptureStderr();
  w = write_comment(nullptr, 500, 400, 500, 10);
  EXPECT_EQ(w.ret, WSQ_ENC_BYTE_OVERFLOW);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR : putc_byte : buffer overlow : alloc = 10, request = 10\n");
}

TEST(NistcomComment, EveryAllocationFailureIsReportedAndLeaksNothing) {
  for (const char* comment : {static_cast<const char*>(nullptr), "", "NIST_COM 2\nSOURCE s"}) {
    codec_reset_alloc_counters();
    ASSERT_EQ(write_comment(comment).ret, 0);
    const auto total = static_cast<std::int64_t>(codec_alloc_calls());
    ASSERT_GT(total, 5);
    for (std::int64_t n = 0; n < total; ++n) {
      codec_reset_alloc_counters();
      codec_fail_nth_alloc(n);
      testing::internal::CaptureStderr();
      Written w = write_comment(comment);
      const std::string message = testing::internal::GetCapturedStderr();
      EXPECT_LT(w.ret, 0) << n;
      EXPECT_EQ(message.rfind("ERROR : ", 0), 0u) << message;
      EXPECT_TRUE(w.bytes.empty()) << "nothing is written before the text exists";
      EXPECT_EQ(codec_live_allocations(), 0) << n;
    }
  }
  codec_reset_alloc_counters();
}

}  // namespace
}  // namespace ridgeview::codec
