// What a paint of the view covers, as pure functions of the view state. This is the geometry
// of picking one source pixel per client pixel, which the view uses at 1.00 and, with "Exact
// pixels", for reductions; magnification and smoothed reductions map client pixel d to
// content pixel offset + d instead (ViewCore::ImagePixelAt, MagnifyArea, ReduceAreaMean).
//
// A paint stretches the source rectangle (ToImage(offset), ToImage(clientSize)) of the bitmap
// onto the whole client area (0, 0, clientSize). Only the part of that source rectangle that
// lies inside the bitmap is drawn; destination pixels whose source lies outside keep the erased
// background. Stretching is nearest-neighbour with the mapping of SourcePixel, so a widget that
// draws VisiblePart().source onto VisiblePart().destination touches exactly the pixels whose
// source is inside the bitmap and nothing of the bitmap outside the client.
//
// Before painting, the background strips right of and below a content smaller than the client
// are filled with the window colour (BackgroundStrips).
#pragma once

#include <cstdint>
#include <optional>

#include "view/core/view_units.h"

namespace ridgeview::view {

struct ViewState;

// The source rectangle of a paint in image pixels: origin ToImage(offset), size
// ToImage(clientSize). May reach beyond the bitmap.
Rect PaintSourceRect(Point offset, Size clientSize, double zoom);

// A stretch copy restricted to the bitmap: `source` (image pixels, inside the bitmap) is drawn
// onto `destination` (client pixels, inside the client).
struct StretchPart {
  Rect source;
  Rect destination;
  friend bool operator==(const StretchPart&, const StretchPart&) = default;
};

// The part of a paint's source rectangle that lies inside a bitmap of bitmapSize and where it
// lands on a client of clientSize. nullopt when no destination pixel shows a bitmap pixel (an
// empty source, client or bitmap, a source wholly outside the bitmap, or a visible sliver that
// the reduction maps onto no whole pixel).
std::optional<StretchPart> VisiblePart(Rect source, Size clientSize, Size bitmapSize);

// The same for the current view state and the bitmap actually held (whose size may differ from
// State().imageSize after a reload). nullopt when no bitmap is held.
std::optional<StretchPart> PlanPaint(const ViewState& state, Size bitmapSize);

// Nearest-neighbour mapping of a destination pixel d of a destination destLength pixels long
// to the source pixel sourceOrigin + floor(d * sourceLength / destLength). destLength must be
// above 0; a non-positive one maps every d to sourceOrigin.
std::int32_t SourcePixel(std::int32_t d, std::int32_t sourceOrigin, std::int32_t sourceLength,
                         std::int32_t destLength);

// The client strips the background erase fills with the window colour: right of the content
// (x from content width to the client's right edge, full client height) when the content is
// narrower than the client, below it (y from content height to the bottom, full client width)
// when it is shorter. A content at least as large as the client erases nothing.
struct BackgroundStrips {
  std::optional<Rect> right;
  std::optional<Rect> below;
};
BackgroundStrips EraseStrips(Size contentSize, Size clientSize);

}  // namespace ridgeview::view
