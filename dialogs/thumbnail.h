// Thumbnails of the properties sheet: the image fitted into a frame, and the outline of the
// view's visible part drawn on it.
#pragma once

#include <cstdint>
#include <optional>

#include "document/image.h"
#include "view/core/view_units.h"

namespace ridgeview::dialogs {

// The fitting factor of a W x H image in a cw x ch frame: max(W / cw, H / ch) in double
// precision; 0 when any number is not positive.
double FitFactor(int imageWidth, int imageHeight, int frameWidth, int frameHeight);

// The image scaled to fit a frame of frameWidth x frameHeight pixels (FitThumbnail and
// ScaledCopy of the screen kind, reduced by area averaging with the fitting factor as
// footprint, enlarged by nearest neighbour): a 24-bit top-down image, or none when the image
// or the frame is empty or the copy cannot be made.
std::optional<document::Image> MakeThumbnail(const document::Image& image, int frameWidth,
                                             int frameHeight);

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
};
inline constexpr Rgb kOutlineRed{255, 0, 0};

// Draws the outline of `rect` with a 2-pixel pen on a 24-bit top-down image, no fill: the
// pen straddles the rectangle's edges as a 2-pixel pen of the desktop's drawing does, the
// left and top strokes covering the columns x - 1 and x and the rows y - 1 and y, the right
// and bottom strokes the columns x + w - 2 and x + w - 1 and the rows y + h - 2 and
// y + h - 1. Pixels outside the image are skipped; an empty rectangle draws nothing. Does
// nothing to an image that is not 24-bit top-down and valid.
void DrawOutline(document::Image& image, const view::Rect& rect, Rgb colour);

}  // namespace ridgeview::dialogs
