// The pieces of a WSQ file in file order, found from the markers and segment lengths alone:
// what `ridgeview-wsq info` and the library's info record list. Nothing is decoded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ridgeview::codec {

// `marker` of the pieces that are not marker segments.
inline constexpr std::uint32_t kSegmentData = 0;     // coded data behind a block header
inline constexpr std::uint32_t kSegmentUnknown = 1;  // no marker where one belongs

// Receives one piece: `marker` is 0xFFA0..0xFFA8, kSegmentData or kSegmentUnknown; `offset`
// is that of its first byte, `length` counts its bytes, the marker included.
using SegmentVisitor = void (*)(void* context, std::uint32_t marker, std::size_t offset,
                                std::size_t length);

// Walks the file from its first byte: SOI and EOI are two bytes, every other marker is
// followed by a length field counting itself; the coded data behind a block header runs to
// the next 0xFF that is not followed by a stuffed zero. The walk ends after EOI, at the end
// of the buffer, at a segment cut short by the end (listed with the bytes it has) or at bytes
// that are not a marker (listed as kSegmentUnknown up to the end).
// Calls `visit` (when not null) for each piece in file order and returns how many there are,
// so a caller can count first and then fill. Reads only inside the buffer.
std::size_t list_segments_wsq(const std::uint8_t* data, std::size_t length, SegmentVisitor visit,
                              void* context);

}  // namespace ridgeview::codec
