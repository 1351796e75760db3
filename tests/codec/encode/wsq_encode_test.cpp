#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "codec/wsq/wsq.h"
#include "codec/test_files.h"
#include "codec/codec_test_support.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using Bytes = std::vector<unsigned char>;

struct Encoded {
  int ret = 0;
  Bytes bytes;
  std::string message;
};

Encoded encode(const Bytes& pixels, int w, int h, const char* comment = "", float r = 0.75f,
               int ppi = 500) {
  Encoded e;
  CodecBytes data;
  std::size_t length = 0;
  testing::internal::CaptureStderr();
  e.ret = wsq_encode_1(data, &length, r, pixels.data(), w, h, 8, ppi, comment);
  e.message = testing::internal::GetCapturedStderr();
  if (e.ret == 0) e.bytes.assign(data.get(), data.get() + length);
  return e;
}

// A ridge-like test pattern with some noise; deterministic integer arithmetic.
Bytes ridges(int w, int h, unsigned seed = 1) {
  Bytes p(static_cast<std::size_t>(w) * h);
  unsigned s = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int ring = ((x - w / 2) * (x - w / 2) + 2 * (y - h / 3) * (y - h / 3)) / 40;
      const int v = (ring % 12 < 6 ? 60 : 190) + static_cast<int>((s >> 16) % 41) - 20;
      p[static_cast<std::size_t>(y) * w + x] = static_cast<unsigned char>(v);
    }
  }
  return p;
}

struct Segment {
  unsigned marker = 0;
  Bytes body;        // after the length field (SOI and EOI: empty)
  std::size_t data = 0;  // entropy-coded bytes after an SOB segment
};

// Splits a file into its segments; the coded data after SOB runs to the next marker.
std::vector<Segment> segments(const Bytes& f) {
  std::vector<Segment> out;
  std::size_t p = 0;
  while (p + 2 <= f.size()) {
    Segment s;
    s.marker = f[p] * 256u + f[p + 1];
    p += 2;
    if (s.marker != 0xFFA0 && s.marker != 0xFFA1) {
      const std::size_t len = f.at(p) * 256u + f.at(p + 1);
      s.body.assign(f.begin() + static_cast<std::ptrdiff_t>(p + 2),
                    f.begin() + static_cast<std::ptrdiff_t>(p + len));
      p += len;
      if (s.marker == 0xFFA3) {
        const std::size_t start = p;
        while (p + 1 < f.size() && !(f[p] == 0xFF && f[p + 1] != 0x00)) {
          p += f[p] == 0xFF ? 2 : 1;
        }
        s.data = p - start;
      }
    }
    out.push_back(s);
  }
  EXPECT_EQ(p, f.size());
  return out;
}

std::string text_of(const Bytes& b) { return std::string(b.begin(), b.end()); }

void expect_matches_vector(const std::string& name) {
  const std::string dir = RIDGEVIEW_VECTORS_DIR;
  const testing_files::Gray img = testing_files::read_pgm(dir + "/" + name + ".pgm");
  ASSERT_GT(img.width, 0) << dir;
  const Bytes want = testing_files::read_file(dir + "/" + name + ".wsq");
  ASSERT_FALSE(want.empty());
  Encoded e = encode(img.pixels, img.width, img.height);
  ASSERT_EQ(e.ret, 0) << e.message;
  ASSERT_EQ(e.bytes.size(), want.size());
  std::size_t first = 0;
  while (first < want.size() && e.bytes[first] == want[first]) ++first;
  EXPECT_EQ(first, want.size()) << "first difference at byte " << first;
}

TEST(WsqEncode, ReferenceVectorsByteForByte) {
  expect_matches_vector("print_419x331");
  expect_matches_vector("photo_384x288");
}

TEST(WsqEncode, FileLayout) {
  Encoded e = encode(ridges(500, 500), 500, 500);
  ASSERT_EQ(e.ret, 0) << e.message;
  EXPECT_TRUE(e.message.empty());
  EXPECT_LT(e.bytes.size(), 500u * 500u);
  const std::vector<Segment> s = segments(e.bytes);
  std::vector<unsigned> markers;
  for (const Segment& seg : s) markers.push_back(seg.marker);
  EXPECT_EQ(markers, (std::vector<unsigned>{0xFFA0, 0xFFA8, 0xFFA8, 0xFFA4, 0xFFA5, 0xFFA2,
                                            0xFFA6, 0xFFA3, 0xFFA6, 0xFFA3, 0xFFA3, 0xFFA1}));
  ASSERT_EQ(s.size(), 12u);
  EXPECT_EQ(text_of(s[1].body),
            "NIST_COM 9\nPIX_WIDTH 500\nPIX_HEIGHT 500\nPIX_DEPTH 8\nPPI 500\nLOSSY 1\n"
            "COLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000");
  EXPECT_TRUE(s[2].body.empty());
  EXPECT_EQ(s[3].body.size(), 56u);  // the 60-byte transform table
  EXPECT_EQ(s[4].body.size(), 387u);
  // Frame header: black, white, height, width, m_shift, r_scale, encoder 2, software 0.
  const Bytes& sof = s[5].body;
  ASSERT_EQ(sof.size(), 15u);
  EXPECT_EQ(sof[0], 0);
  EXPECT_EQ(sof[1], 255);
  EXPECT_EQ(sof[2] * 256 + sof[3], 500);
  EXPECT_EQ(sof[4] * 256 + sof[5], 500);
  EXPECT_EQ(sof[12], 2);
  EXPECT_EQ(sof[13] * 256 + sof[14], 0);
  EXPECT_EQ(s[6].body[0], 0);  // DHT table 0, block 1 table 0
  EXPECT_EQ(s[7].body, Bytes{0});
  EXPECT_EQ(s[8].body[0], 1);
  EXPECT_EQ(s[9].body, Bytes{1});
  EXPECT_EQ(s[10].body, Bytes{1});
  EXPECT_GT(s[7].data, 0u);
  EXPECT_GT(s[9].data, 0u);
}

TEST(WsqEncode, UniformImageHasNoCodedData) {
  Encoded e = encode(Bytes(200 * 150, 77), 200, 150, nullptr);
  ASSERT_EQ(e.ret, 0) << e.message;
  const std::vector<Segment> s = segments(e.bytes);
  ASSERT_EQ(s.size(), 11u);  // no caller comment
  const Bytes& dqt = s[3].body;
  ASSERT_EQ(dqt.size(), 387u);
  for (std::size_t i = 3; i < dqt.size(); ++i) EXPECT_EQ(dqt[i], 0) << i;
  // m_shift 77 (scale 2, 7700) and r_scale 1.0 (scale 4, 10000).
  EXPECT_EQ(Bytes(s[4].body.begin() + 6, s[4].body.begin() + 12),
            (Bytes{2, 0x1E, 0x14, 4, 0x27, 0x10}));
  for (int i : {5, 7}) {
    EXPECT_EQ(s[i].body.size(), 17u);
    for (std::size_t k = 1; k < 17; ++k) EXPECT_EQ(s[i].body[k], 0);
  }
  for (int i : {6, 8, 9}) EXPECT_EQ(s[i].data, 0u);
}

TEST(WsqEncode, ImagesOf650PixelsOrFewerDoNotFit) {
  codec_reset_alloc_counters();
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {1, 1}, {2, 3}, {25, 26}, {650, 1}, {1, 650}, {13, 50}, {20, 20}}) {
    Encoded e = encode(ridges(w, h), w, h);
    EXPECT_TRUE(e.ret == WSQ_ENC_BYTE_OVERFLOW || e.ret == WSQ_ENC_BYTES_OVERFLOW)
        << w << "x" << h << " " << e.ret;
    EXPECT_TRUE(e.message.rfind("ERROR : putc_byte : buffer overlow : alloc = ", 0) == 0 ||
                e.message.rfind("ERROR : putc_bytes : buffer overlow : alloc = ", 0) == 0)
        << e.message;
    EXPECT_EQ(codec_live_allocations(), 0);
  }
}

TEST(WsqEncode, RejectsWhatTheFormatCannotHold) {
  codec_reset_alloc_counters();
  const Bytes one(70000, 128);
  EXPECT_EQ(encode(one, 65536, 1).ret, WSQ_ENC_IMAGE_TOO_LARGE);
  EXPECT_EQ(encode(one, 1, 65536).ret, WSQ_ENC_IMAGE_TOO_LARGE);
  EXPECT_EQ(encode(one, 0, 10).ret, WSQ_ENC_NO_PIXELS);
  EXPECT_EQ(encode(one, 10, -1).ret, WSQ_ENC_NO_PIXELS);
  CodecBytes data;
  testing::internal::CaptureStderr();
  EXPECT_EQ(wsq_encode_1(data, nullptr, 0.75f, one.data(), 10, 10, 8, 500, ""),
            WSQ_ENC_BAD_ARGUMENT);
  std::size_t length = 0;
  EXPECT_EQ(wsq_encode_1(data, &length, 0.75f, nullptr, 10, 10, 8, 500, ""),
            WSQ_ENC_BAD_ARGUMENT);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());

  const std::string long_comment(65534, 'c');
  Encoded c = encode(ridges(300, 300), 300, 300, long_comment.c_str());
  EXPECT_EQ(c.ret, WSQ_ENC_COMMENT_TOO_LONG);
  EXPECT_EQ(codec_live_allocations(), 0);
}

TEST(WsqEncode, CodedBlockLargerThanTheImageFails) {
  codec_reset_alloc_counters();
  // At 12 bits per pixel noise codes into far more bytes than the image has. (Much higher
  // rates make the quantized values overflow 16 bits, whose low bits are then mostly 0.)
  Bytes noise(64 * 64);
  unsigned s = 5;
  for (auto& p : noise) {
    s = s * 1103515245u + 12345u;
    p = static_cast<unsigned char>(s >> 24);
  }
  Encoded e = encode(noise, 64, 64, "", 12.0f);
  EXPECT_EQ(e.ret, WSQ_ENC_BLOCK_OVERFLOW) << e.message;
  EXPECT_EQ(e.message.rfind("ERROR : compress_block : ", 0), 0u) << e.message;
  EXPECT_EQ(codec_live_allocations(), 0);
}

TEST(WsqEncode, EveryAllocationFailureIsCleanlyReported) {
  const int w = 96, h = 80;
  const Bytes pixels = ridges(w, h);
  const Encoded good = encode(pixels, w, h);
  ASSERT_EQ(good.ret, 0) << good.message;

  codec_reset_alloc_counters();
  {
    CodecBytes data;
    std::size_t length = 0;
    ASSERT_EQ(wsq_encode_1(data, &length, 0.75f, pixels.data(), w, h, 8, 500, ""), 0);
  }
  const auto total = static_cast<std::int64_t>(codec_alloc_calls());
  ASSERT_GT(total, 20);

  std::vector<std::string> codes;  // the named code of each failure, in allocation order
  for (std::int64_t n = 0; n < total; ++n) {
    codec_reset_alloc_counters();
    codec_fail_nth_alloc(n);
    CodecBytes data;
    std::size_t length = 4242;
    testing::internal::CaptureStderr();
    const int ret = wsq_encode_1(data, &length, 0.75f, pixels.data(), w, h, 8, 500, "");
    const std::string message = testing::internal::GetCapturedStderr();
    codes.push_back(codec_test::code_name(ret, message));
    EXPECT_LT(ret, 0) << "allocation " << n;
    EXPECT_NE(codes.back(), "") << n << ": " << ret << " " << message;
    EXPECT_FALSE(data) << n;
    EXPECT_EQ(length, 4242u) << n;
    EXPECT_EQ(message.rfind("ERROR : ", 0), 0u) << n << ": " << message;
    // One line; the values-array growth message has no line end of its own.
    EXPECT_TRUE(message.find('\n') == message.size() - 1 ||
                message == "ERROR : reallocfet_ret : realloc : fet->values")
        << message;
    EXPECT_EQ(codec_live_allocations(), 0) << n;
  }
  codec_reset_alloc_counters();

  // fdata, the decomposition's scratch image and its filter plans, sip, wsq_data come first,
  // in this order.
  ASSERT_GE(codes.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.begin() + 5),
            (std::vector<std::string>{"WSQ_ENC_FDATA_ALLOC", "WSQ_ENC_DECOMPOSE_ALLOC",
                                      "WSQ_ENC_DECOMPOSE_ALLOC", "WSQ_ENC_SIP_ALLOC",
                                      "WSQ_ENC_DATA_ALLOC"}));
  const std::multiset<std::string> seen(codes.begin(), codes.end());
  EXPECT_EQ(seen.count("WSQ_ENC_HUFF_BUF_ALLOC"), 1u);
  // Symbol counters: block 1, blocks 2 and 3.
  EXPECT_EQ(seen.count("WSQ_ENC_COUNTS_ALLOC"), 3u);
  // Every other failure is an allocation of the feature list or of the Huffman tables.
  for (const std::string& name : codes) {
    const CodecCodeInfo* code = find_codec_code(name);
    ASSERT_NE(code, nullptr) << name;
    EXPECT_NE(std::string(code->message).find("alloc"), std::string::npos) << name;
    EXPECT_TRUE(code->step == CodecStep::encode_driver || code->step == CodecStep::decomposition ||
                code->step == CodecStep::quantization || code->step == CodecStep::feature_list ||
                code->step == CodecStep::huffman_generation ||
                code->step == CodecStep::huffman_codes)
        << name;
  }

  // A run after all this still gives the same bytes.
  EXPECT_EQ(encode(pixels, w, h).bytes, good.bytes);
}

TEST(WsqEncode, EncodingsOnSeveralThreadsAreIndependent) {
  const Bytes a = ridges(300, 200, 3), b = ridges(257, 311, 9);
  const Bytes want_a = encode(a, 300, 200).bytes, want_b = encode(b, 257, 311).bytes;
  ASSERT_FALSE(want_a.empty());
  ASSERT_FALSE(want_b.empty());
  Bytes got_a, got_b;
  auto run = [](const Bytes& p, int w, int h, Bytes* out) {
    for (int i = 0; i < 3; ++i) {
      CodecBytes data;
      std::size_t length = 0;
      if (wsq_encode_1(data, &length, 0.75f, p.data(), w, h, 8, 500, "") != 0) return;
      out->assign(data.get(), data.get() + length);
    }
  };
  std::thread ta(run, std::cref(a), 300, 200, &got_a);
  std::thread tb(run, std::cref(b), 257, 311, &got_b);
  ta.join();
  tb.join();
  EXPECT_EQ(got_a, want_a);
  EXPECT_EQ(got_b, want_b);
}

}  // namespace
}  // namespace ridgeview::codec
