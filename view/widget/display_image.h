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
#include <cstddef>
#include <cstdint>
#include <optional>

#include "document/area_mean.h"
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

  // True when every pixel has blue = green = red (a WSQ print, a gray bitmap): the readout
  // then says "gray" and reductions average one channel. Found at the first question after a
  // Reset (a scan of every pixel, kept out of the way to the first paint at zoom 1.00).
  bool gray() const;

 private:
  std::optional<document::Image> rendered_;
  QImage image_;
  mutable std::optional<bool> gray_;
};

// The rows of a Format_BGR888 image as the area-mean reducer reads them.
document::Bgr24Rows RowsOf(const QImage& bgr888);

// The whole content of a smoothed reduction: contentSize pixels, pixel (cx, cy) the area mean
// of `source` (Format_BGR888) over [cx * zoom, (cx + 1) * zoom) x [cy * zoom, (cy + 1) * zoom)
// (document/area_mean.h). Made once per image and zoom; painting then copies the part the
// client shows. Format_RGB32; a null image when `source` is not Format_BGR888, the size is
// empty, zoom is not above 1.00 or memory is short.
QImage ReduceAreaMean(const QImage& source, double zoom, Size contentSize, bool gray);

// Memory for the pixels of one paint, kept between paints: a pan then writes into pages that
// are already mapped instead of into a fresh image every time (on some machines first
// touching fresh pages costs more than the drawing).
class PaintBuffer {
 public:
  PaintBuffer() = default;
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;
  ~PaintBuffer();

  // A Format_RGB32 image of `size` over the kept memory (grown when too small); a null image
  // when memory is short. Valid until the next call.
  QImage Take(QSize size);

 private:
  // A full view's pixels are megabytes: they come in huge pages where the system has them.
  std::uint32_t* memory_ = nullptr;
  std::size_t pixels_ = 0;  // allocated
  int width_ = 0;           // the kept rows' width and count
  int height_ = 0;
};

// Client pixels `area` of a magnified view (zoom below 1.00) whose client shows content from
// `offset`: client pixel (dx, dy) shows source pixel (floor((offset.x + dx + 0.5) * zoom),
// floor((offset.y + dy + 0.5) * zoom)), clamped to the source, so that at zoom 1/m every
// source pixel is an m x m square of device pixels (nearest neighbour, no smoothing).
// Format_RGB32, or a null image when `source` is null or not Format_BGR888, `area` is empty or
// memory is short.
QImage MagnifyArea(const QImage& source, double zoom, Point offset, const QRect& area,
                   PaintBuffer* buffer = nullptr);

// Client pixels `area` of a paint, stretched from `source` (Format_BGR888) by nearest
// neighbour: client pixel (dx, dy) shows source pixel (SourcePixel(dx, paintSource.x,
// paintSource.w, client.w), SourcePixel(dy, paintSource.y, paintSource.h, client.h)), the same
// mapping the paint geometry clips with (paint_geometry.h). `area` is in client pixels and
// should lie inside VisiblePart(...).destination; a source pixel that would still fall outside
// `source` is clamped to its edge, so nothing is ever read outside the rows.
// Returns a Format_RGB32 image of area's size, or a null image when `source` is null or not
// Format_BGR888, `area` or `client` is empty, or memory is short.
// With `buffer`, the result lies in its memory (see PaintBuffer).
QImage StretchArea(const QImage& source, Rect paintSource, Size client, const QRect& area,
                   PaintBuffer* buffer = nullptr);

}  // namespace ridgeview::view
