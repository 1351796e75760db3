// The table of named codes: what a caller can learn about a code it got back.
#include "codec/common/codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace ridgeview::codec {
namespace {

TEST(CodecCodes, EveryEntryIsAFailureFoundByItsName) {
  std::set<CodecStep> steps;
  std::set<std::string> silent;
  for (const CodecCodeInfo& c : codec_code_table()) {
    SCOPED_TRACE(c.name);
    EXPECT_LT(c.value, 0);
    EXPECT_EQ(find_codec_code(c.name), &c);
    EXPECT_STRNE(codec_step_name(c.step), "");
    steps.insert(c.step);
    if (c.message[0] == '\0') silent.insert(c.name);
  }
  EXPECT_EQ(steps.size(), 14u);
  EXPECT_EQ(find_codec_code("WSQ_NO_SUCH_CODE"), nullptr);
  // Only the repeated Huffman slot and the all-ones verdict write nothing.
  EXPECT_EQ(silent, (std::set<std::string>{"WSQ_HUFFMAN_SLOT_TAKEN", "WSQ_ALL_ONES_CODE"}));
}

TEST(CodecCodes, OneValueWithTwoMeaningsHasTwoNames) {
  const CodecCodeInfo* marker = find_codec_code("WSQ_NO_MARKER");
  const CodecCodeInfo* alloc = find_codec_code("WSQ_UNQUANTIZE_ALLOC");
  ASSERT_NE(marker, nullptr);
  ASSERT_NE(alloc, nullptr);
  EXPECT_EQ(marker->value, alloc->value);
  EXPECT_EQ(WSQ_NO_MARKER, WSQ_UNQUANTIZE_ALLOC);
  EXPECT_NE(marker->step, alloc->step);
  EXPECT_STREQ(marker->message, msg::WSQ_NO_MARKER);
  EXPECT_STREQ(alloc->message, "ERROR : unquantize : calloc : fip\n");
  EXPECT_STREQ(codec_step_name(alloc->step), "dequantization");
}

}  // namespace
}  // namespace ridgeview::codec
