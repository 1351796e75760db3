// Portable Network Graphics (.png) files written by the Save command: 8-bit gray when every
// pixel is gray, else 24-bit colour, non-interlaced, compressed with zlib. Byte in, byte out:
// the caller writes the bytes (atomically) wherever it wants.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/image.h"

namespace ridgeview::document {

inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

enum class PngColour : std::uint8_t {
  kGray8 = 0,  // colour type 0: one byte per pixel
  kRgb24 = 2,  // colour type 2: red, green, blue
};

// Bytes of a PNG file: the signature, IHDR (width, height, bit depth 8, the colour type, no
// interlace), IDAT chunks holding the zlib stream of the filtered rows, and IEND. Each row
// gets the filter (none, sub, up, average or Paeth) whose output has the smallest sum of
// magnitudes, the usual choice of PNG writers.
//   kGray8: `pixels` holds width gray bytes per row, rows `stride` bytes apart;
//   kRgb24: `pixels` holds blue, green, red per pixel (the render's order), rows `stride`
//           bytes apart; the file stores red, green, blue.
// Rows are given top row first. None when width or height is not positive, the stride is
// shorter than a row, `pixels` is shorter than the rows, or memory is short.
std::optional<std::vector<std::uint8_t>> EncodePngFile(std::span<const std::uint8_t> pixels,
                                                       std::int32_t width, std::int32_t height,
                                                       std::uint64_t stride, PngColour colour);

// The PNG file of 24-bit top-down rows (blue, green, red, stride Rgb24Stride(width)): 8-bit
// gray when every pixel is gray (so a WSQ image keeps its exact gray values), 24-bit colour
// otherwise. None when the rows are too short or memory is short.
std::optional<std::vector<std::uint8_t>> Rgb24ToPngFile(std::span<const std::uint8_t> rows,
                                                        std::int32_t width, std::int32_t height);

}  // namespace ridgeview::document
