// Scaled copies of an Image (thumbnails for the properties sheet, the zoomed image for the
// clipboard) and the thumbnail fitting rule.
#pragma once

#include <cstdint>
#include <optional>

#include "document/image.h"

namespace ridgeview::document {

enum class ScaleKind {
  // For showing on screen: a 24-bit, top-down image (compression 0, no colour table), so the
  // caller can draw on it in any colour and hand it to the display without a palette.
  kScreen,
  // For the clipboard: a 16-bit bit-field image, bottom row first, masks red 0x7C00,
  // green 0x03E0, blue 0x001F (the top bit of each pixel is 0), pixels per metre 0 and 0,
  // colours used 3, colours important 0.
  kClipboard,
};

// How a copy is scaled.
struct ScaleMethod {
  // false: nearest neighbour, one source pixel picked per target pixel. true: area
  // averaging (area_mean.h) with `footprint` source pixels per target pixel, the drawing of
  // the view's smoothed reductions; a footprint of at most 1 (an enlargement) picks by
  // nearest neighbour anyway.
  bool areaMean = false;
  double footprint = 1.0;
};

// A new image of target size w x h holding `source` stretched by nearest neighbour (target
// pixel x takes source pixel x * sourceWidth div w, likewise for rows), or copied 1:1 when
// the sizes are equal; with method.areaMean and a footprint above 1, reduced by area
// averaging instead (source rendered to 24 bits first when it has another depth). Its
// imageBytes is the padded array size stride x h; for even widths at 16 bits that is exactly
// w x h x 2.
// None when the source is not valid, w or h is not positive, the target would exceed
// kMaxPixelBytes, or memory is short.
std::optional<Image> ScaledCopy(const Image& source, std::int32_t w, std::int32_t h,
                                ScaleKind kind, ScaleMethod method = {});

struct ThumbnailSize {
  int width = 0;
  int height = 0;
};

// Size of the thumbnail of a W x H image in a cw x ch frame: f = max(W / cw, H / ch) in
// double precision, size (int)(W x (1.0 / f)) by (int)(H x (1.0 / f)), truncated toward
// zero. The thumbnail fills the frame in one direction, scaled up for small images.
// 0 x 0 when any of the four numbers is not positive.
ThumbnailSize FitThumbnail(int imageWidth, int imageHeight, int frameWidth, int frameHeight);

}  // namespace ridgeview::document
