// Bounded big-endian readers over a WSQ file held in memory. A cursor is a read position
// passed by reference and an end (one past the last byte) passed by value; readers never read
// at or past the end, advance only past what they read, and write outputs only on success.
// All return 0 or a named code of codec/common/codes.h after writing its message.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ridgeview::codec {

using ByteCursor = const std::uint8_t*;

// Which marker values getc_marker_wsq accepts.
enum class MarkerMode {
  SOI,            // SOI only
  TABLES_OR_SOF,  // SOF, DTT, DQT, DHT, COM
  TABLES_OR_SOB,  // SOB, DTT, DQT, DHT, COM
  ANY,            // 0xFFA0..0xFFA8
};

// WSQ_END_OF_BUFFER_BYTE when no byte is left.
int getc_byte(std::uint8_t* out, ByteCursor& cursor, ByteCursor end);
// WSQ_END_OF_BUFFER when fewer than n (2, 4) bytes are left.
int getc_bytes(std::uint8_t* out, std::size_t n, ByteCursor& cursor, ByteCursor end);
int getc_u16(std::uint16_t* out, ByteCursor& cursor, ByteCursor end);
int getc_u32(std::uint32_t* out, ByteCursor& cursor, ByteCursor end);

// Reads two bytes as a marker and checks them against the mode: WSQ_END_OF_BUFFER, or on a
// mismatch WSQ_NO_SOI, WSQ_NO_SOF_OR_TABLE, WSQ_NO_SOB_OR_TABLE, WSQ_NO_MARKER (ANY: the
// high byte is not 0xFF) or WSQ_INVALID_MARKER (ANY: outside 0xFFA0..0xFFA8). The cursor
// moves past the two bytes even when the check fails.
int getc_marker_wsq(std::uint16_t* out, MarkerMode mode, ByteCursor& cursor, ByteCursor end);

// With the cursor just behind a marker: reads the segment length L and skips L - 2 bytes
// (16-bit arithmetic). WSQ_END_OF_BUFFER without a length, WSQ_SEGMENT_PAST_END when the
// segment would reach the end of the buffer (the cursor is then behind the length field).
int getc_skip_marker_segment(std::uint16_t marker, ByteCursor& cursor, ByteCursor end);

}  // namespace ridgeview::codec
