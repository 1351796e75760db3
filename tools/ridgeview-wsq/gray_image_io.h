// Reading and writing 8-bit gray images as binary PGM (P5, maxval 255) or bare pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/large_pages.h"

namespace ridgeview::tools {

// A file's bytes: a large file lives in huge pages (base/large_pages.h), so that it is read
// without faulting in 4 KiB at a time.
using FileBytes = std::vector<std::uint8_t, base::LargePageAllocator<std::uint8_t>>;

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes, top row first
};

// Where the pixels of a binary PGM held in memory are.
struct PgmLayout {
  int width = 0;
  int height = 0;
  std::size_t offset = 0;  // of the first pixel
};
// Reads the header of a binary PGM; sets `error` and returns nothing when the bytes are not a
// P5 image with maxval 255 and enough pixel bytes.
std::optional<PgmLayout> ParsePgmHeader(std::span<const std::uint8_t> bytes, std::string& error);

// Parses a binary PGM held in memory. Sets `error` and returns nothing when the bytes are not
// a P5 image with maxval 255 and enough pixel bytes.
std::optional<GrayImage> ParsePgm(std::span<const std::uint8_t> bytes, std::string& error);


// The header of a binary PGM of width x height.
std::string PgmHeader(int width, int height);

// The file bytes of a binary PGM.
std::vector<std::uint8_t> FormatPgm(const GrayImage& image);

// Whole-file read, in one read for a regular file; false (with `error` set) when the file
// cannot be read.
bool ReadWholeFile(const std::string& path, FileBytes& bytes, std::string& error);

// Parses "WIDTHxHEIGHT" with both parts 1..65535.
bool ParseSize(const std::string& text, int& width, int& height);

}  // namespace ridgeview::tools
