#include "codec/wsq/segment_list.h"

#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

struct SegmentSink {
  SegmentVisitor visit;
  void* context;
  std::size_t count = 0;

  void add(std::uint32_t marker, std::size_t offset, std::size_t length) {
    if (visit != nullptr) visit(context, marker, offset, length);
    ++count;
  }
};

bool is_marker(unsigned value) { return value >= SOI_WSQ && value <= COM_WSQ; }

}  // namespace

std::size_t list_segments_wsq(const std::uint8_t* f, std::size_t size, SegmentVisitor visit,
                              void* context) {
  SegmentSink sink{visit, context};
  std::size_t pos = 0;
  while (pos < size) {
    // A lone last byte cannot be a marker either.
    const unsigned marker = size - pos >= 2 ? (unsigned{f[pos]} << 8) | f[pos + 1] : 0;
    if (!is_marker(marker)) {
      sink.add(kSegmentUnknown, pos, size - pos);
      break;
    }
    if (marker == SOI_WSQ || marker == EOI_WSQ) {
      sink.add(marker, pos, 2);
      pos += 2;
      if (marker == EOI_WSQ) break;
      continue;
    }
    if (size - pos < 4) {
      sink.add(marker, pos, size - pos);
      break;
    }
    const std::size_t length = 2 + ((std::size_t{f[pos + 2]} << 8) | f[pos + 3]);
    if (length > size - pos) {
      sink.add(marker, pos, size - pos);
      break;
    }
    sink.add(marker, pos, length);
    pos += length;
    if (marker == SOB_WSQ) {
      std::size_t end = pos;
      while (size - end >= 2 && !(f[end] == 0xFF && f[end + 1] != 0)) ++end;
      if (size - end < 2) end = size;
      sink.add(kSegmentData, pos, end - pos);
      pos = end;
    }
  }
  return sink.count;
}

}  // namespace ridgeview::codec
