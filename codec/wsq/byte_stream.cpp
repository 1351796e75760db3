#include "codec/wsq/byte_stream.h"

#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

bool have(ByteCursor cursor, ByteCursor end, std::size_t n) {
  return cursor <= end && static_cast<std::size_t>(end - cursor) >= n;
}

int premature_end() {
  report(msg::WSQ_END_OF_BUFFER);
  return WSQ_END_OF_BUFFER;
}

}  // namespace

int getc_byte(std::uint8_t* out, ByteCursor& cursor, ByteCursor end) {
  if (!have(cursor, end, 1)) {
    report(msg::WSQ_END_OF_BUFFER_BYTE);
    return WSQ_END_OF_BUFFER_BYTE;
  }
  *out = *cursor++;
  return 0;
}

int getc_bytes(std::uint8_t* out, std::size_t n, ByteCursor& cursor, ByteCursor end) {
  if (!have(cursor, end, n)) return premature_end();
  if (n != 0) std::memcpy(out, cursor, n);
  cursor += n;
  return 0;
}

int getc_u16(std::uint16_t* out, ByteCursor& cursor, ByteCursor end) {
  if (!have(cursor, end, 2)) return premature_end();
  *out = static_cast<std::uint16_t>((cursor[0] << 8) | cursor[1]);
  cursor += 2;
  return 0;
}

int getc_u32(std::uint32_t* out, ByteCursor& cursor, ByteCursor end) {
  if (!have(cursor, end, 4)) return premature_end();
  *out = (std::uint32_t{cursor[0]} << 24) | (std::uint32_t{cursor[1]} << 16) |
         (std::uint32_t{cursor[2]} << 8) | std::uint32_t{cursor[3]};
  cursor += 4;
  return 0;
}

int getc_marker_wsq(std::uint16_t* out, MarkerMode mode, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t marker = 0;
  if (int ret = getc_u16(&marker, cursor, end)) return ret;
  const bool is_table =
      marker == DTT_WSQ || marker == DQT_WSQ || marker == DHT_WSQ || marker == COM_WSQ;
  switch (mode) {
    case MarkerMode::SOI:
      if (marker != SOI_WSQ) {
        report(msg::WSQ_NO_SOI, marker);
        return WSQ_NO_SOI;
      }
      break;
    case MarkerMode::TABLES_OR_SOF:
      if (marker != SOF_WSQ && !is_table) {
        report(msg::WSQ_NO_SOF_OR_TABLE);
        return WSQ_NO_SOF_OR_TABLE;
      }
      break;
    case MarkerMode::TABLES_OR_SOB:
      if (marker != SOB_WSQ && !is_table) {
        report(msg::WSQ_NO_SOB_OR_TABLE, marker);
        return WSQ_NO_SOB_OR_TABLE;
      }
      break;
    case MarkerMode::ANY:
      if ((marker & 0xFF00) != 0xFF00) {
        report(msg::WSQ_NO_MARKER, marker);
        return WSQ_NO_MARKER;
      }
      if (marker < SOI_WSQ || marker > COM_WSQ) {
        report(msg::WSQ_INVALID_MARKER, marker);
        return WSQ_INVALID_MARKER;
      }
      break;
    default:
      report(msg::WSQ_UNKNOWN_MARKER_MODE, marker);
      return WSQ_UNKNOWN_MARKER_MODE;
  }
  *out = marker;
  return 0;
}

int getc_skip_marker_segment(std::uint16_t marker, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t length = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  const std::uint16_t n = static_cast<std::uint16_t>(length - 2);
  // A segment that ends exactly at the last byte of the buffer is rejected as well.
  if (!have(cursor, end, std::size_t{n} + 1)) {
    report(msg::WSQ_SEGMENT_PAST_END, marker, n);
    return WSQ_SEGMENT_PAST_END;
  }
  cursor += n;
  return 0;
}

}  // namespace ridgeview::codec
