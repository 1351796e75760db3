#include "view/widget/display_image.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "base/large_pages.h"
#include "document/pixel_convert.h"
#include "view/core/paint_geometry.h"

namespace ridgeview::view {
namespace {

// Wraps a valid 24-bit top-down bitmap's rows; a null image when its size does not fit the
// int arguments QImage takes.
QImage WrapRows(const document::Image& rows) {
  const std::uint64_t stride = rows.Stride();
  const std::uint64_t count = rows.RowCount();
  if (rows.width <= 0 || count == 0 || count > INT_MAX || stride > INT_MAX ||
      rows.pixels.size() < stride * count) {
    return {};
  }
  return QImage(rows.pixels.data(), rows.width, static_cast<int>(count),
                static_cast<qsizetype>(stride), QImage::Format_BGR888);
}

bool IsWrappable(const document::Image& bitmap) {
  return bitmap.bitsPerPixel == 24 && bitmap.compression == document::kCompressionRgb &&
         bitmap.IsTopDown();
}

}  // namespace

void DisplayImage::Reset(const document::Image* bitmap) {
  Clear();
  if (bitmap == nullptr || !document::IsValidImage(*bitmap)) return;
  if (IsWrappable(*bitmap)) {
    image_ = WrapRows(*bitmap);
  } else {
    rendered_ = document::RenderRgb24(*bitmap);
    if (!rendered_) return;
    image_ = WrapRows(*rendered_);
    if (image_.isNull()) rendered_.reset();
  }
}

bool DisplayImage::gray() const {
  if (!gray_) gray_ = !image_.isNull() && document::IsGray(RowsOf(image_));
  return *gray_;
}

void DisplayImage::Clear() {
  image_ = QImage();
  rendered_.reset();
  gray_.reset();
}

document::Bgr24Rows RowsOf(const QImage& bgr888) {
  document::Bgr24Rows rows;
  if (bgr888.isNull() || bgr888.format() != QImage::Format_BGR888) return rows;
  rows.data = bgr888.constBits();
  rows.width = bgr888.width();
  rows.height = bgr888.height();
  rows.stride = static_cast<std::size_t>(bgr888.bytesPerLine());
  return rows;
}

QImage ReduceAreaMean(const QImage& source, double zoom, Size contentSize, bool gray) {
  if (source.isNull() || source.format() != QImage::Format_BGR888 || contentSize.w <= 0 ||
      contentSize.h <= 0 || !(zoom > 1.0)) {
    return {};
  }
  QImage out(contentSize.w, contentSize.h, QImage::Format_RGB32);
  if (out.isNull()) return {};
  if (!document::AreaMeanReduce(RowsOf(source), zoom, contentSize.w, contentSize.h,
                                document::ReducedFormat::kXrgb32, out.bits(),
                                static_cast<std::size_t>(out.bytesPerLine()), gray)) {
    return {};
  }
  return out;
}

namespace {

// Client pixels `area` copied from `source` (Format_BGR888) by a per-axis mapping: output
// column i shows source column columnOf(area.x() + i), output row j source row
// rowOf(area.y() + j), both already clamped into the source. Rows that repeat (enlargement)
// are copied from the row just made. Format_RGB32; null when memory is short.
template <typename ColumnOf, typename RowOf>
QImage PickArea(const QImage& source, const QRect& area, ColumnOf columnOf, RowOf rowOf,
                PaintBuffer* buffer) {
  // Source column of every output column, as a byte offset into a source row.
  std::vector<qsizetype> columns;
  try {
    columns.resize(static_cast<std::size_t>(area.width()));
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (int i = 0; i < area.width(); ++i) {
    columns[static_cast<std::size_t>(i)] = static_cast<qsizetype>(columnOf(area.x() + i)) * 3;
  }
  QImage out = buffer != nullptr ? buffer->Take(area.size())
                                 : QImage(area.size(), QImage::Format_RGB32);
  if (out.isNull()) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(area.width()) * 4;
  // Pixel for pixel (zoom 1.00, the usual case while panning): consecutive source pixels.
  bool consecutive = true;
  for (std::size_t i = 1; i < columns.size() && consecutive; ++i) {
    consecutive = columns[i] == columns[i - 1] + 3;
  }
  int previousSy = -1;
  for (int j = 0; j < area.height(); ++j) {
    const int sy = rowOf(area.y() + j);
    auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(j));
    if (sy == previousSy) {
      std::memcpy(dst, out.constScanLine(j - 1), rowBytes);
      continue;
    }
    previousSy = sy;
    const uchar* row = source.constScanLine(sy);
    if (consecutive) {
      const uchar* p = row + columns[0];
      for (int i = 0; i < area.width(); ++i, p += 3) {
        dst[i] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
                 (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
      }
      continue;
    }
    for (int i = 0; i < area.width(); ++i) {
      const uchar* p = row + columns[static_cast<std::size_t>(i)];
      dst[i] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
               (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    }
  }
  return out;
}

}  // namespace

PaintBuffer::~PaintBuffer() {
  if (memory_ != nullptr) base::LargePageAllocator<std::uint32_t>().deallocate(memory_, pixels_);
}

QImage PaintBuffer::Take(QSize size) {
  if (size.isEmpty()) return {};
  if (width_ < size.width() || height_ < size.height()) {
    const int width = std::max(width_, size.width());
    const int height = std::max(height_, size.height());
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    base::LargePageAllocator<std::uint32_t> allocator;
    if (memory_ != nullptr) allocator.deallocate(memory_, pixels_);
    memory_ = nullptr;
    pixels_ = 0;
    width_ = height_ = 0;
    try {
      memory_ = allocator.allocate(pixels);
    } catch (const std::bad_alloc&) {
      return {};
    }
    pixels_ = pixels;
    width_ = width;
    height_ = height;
  }
  // A view of the kept rows: no allocation, and writing to it does not detach the memory.
  return QImage(reinterpret_cast<uchar*>(memory_), size.width(), size.height(),
                static_cast<qsizetype>(width_) * 4, QImage::Format_RGB32);
}

QImage MagnifyArea(const QImage& source, double zoom, Point offset, const QRect& area,
                   PaintBuffer* buffer) {
  if (source.isNull() || source.format() != QImage::Format_BGR888 || area.isEmpty() ||
      !(zoom > 0.0)) {
    return {};
  }
  // Client pixel d shows content pixel offset + d, whose centre lies in image pixel
  // floor((offset + d + 0.5) * zoom).
  const auto sourceOf = [zoom](std::int64_t content, int last) {
    const double v = std::floor((static_cast<double>(content) + 0.5) * zoom);
    return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(last)));
  };
  const int maxX = source.width() - 1;
  const int maxY = source.height() - 1;
  return PickArea(
      source, area, [&](int x) { return sourceOf(std::int64_t{offset.x} + x, maxX); },
      [&](int y) { return sourceOf(std::int64_t{offset.y} + y, maxY); }, buffer);
}

QImage StretchArea(const QImage& source, Rect paintSource, Size client, const QRect& area,
                   PaintBuffer* buffer) {
  if (source.isNull() || source.format() != QImage::Format_BGR888 || area.isEmpty() ||
      client.w <= 0 || client.h <= 0) {
    return {};
  }
  const int maxX = source.width() - 1;
  const int maxY = source.height() - 1;
  return PickArea(
      source, area,
      [&](int x) {
        return std::clamp(SourcePixel(x, paintSource.x, paintSource.w, client.w), 0, maxX);
      },
      [&](int y) {
        return std::clamp(SourcePixel(y, paintSource.y, paintSource.h, client.h), 0, maxY);
      },
      buffer);
}

}  // namespace ridgeview::view
