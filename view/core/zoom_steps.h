// The zoom ladder that Ctrl + wheel, Ctrl + Plus and Ctrl + Minus step through, and the zoom
// that fits an image into the view (Ctrl + 9).
//
// The ladder: the magnifications 1/16, 1/8, 1/4, 1/2 (16, 8, 4 and 2 x, each image pixel a
// square of that many device pixels), 1.00, and then the reductions 1.25, 1.50, 2, 3, 4, 6, 8,
// 12, 16, 24, ... (from 2 on alternately x 1.5 and x 4/3, about a third more each step), every
// one a trackbar position (a multiple of 0.01) so that the slider shows it exactly.
#pragma once

#include "view/core/view_units.h"

namespace ridgeview::view {

// The next ladder zoom that shows the image larger (a smaller zoom), or `zoom` itself when it
// is already at 1/16 or below. A zoom between two ladder values goes to the lower one.
double LargerZoom(double zoom);

// The next ladder zoom that shows the image smaller (a larger zoom). A zoom between two
// ladder values goes to the upper one. The caller limits it to the trackbar's maximum.
double SmallerZoom(double zoom);

// The zoom at which the whole image fits a client of clientSize: for an image larger than the
// client max(W / cw, H / ch) rounded up to the next multiple of 0.01 (a trackbar position, at
// which the image still fits); for a smaller one the largest magnification of the ladder
// (2, 4, 8 or 16 x) at which it fits, or 1.00 when none does. 1.00 for empty sizes.
double FitZoom(Size imageSize, Size clientSize);

}  // namespace ridgeview::view
