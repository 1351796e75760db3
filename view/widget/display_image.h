// The bitmap in the form the view paints from, and the nearest-neighbour stretch that turns the
// visible part of it into client pixels.
//
// The document's 24-bit rows hold blue, green, red per pixel, which is QImage's Format_BGR888.
// A 24-bit, top-row-first, uncompressed bitmap is therefore wrapped as it is, without a copy;
// any other bitmap is rendered once to 24 bits (document::RenderRgb24) and the rendering is
// wrapped instead. Painting then only ever reads Format_BGR888 rows.
#pragma once

#include <QImage>
#include <QRect>
#include <optional>

#include "document/image.h"
#include "view/core/view_units.h"

namespace ridgeview::view {

class DisplayImage {
 public:
  DisplayImage() = default;
  DisplayImage(const DisplayImage&) = delete;
  DisplayImage& operator=(const DisplayImage&) = delete;

  // Prepares `bitmap` for painting. The bitmap is not owned: it must stay alive and unchanged
  // until the next Reset or Clear, since the QImage may wrap its pixel rows. A null, invalid
  // (document::IsValidImage) or unrenderable bitmap leaves the display empty.
  void Reset(const document::Image* bitmap);

  // Drops the display (and any rendering). Call before the wrapped bitmap is freed.
  void Clear();

  // Format_BGR888, or a null QImage when there is nothing to paint.
  const QImage& image() const { return image_; }
  bool empty() const { return image_.isNull(); }

  // True when image() shares the bitmap's own rows (no rendering was needed).
  bool wrapsBitmap() const { return !image_.isNull() && !rendered_; }

 private:
  std::optional<document::Image> rendered_;
  QImage image_;
};

// Client pixels `area` of a paint, stretched from `source` (Format_BGR888) by nearest
// neighbour: client pixel (dx, dy) shows source pixel (SourcePixel(dx, paintSource.x,
// paintSource.w, client.w), SourcePixel(dy, paintSource.y, paintSource.h, client.h)), the same
// mapping the paint geometry clips with (paint_geometry.h). `area` is in client pixels and
// should lie inside VisiblePart(...).destination; a source pixel that would still fall outside
// `source` is clamped to its edge, so nothing is ever read outside the rows.
// Returns a Format_RGB32 image of area's size, or a null image when `source` is null or not
// Format_BGR888, `area` or `client` is empty, or memory is short.
QImage StretchArea(const QImage& source, Rect paintSource, Size client, const QRect& area);

}  // namespace ridgeview::view
