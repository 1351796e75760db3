// Reads the colour of any pixel of a valid Image, whatever its depth: colour-table lookup for
// 1 to 8 bits, mask expansion for 16 and 32 bits, plain bytes for 24 bits. Shared by the
// 24-bit render and the scaled copies.
#pragma once

#include <cstdint>

#include "document/image.h"

namespace ridgeview::document {

struct Bgr {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
};

// One colour channel of a bit-field pixel: value = ((pixel & mask) >> shift), 0..maximum,
// scaled to 0..255 with rounding (so a 5-bit 31 gives 255 and an 8-bit channel is kept
// unchanged).
struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t maximum = 1;

  explicit MaskChannel(std::uint32_t m);
  MaskChannel() = default;
  std::uint8_t Expand(std::uint32_t pixel) const {
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + maximum / 2) / maximum);
  }
};

class PixelReader {
 public:
  // `image` must pass IsValidImage and outlive the reader.
  explicit PixelReader(const Image& image);

  // Colour of pixel x (< width) of a row obtained from image.TopDownRow().
  Bgr At(const std::uint8_t* row, std::uint32_t x) const;

  // The whole row as width x 3 bytes blue, green, red.
  void ReadRow(const std::uint8_t* row, std::uint8_t* bgr) const;

 private:
  Bgr FromIndex(std::uint32_t index) const;

  const Image& image_;
  MaskChannel red_, green_, blue_;
};

}  // namespace ridgeview::document
