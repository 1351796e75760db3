// Minimal reader and writer of 8-bit binary PGM images (P5, maxval 255) and whole files,
// for tests that use the reference vectors.
#pragma once

#include <cctype>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ridgeview::testing_pgm {

struct PgmImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;  // width * height, top row first
};

inline std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Parses "P5 <width> <height> <maxval>" with '#' comments, one whitespace byte, then the
// pixels. Returns false for anything else (other formats, maxval != 255, short data).
inline bool parse_pgm(const std::vector<unsigned char>& bytes, PgmImage* image) {
  std::size_t pos = 0;
  auto next_number = [&](long* value) {
    for (;;) {
      while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
      if (pos < bytes.size() && bytes[pos] == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
        continue;
      }
      break;
    }
    if (pos >= bytes.size() || !std::isdigit(bytes[pos])) return false;
    long v = 0;
    while (pos < bytes.size() && std::isdigit(bytes[pos]) && v < 1000000) {
      v = v * 10 + (bytes[pos++] - '0');
    }
    *value = v;
    return true;
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '5') return false;
  pos = 2;
  long w = 0, h = 0, maxval = 0;
  if (!next_number(&w) || !next_number(&h) || !next_number(&maxval)) return false;
  if (maxval != 255 || w <= 0 || h <= 0 || pos >= bytes.size()) return false;
  ++pos;  // the single whitespace byte before the pixels
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (bytes.size() - pos < n) return false;
  image->width = static_cast<int>(w);
  image->height = static_cast<int>(h);
  image->pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                       bytes.begin() + static_cast<std::ptrdiff_t>(pos + n));
  return true;
}

inline bool read_pgm(const std::string& path, PgmImage* image) {
  return parse_pgm(read_file(path), image);
}

}  // namespace ridgeview::testing_pgm
