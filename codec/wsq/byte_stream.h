// Bounded big-endian readers over a WSQ file held in memory. A cursor is a read position
// passed by reference and an end (one past the last byte) passed by value; readers never read
// at or past the end, advance only past what they read, and write outputs only on success.
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

// -39 "getc_byte" when no byte is left.
int getc_byte(std::uint8_t* out, ByteCursor& cursor, ByteCursor end);
// -40 "getc_bytes" when fewer than n bytes are left.
int getc_bytes(std::uint8_t* out, std::size_t n, ByteCursor& cursor, ByteCursor end);
int getc_u16(std::uint16_t* out, ByteCursor& cursor, ByteCursor end);
int getc_u32(std::uint32_t* out, ByteCursor& cursor, ByteCursor end);

// Reads two bytes as a marker and checks them against the mode (-88..-92 on a mismatch).
// The cursor moves past the two bytes even when the check fails.
int getc_marker_wsq(std::uint16_t* out, MarkerMode mode, ByteCursor& cursor, ByteCursor end);

// With the cursor just behind a marker: reads the segment length L and skips L - 2 bytes
// (16-bit arithmetic). Fails with -2 when the segment would reach the end of the buffer.
int getc_skip_marker_segment(std::uint16_t marker, ByteCursor& cursor, ByteCursor end);

}  // namespace ridgeview::codec
