// The document's bitmap: a device-independent bitmap held as a plain record of its
// bitmap-info header fields, its colour table or colour masks, and its pixel rows exactly as
// stored. Every conversion in document/ reads and writes this record; nothing here knows
// about a display.
//
// Ownership: an Image is a value (copyable, movable); whoever holds it owns its pixels. The
// functions of document/ that make images return std::optional<Image>, empty on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/large_pages.h"

namespace ridgeview::document {

// The storage of an image's pixel rows.
using PixelBytes = std::vector<std::uint8_t, base::LargePageAllocator<std::uint8_t>>;

// One colour-table entry, in the byte order of the stored table.
struct ColourEntry {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;  // always 0 in tables this library builds or reads
};

// Compression values an Image may carry.
inline constexpr std::uint32_t kCompressionRgb = 0;        // plain pixels
inline constexpr std::uint32_t kCompressionBitFields = 3;  // 16/32 bits, masks below apply

// Largest pixel array (stride x rows, bytes) any Image may have. Larger requests are refused
// before anything is allocated. It also keeps every size in a signed 32-bit int.
inline constexpr std::uint64_t kMaxPixelBytes = 0x7FFFFFFF;

// Default masks used when a 16- or 32-bit image has compression kCompressionRgb.
inline constexpr std::uint32_t kRed555 = 0x7C00, kGreen555 = 0x03E0, kBlue555 = 0x001F;
inline constexpr std::uint32_t kRed888 = 0x00FF0000, kGreen888 = 0x0000FF00, kBlue888 = 0x000000FF;

struct Image {
  // Header fields, with their stored meaning.
  std::int32_t width = 0;          // pixels per row, > 0
  std::int32_t height = 0;         // rows; > 0: bottom row stored first, < 0: top row first
  std::uint16_t planes = 1;        // always 1
  std::uint16_t bitsPerPixel = 24; // 1, 2, 4, 8, 16, 24 or 32
  std::uint32_t compression = kCompressionRgb;
  std::uint32_t imageBytes = 0;    // size of the pixel array: Stride() x RowCount()
  std::int32_t xPixelsPerMetre = 0;
  std::int32_t yPixelsPerMetre = 0;
  std::uint32_t coloursUsed = 0;   // header value; 0 means 2^depth for 1 to 8 bits
  std::uint32_t coloursImportant = 0;

  // Colour table: present (non-empty) for 1 to 8 bits per pixel only, at most 256 entries.
  // A pixel index at or beyond its size renders black.
  std::vector<ColourEntry> colourTable;

  // Bit-field masks, meaningful when compression is kCompressionBitFields (16/32 bits only).
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;

  // Pixel rows in stored order (see height), each Stride() bytes including padding. A large
  // image's rows are backed by huge pages (base/large_pages.h).
  PixelBytes pixels;

  // Bytes per stored row: ((width x bits per pixel + 31) div 32) x 4; 0 when width <= 0.
  std::uint64_t Stride() const;
  // Number of rows: |height| (as a 64-bit number, so INT32_MIN cannot overflow).
  std::uint64_t RowCount() const;
  // Start of row y counted from the top (0 = top row), whichever order the rows are stored
  // in. Only for an image that passes IsValidImage and y < RowCount().
  const std::uint8_t* TopDownRow(std::uint64_t y) const;
  std::uint8_t* TopDownRow(std::uint64_t y);
  bool IsTopDown() const { return height < 0; }
};

// Stride of a row of `width` pixels at `bitsPerPixel`, in 64-bit arithmetic (cannot overflow
// for any int32 width and 16-bit depth).
std::uint64_t RowStride(std::int64_t width, std::uint32_t bitsPerPixel);

// True for the depths an Image may have: 1, 2, 4, 8, 16, 24, 32.
bool IsSupportedDepth(std::uint32_t bitsPerPixel);

// True when the three masks are usable for the given depth: each non-zero, made of one run
// of adjacent bits, within the pixel's bits, and no two sharing a bit.
bool AreValidMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                   std::uint32_t bitsPerPixel);

// Checks every invariant the conversions rely on: width > 0, height neither 0 nor INT32_MIN,
// 1 plane, a supported depth, compression 0 or (for 16/32 bits) 3 with valid masks, at most
// 256 colour entries and none for 16 to 32 bits, a pixel array within kMaxPixelBytes and
// pixels holding at least Stride() x RowCount() bytes.
bool IsValidImage(const Image& image);

// A new image of the given size and depth with compression 0, all pixel bytes 0 and
// imageBytes set; height < 0 makes a top-down image. For 1 to 8 bits the colour table is
// left empty (the caller fills it). None when the size is invalid or too large, or memory is
// short.
std::optional<Image> CreateImage(std::int32_t width, std::int32_t height,
                                 std::uint16_t bitsPerPixel);

// The header facts that the properties sheet and the save path read.
struct ImageHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // positive number of rows
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageBytes = 0;
  std::uint32_t coloursUsed = 0;
};

// Header query. Height is reported as a positive row count (clamped to INT32_MAX for the
// invalid INT32_MIN, which a valid image never has).
ImageHeader QueryHeader(const Image& image);

}  // namespace ridgeview::document
