// The bitmap blocks exchanged with the clipboard. Copy places a packed bitmap (header, three
// colour masks, pixels); on this desktop it travels as image/bmp, that is with a 14-byte
// bitmap file header in front. Paste accepts image/bmp data with or without that header.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/image.h"
#include "document/scaled_copy.h"

namespace ridgeview::document {

inline constexpr std::size_t kClipboardDibHeaderSize = 52;  // 40-byte header + 3 masks

// The packed block Copy puts on the clipboard for `image` shown at w x h:
//   bytes 0-39   header: size 40, width w, height h (positive: bottom row first), 1 plane,
//                16 bits, compression 3, image size, pixels per metre 0 and 0,
//                colours used 3, colours important 0;
//   bytes 40-51  masks red, green, blue;
//   bytes 52-    image size bytes of pixels.
// When the image already is a 16-bit bit-field image of w x h stored bottom row first, its
// pixels and masks are taken 1:1; otherwise it is scaled (ScaledCopy, clipboard kind, with
// `method`: picking by default, area averaging for a smoothed view) and the masks are 0x7C00,
// 0x03E0, 0x001F. Image size is stride x h (w x h x 2 for even w;
// for odd w the rows' 2 padding bytes are counted, so no pixel row is ever cut off).
// None when w or h is not positive, the image is not valid, or the copy can't be made.
std::optional<std::vector<std::uint8_t>> MakeClipboardDib(const Image& image, std::int32_t w,
                                                          std::int32_t h,
                                                          ScaleMethod method = {});

// A bitmap file holding a packed block: a 14-byte file header ("BM", file size 14 + block
// size, pixel offset 14 + header + colour table or masks) followed by the block unchanged.
// None when the block does not parse (ParseDibLayout) or does not hold its pixel array.
std::optional<std::vector<std::uint8_t>> WrapDibAsBmpFile(std::span<const std::uint8_t> dib);

// MakeClipboardDib wrapped as a bitmap file: the image/bmp data that Copy offers.
std::optional<std::vector<std::uint8_t>> MakeClipboardBmp(const Image& image, std::int32_t w,
                                                          std::int32_t h,
                                                          ScaleMethod method = {});

// Paste: an Image from image/bmp data, which is either a bitmap file (starting with "BM",
// see BmpBytesToImage) or a bare packed block (see DibToImage). The two cannot be confused:
// a packed block starts with its header size, whose low bytes are never "BM" for any size
// the parser accepts. None when the data is malformed.
std::optional<Image> ClipboardBmpToImage(std::span<const std::uint8_t> data);

}  // namespace ridgeview::document
