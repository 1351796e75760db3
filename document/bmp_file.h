// Windows bitmap (.bmp) files: the 14-byte file header in front of a packed bitmap.
// Reading keeps the file's own depth and layout; writing makes the uncompressed 24-bit,
// top-row-first files of the Save command.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "document/image.h"

namespace ridgeview::document {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpHeadersSize = 54;  // file header + 40-byte info header

// Bytes of a bitmap file holding `rows` (top row first, each already padded to the stride
// width x (bitsPerPixel div 8) rounded up to a multiple of 4):
//   "BM", file size 54 + image size, two reserved 0, pixel offset 54,
//   header size 40, width, -height, 1 plane, bitsPerPixel, compression 0,
//   image size stride x height, pixels per metre 0 and 0, colours used 0, important 0,
//   then image size bytes taken from `rows` as they are (padding included).
// bitsPerPixel must be 24 or 32 (depths that need no colour table). None when width or
// height is not positive, rows holds fewer than stride x height bytes, or the file would
// exceed kMaxPixelBytes + 54.
std::optional<std::vector<std::uint8_t>> EncodeBmpFile(std::span<const std::uint8_t> rows,
                                                       std::int32_t width, std::int32_t height,
                                                       std::uint16_t bitsPerPixel);

// EncodeBmpFile written to `path` with WriteFileAtomically: on any failure the file at path
// keeps its old contents (or stays absent). Returns success.
bool WriteBmpFile(std::span<const std::uint8_t> rows, std::int32_t width, std::int32_t height,
                  std::uint16_t bitsPerPixel, const std::filesystem::path& path);

// The bitmap file of any valid Image: rendered to 24 bits (RenderRgb24), then encoded.
std::optional<std::vector<std::uint8_t>> ImageToBmpFile(const Image& image);

// An Image from the bytes of a bitmap file: "BM", then the pixel offset (bytes 10 to 13)
// checked to lie after the bitmap header and its colour table, with the whole pixel array
// before the end; the header itself is parsed by DibToImageAt (see dib_reader.h). The file
// size field is not relied on. None when anything is malformed.
std::optional<Image> BmpBytesToImage(std::span<const std::uint8_t> bytes);

// Reads the file at `path` and parses it with BmpBytesToImage. Files that cannot be read,
// and files larger than any image this library accepts, give none.
std::optional<Image> LoadBmpFile(const std::filesystem::path& path);

}  // namespace ridgeview::document
