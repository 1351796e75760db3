// Reading and writing 8-bit gray images as binary PGM (P5, maxval 255) or bare pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ridgeview::tools {

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height bytes, top row first
};

// Parses a binary PGM held in memory. Sets `error` and returns nothing when the bytes are not
// a P5 image with maxval 255 and enough pixel bytes.
std::optional<GrayImage> ParsePgm(std::span<const std::uint8_t> bytes, std::string& error);

// The same for a file read into `bytes`, whose buffer becomes the image's pixels (the header
// is removed in place, so no second copy of the pixels is made).
std::optional<GrayImage> ParsePgm(std::vector<std::uint8_t>&& bytes, std::string& error);

// The header of a binary PGM of width x height.
std::string PgmHeader(int width, int height);

// The file bytes of a binary PGM.
std::vector<std::uint8_t> FormatPgm(const GrayImage& image);

// Whole-file read; false (with `error` set) when the file cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// Parses "WIDTHxHEIGHT" with both parts 1..65535.
bool ParseSize(const std::string& text, int& width, int& height);

}  // namespace ridgeview::tools
