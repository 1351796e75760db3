#include "codec/wsq/byte_stream.h"

#include <cstring>

#include "codec/common/report.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

bool have(ByteCursor cursor, ByteCursor end, std::size_t n) {
  return cursor <= end && static_cast<std::size_t>(end - cursor) >= n;
}

int premature_end() {
  report("ERROR : getc_bytes : premature End Of Buffer\n");
  return -40;
}

}  // namespace

int getc_byte(std::uint8_t* out, ByteCursor& cursor, ByteCursor end) {
  if (!have(cursor, end, 1)) {
    report("ERROR : getc_byte : premature End Of Buffer\n");
    return -39;
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
        report("ERROR : getc_marker_wsq : No SOI marker. {%04X}\n", marker);
        return -88;
      }
      break;
    case MarkerMode::TABLES_OR_SOF:
      if (marker != SOF_WSQ && !is_table) {
        report("ERROR : getc_marker_wsq : No SOF, Table, or comment markers.\n");
        return -89;
      }
      break;
    case MarkerMode::TABLES_OR_SOB:
      if (marker != SOB_WSQ && !is_table) {
        report("ERROR : getc_marker_wsq : No SOB, Table, or comment markers.{%04X}\n", marker);
        return -90;
      }
      break;
    case MarkerMode::ANY:
      if ((marker & 0xFF00) != 0xFF00) {
        report("ERROR : getc_marker_wsq : no marker found {%04X}\n", marker);
        return -91;
      }
      if (marker < SOI_WSQ || marker > COM_WSQ) {
        report("ERROR : getc_marker_wsq : {%04X} not a valid marker\n", marker);
        return -92;
      }
      break;
    default:
      report("ERROR : getc_marker_wsq : Invalid marker -> {%4X}\n", marker);
      return -93;
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
    report("ERROR : getc_skip_marker_segment : unexpected end of buffer when parsing "
           "marker %d segment of length %d\n", marker, n);
    return -2;
  }
  cursor += n;
  return 0;
}

}  // namespace ridgeview::codec
