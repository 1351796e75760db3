// Parser of packed device-independent bitmaps: a bitmap header, then the colour table or the
// three colour masks, then the pixel array, in one block of bytes (the clipboard's bitmap
// format, and the part of a .bmp file after its 14-byte file header).
//
// Every field is checked against the block's length before it is used, and every size is
// computed in 64-bit arithmetic and checked against kMaxPixelBytes before anything is
// allocated, so a block declaring a huge image fails at once. Nothing is allocated beyond
// the pixel bytes the block really holds (plus at most 256 colour entries).
//
// Accepted:
//   * header size 40 (info header), 52, 56 (info header with masks inside), 108 (V4) and
//     124 (V5); the bit-field masks of a 40-byte header follow it, those of the larger
//     headers are read from inside the header;
//   * header size 12 (the old core header: 16-bit width and height, 1/4/8/24 bits, colour
//     entries of 3 bytes, rows bottom row first);
//   * depths 1, 2, 4, 8 (colour table of `colours used` entries, or 2^depth when 0; at most
//     256), 16 and 32 (compression 0 with the default masks, or 3 with masks that are
//     non-zero, contiguous, non-overlapping and within the pixel), 24;
//   * positive heights (bottom row first) and negative heights (top row first).
// Refused: any other header size, width <= 0, height 0 or INT32_MIN, planes != 1, other
// depths, run-length and every other compression, colour tables over 256 entries or past
// the end, bad masks, pixel arrays over kMaxPixelBytes or past the end of the block.
//
// The header's `image bytes` is not trusted for sizing: the pixel array is always
// stride x rows bytes computed from width, height and depth (so a header stating 0, as the
// format allows, works), and the Image carries that computed size in imageBytes. For 16, 24
// and 32 bits without bit fields no colour entries are skipped, whatever `colours used`
// says.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "document/image.h"

namespace ridgeview::document {

// Where the parts of a packed block lie, as found by ParseDibLayout.
struct DibLayout {
  std::uint32_t headerSize = 0;   // 12, 40, 52, 56, 108 or 124
  std::uint64_t tableBytes = 0;   // colour entries or masks between header and pixels
  std::uint64_t pixelBytes = 0;   // stride x rows
  // Offset of the pixels when they follow the table directly (a packed block).
  std::uint64_t PackedPixelOffset() const { return headerSize + tableBytes; }
};

// Validates the header and the colour table or masks of `block` (not the pixels).
std::optional<DibLayout> ParseDibLayout(std::span<const std::uint8_t> block);

// A new Image from a packed block whose pixels directly follow the colour table or masks.
// None when any check above fails.
std::optional<Image> DibToImage(std::span<const std::uint8_t> block);

// The same with the pixels at `pixelOffset` bytes from the block's start (a .bmp file's
// offset field, less 14). The offset must not point inside the header or the colour table,
// and the pixel array must end within the block.
std::optional<Image> DibToImageAt(std::span<const std::uint8_t> block, std::uint64_t pixelOffset);

}  // namespace ridgeview::document
