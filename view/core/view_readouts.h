// Values other parts of the program read off the view: the scroll point the settings store on
// close, and the outline of the visible part that the properties sheet draws on its thumbnail.
#pragma once

#include <optional>

#include "view/core/view_units.h"

namespace ridgeview::view {

// The image point at the view's top-left corner, as stored in the "Scroll" setting:
// (trunc(offset.x * zoom), trunc(offset.y * zoom)). Reopening the image with this point and
// the same zoom shows the same region, up to one pixel of truncation per axis.
Point SettingsScrollPoint(Point offset, double zoom);

// The visible part of the image as a rectangle on a thumbnail made with fitting factor
// `fit` (thumbnail pixel = image pixel / fit). The client's corners (0, 0) and clientSize are
// taken to image units as ToImage(offset) + ToImage(corner) and clipped to the image
// (0, 0)..imageSize, so that a client larger than the image outlines the whole thumbnail
// with all four sides on it; the top-left corner and the size (bottom-right minus top-left)
// are then scaled by 1.0 / fit with truncation. nullopt when fit is not a finite number above
// 0. An imageSize with a non-positive side clips nothing on that axis.
std::optional<Rect> VisibleOutline(Point offset, Size clientSize, double zoom, double fit,
                                   Size imageSize);

}  // namespace ridgeview::view
