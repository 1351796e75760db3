// The walk over a file's pieces: marker segments, coded data, and the ways a file can end.
#include "codec/wsq/segment_list.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "codec/decode/wsq_builder.h"

namespace ridgeview::codec {
namespace {

using wsq_test::Bytes;
using Piece = std::tuple<std::uint32_t, std::size_t, std::size_t>;

void collect(void* context, std::uint32_t marker, std::size_t offset, std::size_t length) {
  static_cast<std::vector<Piece>*>(context)->emplace_back(marker, offset, length);
}

std::vector<Piece> pieces(const Bytes& f) {
  std::vector<Piece> out;
  const std::size_t count = list_segments_wsq(f.data(), f.size(), collect, &out);
  EXPECT_EQ(count, out.size());
  EXPECT_EQ(list_segments_wsq(f.data(), f.size(), nullptr, nullptr), count);
  return out;
}

TEST(SegmentList, CodedDataRunsToTheNextMarkerPastStuffedBytes) {
  Bytes f = wsq_test::soi();                       // 0..1
  wsq_test::append(f, wsq_test::comment("abc"));   // 2..8
  wsq_test::append(f, wsq_test::sob(1));           // 9..13
  wsq_test::append(f, {0x12, 0xFF, 0x00, 0x34});   // 14..17: coded, one stuffed zero
  wsq_test::append(f, wsq_test::sob(1));           // 18..22
  wsq_test::append(f, wsq_test::eoi());            // 23..24: no coded bytes before it
  wsq_test::append(f, {0x99, 0x98});               // after EOI: not looked at
  EXPECT_EQ(pieces(f), (std::vector<Piece>{{0xFFA0, 0, 2},
                                           {0xFFA8, 2, 7},
                                           {0xFFA3, 9, 5},
                                           {kSegmentData, 14, 4},
                                           {0xFFA3, 18, 5},
                                           {kSegmentData, 23, 0},
                                           {0xFFA1, 23, 2}}));
}

TEST(SegmentList, EndsCutShortAreListedWithWhatIsThere) {
  // A block header whose length runs past the end: listed short, and nothing after it (no
  // coded data is made up behind it).
  Bytes cut_header = wsq_test::soi();
  wsq_test::append(cut_header, {0xFF, 0xA3, 0x00, 0x30, 0x01});
  EXPECT_EQ(pieces(cut_header), (std::vector<Piece>{{0xFFA0, 0, 2}, {0xFFA3, 2, 5}}));

  // A marker without its length field; a lone last byte; coded data ending in a lone 0xFF.
  EXPECT_EQ(pieces({0xFF, 0xA0, 0xFF, 0xA4, 0x00}),
            (std::vector<Piece>{{0xFFA0, 0, 2}, {0xFFA4, 2, 3}}));
  EXPECT_EQ(pieces({0xFF, 0xA0, 0xFF}), (std::vector<Piece>{{0xFFA0, 0, 2}, {kSegmentUnknown, 2, 1}}));
  Bytes lone_ff = wsq_test::sob(0);
  wsq_test::append(lone_ff, {0x01, 0xFF});
  EXPECT_EQ(pieces(lone_ff), (std::vector<Piece>{{0xFFA3, 0, 5}, {kSegmentData, 5, 2}}));
}

TEST(SegmentList, BytesThatAreNoMarkerEndTheList) {
  Bytes f = wsq_test::soi();
  wsq_test::append(f, {0xFF, 0xB0, 0x00, 0x04, 0xFF, 0xA1});
  EXPECT_EQ(pieces(f), (std::vector<Piece>{{0xFFA0, 0, 2}, {kSegmentUnknown, 2, 6}}));
  EXPECT_EQ(pieces({0x00, 0x00}), (std::vector<Piece>{{kSegmentUnknown, 0, 2}}));
  EXPECT_EQ(pieces({}), std::vector<Piece>{});
  EXPECT_EQ(list_segments_wsq(nullptr, 0, nullptr, nullptr), 0u);
}

}  // namespace
}  // namespace ridgeview::codec
