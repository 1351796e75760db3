// The decoder against reference files made independently from the same format rules.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "codec/wsq/wsq.h"
#include "codec/codec_test_support.h"
#include "codec/test_files.h"

namespace ridgeview::codec {
namespace {

using testing_files::read_file;
using testing_files::read_pgm;
using testing_files::vector_path;

using codec_test::decode_file;
using codec_test::Decoded;

class ReferenceImage : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceImage, DecodesPixelForPixel) {
  const std::vector<std::uint8_t> file = read_file(vector_path(GetParam() + ".wsq"));
  ASSERT_FALSE(file.empty());
  const testing_files::Gray want = read_pgm(vector_path(GetParam() + ".dec.pgm"));
  ASSERT_GT(want.width, 0);

  codec_reset_alloc_counters();
  const Decoded d = decode_file(file);
  ASSERT_EQ(d.ret, 0) << d.err;
  EXPECT_EQ(d.err, "");
  // The size first: the pixels are compared by the expected size.
  ASSERT_EQ(d.width, want.width);
  ASSERT_EQ(d.height, want.height);
  ASSERT_EQ(d.pixels.size(), want.pixels.size());
  EXPECT_EQ(d.depth, 8);
  EXPECT_EQ(d.ppi, 500);
  EXPECT_EQ(d.lossy, 1);
  EXPECT_EQ(d.encoder, 2);
  EXPECT_EQ(d.software, 0);
  size_t mismatches = 0;
  for (size_t i = 0; i < want.pixels.size(); ++i) mismatches += d.pixels[i] != want.pixels[i];
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(codec_live_allocations(), 0);
}

INSTANTIATE_TEST_SUITE_P(Vectors, ReferenceImage,
                         testing::Values("print_419x331", "photo_384x288"));

// Turns the C escapes of the expectations file into the bytes they stand for.
std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char c = s[++i];
      out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

TEST(ReferenceErrors, EveryMalformedFileFailsWithItsCodeAndMessage) {
  std::ifstream list(vector_path("errors/expected.tsv"));
  ASSERT_TRUE(list) << "missing " << vector_path("errors/expected.tsv");
  std::string line;
  std::getline(list, line);  // header
  int checked = 0;
  while (std::getline(list, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    std::string name, code, message;
    std::getline(fields, name, '\t');
    std::getline(fields, code, '\t');
    std::getline(fields, message);
    SCOPED_TRACE(name);
    codec_reset_alloc_counters();
    const Decoded d = decode_file(read_file(vector_path("errors/" + name)));
    EXPECT_EQ(d.ret, std::stoi(code));
    // Where a file prints more than one line, the expectation is the first.
    const std::string first = d.err.substr(0, d.err.find('\n') + 1);
    EXPECT_EQ(first, unescape(message));
    // The code and its message are one of the named codes.
    EXPECT_NE(codec_test::code_name(d.ret, first), "") << d.ret << " " << first;
    EXPECT_TRUE(d.pixels.empty());
    EXPECT_EQ(codec_live_allocations(), 0);
    ++checked;
  }
  EXPECT_GE(checked, 20);
}

}  // namespace
}  // namespace ridgeview::codec
