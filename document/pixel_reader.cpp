#include "document/pixel_reader.h"

#include <bit>

namespace ridgeview::document {

MaskChannel::MaskChannel(std::uint32_t m) : mask(m) {
  if (m == 0) {
    // Never used by a valid image; keeps Expand() defined (always 0).
    maximum = 1;
    return;
  }
  shift = std::countr_zero(m);
  maximum = m >> shift;
}

PixelReader::PixelReader(const Image& image) : image_(image) {
  if (image.bitsPerPixel == 16 || image.bitsPerPixel == 32) {
    const bool fields = image.compression == kCompressionBitFields;
    const bool wide = image.bitsPerPixel == 32;
    red_ = MaskChannel(fields ? image.redMask : (wide ? kRed888 : kRed555));
    green_ = MaskChannel(fields ? image.greenMask : (wide ? kGreen888 : kGreen555));
    blue_ = MaskChannel(fields ? image.blueMask : (wide ? kBlue888 : kBlue555));
  }
}

Bgr PixelReader::FromIndex(std::uint32_t index) const {
  if (index >= image_.colourTable.size()) {
    return Bgr{};  // beyond the table: black
  }
  const ColourEntry& e = image_.colourTable[index];
  return Bgr{e.blue, e.green, e.red};
}

Bgr PixelReader::At(const std::uint8_t* row, std::uint32_t x) const {
  switch (image_.bitsPerPixel) {
    case 1:
      return FromIndex((row[x >> 3] >> (7 - (x & 7))) & 0x1);
    case 2:
      return FromIndex((row[x >> 2] >> (6 - 2 * (x & 3))) & 0x3);
    case 4:
      return FromIndex((row[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF);
    case 8:
      return FromIndex(row[x]);
    case 16: {
      const std::uint8_t* p = row + 2 * static_cast<std::uint64_t>(x);
      const std::uint32_t v = p[0] | (static_cast<std::uint32_t>(p[1]) << 8);
      return Bgr{blue_.Expand(v), green_.Expand(v), red_.Expand(v)};
    }
    case 24: {
      const std::uint8_t* p = row + 3 * static_cast<std::uint64_t>(x);
      return Bgr{p[0], p[1], p[2]};
    }
    case 32: {
      const std::uint8_t* p = row + 4 * static_cast<std::uint64_t>(x);
      const std::uint32_t v = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
                              (static_cast<std::uint32_t>(p[2]) << 16) |
                              (static_cast<std::uint32_t>(p[3]) << 24);
      return Bgr{blue_.Expand(v), green_.Expand(v), red_.Expand(v)};
    }
    default:
      return Bgr{};
  }
}

void PixelReader::ReadRow(const std::uint8_t* row, std::uint8_t* bgr) const {
  const std::uint32_t width = static_cast<std::uint32_t>(image_.width);
  if (image_.bitsPerPixel == 24) {
    for (std::uint64_t i = 0; i < 3 * static_cast<std::uint64_t>(width); ++i) {
      bgr[i] = row[i];
    }
    return;
  }
  for (std::uint32_t x = 0; x < width; ++x) {
    const Bgr c = At(row, x);
    bgr[3 * static_cast<std::uint64_t>(x)] = c.blue;
    bgr[3 * static_cast<std::uint64_t>(x) + 1] = c.green;
    bgr[3 * static_cast<std::uint64_t>(x) + 2] = c.red;
  }
}

}  // namespace ridgeview::document
