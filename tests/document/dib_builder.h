// Builds packed bitmap blocks and bitmap files field by field, including malformed ones.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "document/image.h"

namespace ridgeview::document::testing {

struct DibFields {
  std::uint32_t headerSize = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t imageBytes = 0;
  std::uint32_t coloursUsed = 0;
  std::vector<ColourEntry> table;       // written right after the header
  std::vector<std::uint32_t> masks;     // inside a header >= 52, else after it
  std::vector<std::uint8_t> pixels;
};

inline void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

inline std::vector<std::uint8_t> BuildDib(const DibFields& f) {
  // Malformed sizes below 40 still get the 40 bytes of fields after them.
  const std::size_t room = f.headerSize == 12 ? 12 : std::max<std::size_t>(f.headerSize, 40);
  std::vector<std::uint8_t> out(room, 0);
  PutLe(out, 0, f.headerSize, 4);
  if (f.headerSize == 12) {
    PutLe(out, 4, static_cast<std::uint32_t>(f.width), 2);
    PutLe(out, 6, static_cast<std::uint32_t>(f.height), 2);
    PutLe(out, 8, f.planes, 2);
    PutLe(out, 10, f.bitsPerPixel, 2);
  } else {
    PutLe(out, 4, static_cast<std::uint32_t>(f.width), 4);
    PutLe(out, 8, static_cast<std::uint32_t>(f.height), 4);
    PutLe(out, 12, f.planes, 2);
    PutLe(out, 14, f.bitsPerPixel, 2);
    PutLe(out, 16, f.compression, 4);
    PutLe(out, 20, f.imageBytes, 4);
    PutLe(out, 32, f.coloursUsed, 4);
  }
  for (std::size_t i = 0; i < f.masks.size(); ++i) {
    if (f.headerSize >= 44 + 4 * i) {
      PutLe(out, 40 + 4 * i, f.masks[i], 4);
    } else {
      out.resize(out.size() + 4);
      PutLe(out, out.size() - 4, f.masks[i], 4);
    }
  }
  for (const ColourEntry& e : f.table) {
    out.push_back(e.blue);
    out.push_back(e.green);
    out.push_back(e.red);
    if (f.headerSize != 12) {
      out.push_back(e.reserved);
    }
  }
  out.insert(out.end(), f.pixels.begin(), f.pixels.end());
  return out;
}

// A bitmap file: file header, the block's header and table, `gap` spare bytes, the pixels.
inline std::vector<std::uint8_t> BuildBmp(const DibFields& f, std::size_t gap = 0) {
  DibFields noPixels = f;
  noPixels.pixels.clear();
  const std::vector<std::uint8_t> head = BuildDib(noPixels);
  std::vector<std::uint8_t> out(14, 0);
  out[0] = 'B';
  out[1] = 'M';
  out.insert(out.end(), head.begin(), head.end());
  out.resize(out.size() + gap, 0xEE);
  PutLe(out, 10, static_cast<std::uint32_t>(out.size()), 4);
  out.insert(out.end(), f.pixels.begin(), f.pixels.end());
  PutLe(out, 2, static_cast<std::uint32_t>(out.size()), 4);
  return out;
}

// A gray ramp colour table of n entries: entry i = (i, i, i) scaled over 0..255.
inline std::vector<ColourEntry> GrayTable(unsigned n) {
  std::vector<ColourEntry> t(n);
  for (unsigned i = 0; i < n; ++i) {
    const auto v = static_cast<std::uint8_t>(n > 1 ? i * 255 / (n - 1) : 0);
    t[i] = ColourEntry{v, v, v, 0};
  }
  return t;
}

}  // namespace ridgeview::document::testing
