// Pixel conversions shared by loading, saving and the clipboard: decoded WSQ gray to an
// Image, any Image to 24-bit rows, and 24-bit rows to gray for the WSQ encoder.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/image.h"

namespace ridgeview::document {

// Stride of a 24-bit row: width x 3 rounded up to a multiple of 4 (0 for width <= 0).
std::uint64_t Rgb24Stride(std::int64_t width);

// A 24-bit, top-row-first Image (height stored as -height) from width x height gray bytes
// given top row first without padding; every pixel gets blue = green = red = gray and the
// rows the usual 4-byte stride (width 5: 16 bytes, width 4: 12). No colour table.
// None when width or height is not positive, `gray` holds fewer than width x height bytes,
// the image would exceed kMaxPixelBytes, or memory is short.
std::optional<Image> GrayToImage(std::span<const std::uint8_t> gray, std::int32_t width,
                                 std::int32_t height);

// The whole image converted to 24 bits per pixel: a new top-down Image (height = -rows,
// compression 0, no colour table) whose pixel rows are blue, green, red with stride
// Rgb24Stride(width); padding bytes are 0. Colour-table depths look up each index (an index
// beyond the table gives black); 16 and 32 bits expand their masks (the image's bit fields,
// or 5-5-5 and 8-8-8 without them) to 8 bits per channel with rounding.
// None when the image is not valid (IsValidImage) or memory is short.
std::optional<Image> RenderRgb24(const Image& image);

// Gray bytes (width x height, top row first, no padding) from 24-bit top-down rows of stride
// Rgb24Stride(width): gray = (blue + green + red) div 3, remainder dropped, all channels
// weighing the same. None when width or height is not positive, the product overflows, or
// `rgb` holds fewer than stride x height bytes.
std::optional<std::vector<std::uint8_t>> Rgb24ToGray(std::span<const std::uint8_t> rgb,
                                                     std::int32_t width, std::int32_t height);

}  // namespace ridgeview::document
