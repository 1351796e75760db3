// Command-line helpers of ridgeview-fpgen: argument parsing and binary PGM output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ridgeview::tools {

// Parses "WIDTHxHEIGHT" (decimal digits only, 'x' or 'X' between them). Succeeds only for
// a size that IsValidFingerprintSize accepts; the outputs are written only on success.
bool ParseImageSize(std::string_view text, int* width, int* height);

// Parses an unsigned 64-bit seed, decimal or hexadecimal with a 0x prefix. No sign, no
// blanks, no overflow. The output is written only on success.
bool ParseSeed(std::string_view text, std::uint64_t* seed);

// A binary PGM file ("P5", maxval 255) of width x height gray bytes. Empty when the pixel
// count does not match width * height or the size is not positive.
std::vector<std::uint8_t> EncodePgm(int width, int height, const std::vector<std::uint8_t>& pixels);

// Writes bytes to path, replacing the file. Returns false with a reason in *error on failure.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string* error);

}  // namespace ridgeview::tools
