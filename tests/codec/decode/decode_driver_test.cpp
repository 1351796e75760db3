// The whole decode: resolution lookup, comments anywhere, failures releasing everything,
// allocation failures, independence of calls, and frames too large to hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "codec/decode/wsq_builder.h"
#include "codec/test_files.h"
#include "codec/wsq/decode/header_reader.h"
#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/wsq.h"
#include "codec/codec_test_support.h"
#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

using wsq_test::Bytes;

using codec_test::Decoded;

Decoded decode(const Bytes& file) { return codec_test::decode_file(file); }

const Bytes& print_file() {
  static const Bytes file = testing_files::read_file(testing_files::vector_path("print_419x331.wsq"));
  return file;
}

const testing_files::Gray& print_pixels() {
  static const testing_files::Gray g =
      testing_files::read_pgm(testing_files::vector_path("print_419x331.dec.pgm"));
  return g;
}

// Offsets of the segments of a file up to its frame header: SOI, then one entry per
// segment (marker offset), then the offset of the SOF marker.
struct Layout {
  std::vector<std::size_t> segments;  // marker offsets before SOF
  std::size_t sof = 0;
  std::vector<std::size_t> markers_after_sof;  // markers behind the frame header
};

Layout layout(const Bytes& f) {
  Layout l;
  std::size_t pos = 2;
  while (!(f[pos] == 0xFF && f[pos + 1] == 0xA2)) {
    l.segments.push_back(pos);
    pos += 2 + ((f[pos + 2] << 8) | f[pos + 3]);
  }
  l.sof = pos;
  // Past the frame header, markers are the only 0xFF bytes not followed by a stuffed 0.
  for (pos += 2 + ((f[pos + 2] << 8) | f[pos + 3]); pos + 1 < f.size(); ++pos) {
    if (f[pos] == 0xFF && f[pos + 1] != 0) l.markers_after_sof.push_back(pos);
  }
  return l;
}

Bytes splice(const Bytes& f, std::size_t at, std::size_t remove, const Bytes& insert) {
  Bytes out(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(at));
  wsq_test::append(out, insert);
  out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(at + remove), f.end());
  return out;
}

// The print file with its NIST_COM comment (the first segment) replaced.
Bytes with_nistcom(const std::string& text) {
  const Bytes& f = print_file();
  const Layout l = layout(f);
  const std::size_t len = l.segments[1] - l.segments[0];
  return splice(f, l.segments[0], len, text.empty() ? Bytes{} : wsq_test::comment(text));
}

TEST(DecodeDriver, ResolutionFromNistcom) {
  EXPECT_EQ(decode(with_nistcom("")).ppi, -1);
  EXPECT_EQ(decode(with_nistcom("NIST_COM 2\nPPI 500")).ppi, 500);
  EXPECT_EQ(decode(with_nistcom("NIST_COM 2\nPPI 500.5")).ppi, 500);
  EXPECT_EQ(decode(with_nistcom("NIST_COM 2\nPPI   -250x")).ppi, -250);
  EXPECT_EQ(decode(with_nistcom("NIST_COM 3\nPPI\nPIX_WIDTH 419")).ppi, -1);
  // Only a comment that starts with NIST_COM counts.
  EXPECT_EQ(decode(with_nistcom("nist_com 2\nPPI 500")).ppi, -1);
  Decoded none = decode(with_nistcom("NIST_COM 1"));
  EXPECT_EQ(none.ret, FET_NOT_FOUND);
  EXPECT_EQ(none.err, "ERROR : extractfet_ret : feature PPI not found\n");
  // A comment too short to hold the 8 bytes is not a NIST_COM comment.
  EXPECT_EQ(decode(with_nistcom("NIST")).ppi, -1);
}

TEST(DecodeDriver, ParseDecimalLikeAtoi) {
  EXPECT_EQ(parse_decimal(" \t+42abc"), 42);
  EXPECT_EQ(parse_decimal("-7"), -7);
  EXPECT_EQ(parse_decimal("x1"), 0);
  EXPECT_EQ(parse_decimal(""), 0);
  EXPECT_EQ(parse_decimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(parse_decimal("-99999999999999999999"), -2147483647 - 1);
}

TEST(DecodeDriver, CommentsAnywhereAreAcceptedAndOnlyTheFirstNistcomCounts) {
  const Bytes& f = print_file();
  const Layout l = layout(f);
  ASSERT_GE(l.markers_after_sof.size(), 6u);  // DHT SOB DHT SOB SOB EOI
  // A comment before SOF, a NIST_COM between blocks (after the first SOB: not scanned), and a
  // comment after the last block's data.
  const std::size_t second_dht = l.markers_after_sof[2];
  const std::size_t eoi = l.markers_after_sof.back();
  Bytes g = splice(f, eoi, 0, wsq_test::comment("after the data"));
  g = splice(g, second_dht, 0, wsq_test::comment("NIST_COM 2\nPPI 100"));
  g = splice(g, l.sof, 0, wsq_test::comment("before the frame"));
  Decoded d = decode(g);
  ASSERT_EQ(d.ret, 0) << d.err;
  EXPECT_EQ(d.ppi, 500);
  EXPECT_EQ(d.pixels, print_pixels().pixels);
}

TEST(DecodeDriver, PixelConversionRoundsAndClamps) {
  const float values[5] = {-0.6f, 254.5f, 255.2f, 3.49f, 127.4999f};
  std::uint8_t out[5];
  float_to_gray8(out, values, 5, 1, 0.0f, 1.0f);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 255);
  EXPECT_EQ(out[2], 255);
  EXPECT_EQ(out[3], 3);
  EXPECT_EQ(out[4], 127);
}

TEST(DecodeDriver, TablesOfOneDecodeAreNotSeenByTheNext) {
  const Bytes& f = print_file();
  const Layout l = layout(f);
  // The same file without its two DHT segments.
  Bytes g = f;
  for (int i : {2, 0}) {
    const std::size_t at = l.markers_after_sof[static_cast<std::size_t>(i)];
    const std::size_t len = 2 + ((g[at + 2] << 8) | g[at + 3]);
    g.erase(g.begin() + static_cast<std::ptrdiff_t>(at),
            g.begin() + static_cast<std::ptrdiff_t>(at + len));
  }
  ASSERT_EQ(decode(f).ret, 0);
  Decoded d = decode(g);
  EXPECT_EQ(d.ret, WSQ_HUFFMAN_TABLE_UNDEFINED);
  EXPECT_EQ(d.err, "ERROR : huffman_decode_data_mem : huffman table {0} undefined.\n");
}

TEST(DecodeDriver, EmptyAndHugeFrames) {
  Bytes file = wsq_test::soi();
  wsq_test::append(file, wsq_test::standard_dtt());
  wsq_test::append(file, wsq_test::dqt({0}));
  wsq_test::append(file, wsq_test::sof(0, 10));
  Decoded empty = decode(file);
  EXPECT_EQ(empty.ret, WSQ_EMPTY_FRAME);
  EXPECT_EQ(empty.err, "ERROR : wsq_decode_mem : empty frame (width 0, height 10)\n");

  // A file of a few hundred bytes declaring 65535 x 65535 pixels is refused before anything
  // of that size is allocated.
  Bytes bomb = wsq_test::soi();
  wsq_test::append(bomb, wsq_test::standard_dtt());
  wsq_test::append(bomb, wsq_test::sof(65535, 65535));
  wsq_test::append(bomb, wsq_test::sob(0));
  wsq_test::append(bomb, wsq_test::eoi());
  ASSERT_LT(bomb.size(), 200u);
  codec_reset_alloc_counters();
  Decoded d = decode(bomb);
  EXPECT_EQ(d.ret, WSQ_COEFFICIENTS_ALLOC);
  EXPECT_EQ(d.err, "ERROR: wsq_decode_mem : malloc : qdata1\n");
  EXPECT_EQ(codec_live_allocations(), 0);

  // The same refusal for an ordinary file under a small memory budget.
  const std::size_t budget = codec_memory_budget();
  codec_set_memory_budget(419 * 331 * 4);
  Decoded small = decode(print_file());
  codec_set_memory_budget(budget);
  EXPECT_EQ(small.ret, WSQ_COEFFICIENTS_ALLOC);
}

TEST(DecodeDriver, EveryAllocationFailureIsReportedAndReleased) {
  codec_reset_alloc_counters();
  ASSERT_EQ(decode(print_file()).ret, 0);
  const std::uint64_t allocations = codec_alloc_calls();
  ASSERT_GT(allocations, 10u);
  std::set<std::string> codes;  // the named codes met
  for (std::uint64_t n = 0; n < allocations; ++n) {
    codec_reset_alloc_counters();
    codec_fail_nth_alloc(static_cast<std::int64_t>(n));
    Decoded d = decode(print_file());
    SCOPED_TRACE(n);
    EXPECT_LT(d.ret, 0);
    EXPECT_TRUE(d.pixels.empty());
    EXPECT_EQ(d.width, 0);
    const std::string first = d.err.substr(0, d.err.find('\n') + 1);
    EXPECT_TRUE(first.find("alloc") != std::string::npos) << first;
    EXPECT_EQ(codec_last_refusal(), AllocRefusal::Injected);
    EXPECT_EQ(codec_live_allocations(), 0);
    codes.insert(codec_test::code_name(d.ret, first));
  }
  codec_reset_alloc_counters();
  // Filters, Huffman tables and codes, comment text, feature list, coefficients, values,
  // reconstruction storage, pixels: each site is met, and nothing else.
  EXPECT_EQ(codes, (std::set<std::string>{
                       "WSQ_LOFILT_ALLOC", "WSQ_HIFILT_ALLOC", "WSQ_A_LOFILT_ALLOC",
                       "WSQ_A_HIFILT_ALLOC", "WSQ_HUFFBITS_ALLOC", "WSQ_HUFFVALUES_ALLOC",
                       "WSQ_COMMENT_ALLOC", "FET_ALLOC", "FET_NAMES_ALLOC", "FET_VALUES_ALLOC",
                       "FET_NAME_ALLOC", "FET_VALUE_ALLOC", "FET_EXTRACT_ALLOC",
                       "WSQ_HUFFSIZES_ALLOC", "WSQ_COEFFICIENTS_ALLOC", "WSQ_UNQUANTIZE_ALLOC",
                       "WSQ_RECONSTRUCT_ALLOC", "WSQ_PIXELS_ALLOC"}));
}

// Without the fast kernels the root merges through a work array as large as the image, so
// the decode grows its smaller block for it: the pixels are the same, and a failure to grow
// is a reconstruction allocation failure that leaves nothing allocated.
TEST(DecodeDriver, PlainRootGrowsTheWorkArrayOrReportsIt) {
  const DecodeStrategy plain{nullptr, true};
  codec_reset_alloc_counters();
  Decoded d = codec_test::decode_file(print_file(), &plain);
  ASSERT_EQ(d.ret, 0) << d.err;
  EXPECT_EQ(d.pixels, print_pixels().pixels);
  const std::uint64_t allocations = codec_alloc_calls();
  bool grow_failed = false;
  for (std::uint64_t n = 0; n < allocations; ++n) {
    codec_reset_alloc_counters();
    codec_fail_nth_alloc(static_cast<std::int64_t>(n));
    Decoded f = codec_test::decode_file(print_file(), &plain);
    SCOPED_TRACE(n);
    EXPECT_LT(f.ret, 0);
    EXPECT_EQ(codec_live_allocations(), 0);
    // Plain merging takes no other memory, so this code is the growth's.
    if (f.ret == WSQ_RECONSTRUCT_ALLOC) grow_failed = true;
  }
  codec_reset_alloc_counters();
  EXPECT_TRUE(grow_failed);
}

// The coefficient block is kept beside the pixels only on a thread that decodes repeatedly
// (where the next decode reuses it); a thread's first decode gives it back before the pixels
// are allocated, so a single-file decode does not hold both.
TEST(DecodeDriver, FirstDecodeOfAThreadGivesItsBlockBackBeforeThePixels) {
  struct Seen {
    std::size_t pixel_bytes;
    std::vector<std::size_t> kept;  // bytes kept when the pixels were allocated, per decode
  };
  const std::size_t count = 419 * 331;
  Seen seen{count, {}};
  std::vector<std::uint8_t> first_pixels, second_pixels;
  std::thread fresh([&] {
    codec_set_alloc_fail_hook(
        [](std::uint64_t, std::size_t bytes, void* context) {
          auto* s = static_cast<Seen*>(context);
          if (bytes == s->pixel_bytes) s->kept.push_back(codec_kept_bytes());
          return false;
        },
        &seen);
    ASSERT_EQ(codec_kept_bytes(), 0u);
    Decoded one = decode(print_file());
    Decoded two = decode(print_file());
    codec_set_alloc_fail_hook(nullptr, nullptr);
    first_pixels = one.pixels;
    second_pixels = two.pixels;
  });
  fresh.join();
  ASSERT_EQ(seen.kept.size(), 2u);
  // The block holds two bytes a pixel; nothing of that size was kept the first time.
  EXPECT_LT(seen.kept[0], 2 * count);
  EXPECT_GE(seen.kept[1], 2 * count);
  EXPECT_EQ(first_pixels, print_pixels().pixels);
  EXPECT_EQ(second_pixels, print_pixels().pixels);
}

TEST(DecodeDriver, ConcurrentDecodesAreIndependent) {
  const Bytes photo = testing_files::read_file(testing_files::vector_path("photo_384x288.wsq"));
  const testing_files::Gray photo_pixels =
      testing_files::read_pgm(testing_files::vector_path("photo_384x288.dec.pgm"));
  std::vector<int> failures(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        const bool print = (t + i) % 2 == 0;
        const Bytes& f = print ? print_file() : photo;
        const testing_files::Gray& want = print ? print_pixels() : photo_pixels;
        CodecBytes pixels;
        int w, h, d, p, l, e, s;
        if (wsq_decode_mem(pixels, &w, &h, &d, &p, &l, &e, &s, f.data(), f.size()) != 0 ||
            !std::equal(want.pixels.begin(), want.pixels.end(), pixels.get())) {
          ++failures[static_cast<std::size_t>(t)];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
}  // namespace ridgeview::codec
