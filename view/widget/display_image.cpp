#include "view/widget/display_image.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

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
    return;
  }
  rendered_ = document::RenderRgb24(*bitmap);
  if (!rendered_) return;
  image_ = WrapRows(*rendered_);
  if (image_.isNull()) rendered_.reset();
}

void DisplayImage::Clear() {
  image_ = QImage();
  rendered_.reset();
}

QImage StretchArea(const QImage& source, Rect paintSource, Size client, const QRect& area) {
  if (source.isNull() || source.format() != QImage::Format_BGR888 || area.isEmpty() ||
      client.w <= 0 || client.h <= 0) {
    return {};
  }
  const int maxX = source.width() - 1;
  const int maxY = source.height() - 1;

  // Source column of every output column, as a byte offset into a source row.
  std::vector<qsizetype> columns;
  try {
    columns.resize(static_cast<std::size_t>(area.width()));
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (int i = 0; i < area.width(); ++i) {
    const int sx = std::clamp(SourcePixel(area.x() + i, paintSource.x, paintSource.w, client.w),
                              0, maxX);
    columns[static_cast<std::size_t>(i)] = static_cast<qsizetype>(sx) * 3;
  }

  QImage out(area.size(), QImage::Format_RGB32);
  if (out.isNull()) return {};
  const qsizetype rowBytes = static_cast<qsizetype>(area.width()) * 4;
  int previousSy = -1;
  for (int j = 0; j < area.height(); ++j) {
    const int sy = std::clamp(SourcePixel(area.y() + j, paintSource.y, paintSource.h, client.h),
                              0, maxY);
    auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(j));
    if (sy == previousSy) {
      // Enlarged rows repeat: copy the row just made.
      std::memcpy(dst, out.constScanLine(j - 1), static_cast<std::size_t>(rowBytes));
      continue;
    }
    previousSy = sy;
    const uchar* row = source.constScanLine(sy);
    for (int i = 0; i < area.width(); ++i) {
      const uchar* p = row + columns[static_cast<std::size_t>(i)];
      dst[i] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
               (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    }
  }
  return out;
}

}  // namespace ridgeview::view
