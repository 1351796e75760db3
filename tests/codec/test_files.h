// Small file helpers shared by the codec tests: whole-file reads and binary PGM parsing.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace ridgeview::testing_files {

inline std::string vector_path(const std::string& name) {
  return std::string(RIDGEVIEW_VECTORS_DIR) + "/" + name;
}

inline std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
}

struct Gray {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Binary PGM (P5, maxval 255); width 0 when the file is not one.
inline Gray read_pgm(const std::string& path) {
  const std::vector<std::uint8_t> bytes = read_file(path);
  Gray g;
  std::size_t pos = 0;
  auto token = [&]() {
    std::string t;
    while (pos < bytes.size()) {
      const char c = static_cast<char>(bytes[pos]);
      if (c == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (!t.empty()) break;
        ++pos;
      } else {
        t += c;
        ++pos;
      }
    }
    return t;
  };
  if (token() != "P5") return g;
  const int w = std::stoi(token());
  const int h = std::stoi(token());
  if (std::stoi(token()) != 255) return g;
  ++pos;  // the single white-space byte before the pixels
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (bytes.size() < pos + n) return g;
  g.width = w;
  g.height = h;
  g.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                  bytes.begin() + static_cast<std::ptrdiff_t>(pos + n));
  return g;
}

}  // namespace ridgeview::testing_files
