#include "view/core/paint_geometry.h"

#include <algorithm>

#include "view/core/view_core.h"

namespace ridgeview::view {
namespace {

// Ceiling of a / b for a >= 0, b > 0.
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// One axis of VisiblePart: the source span [s0, s0 + sl) clipped to [0, bitmap), and the
// destination span whose pixels map into the clipped part. Returns false when empty.
bool ClipAxis(std::int32_t s0, std::int32_t sl, std::int32_t dl, std::int32_t bitmap,
              std::int32_t& src0, std::int32_t& srcLen, std::int32_t& dst0,
              std::int32_t& dstLen) {
  const std::int64_t start = s0;
  const std::int64_t end = start + sl;
  const std::int64_t in0 = std::max<std::int64_t>(start, 0);
  const std::int64_t in1 = std::min<std::int64_t>(end, bitmap);
  if (in1 <= in0) return false;
  // Destination pixel d shows source s0 + floor(d * sl / dl); it lies in [in0, in1) exactly
  // when ceil((in0 - s0) * dl / sl) <= d < ceil((in1 - s0) * dl / sl). The products stay
  // below 2^32 * 2^31, inside 64 bits.
  const std::int64_t d0 = CeilDiv((in0 - start) * dl, sl);
  const std::int64_t d1 = CeilDiv((in1 - start) * dl, sl);
  if (d1 <= d0) return false;
  src0 = static_cast<std::int32_t>(in0);
  srcLen = static_cast<std::int32_t>(in1 - in0);
  dst0 = static_cast<std::int32_t>(d0);
  dstLen = static_cast<std::int32_t>(d1 - d0);
  return true;
}

}  // namespace

Rect PaintSourceRect(Point offset, Size clientSize, double zoom) {
  const Point origin = ToImage(offset, zoom);
  const Size size = ToImage(clientSize, zoom);
  return {origin.x, origin.y, size.w, size.h};
}

std::optional<StretchPart> VisiblePart(Rect source, Size clientSize, Size bitmapSize) {
  if (source.Empty() || clientSize.w <= 0 || clientSize.h <= 0 || bitmapSize.w <= 0 ||
      bitmapSize.h <= 0) {
    return std::nullopt;
  }
  StretchPart part;
  if (!ClipAxis(source.x, source.w, clientSize.w, bitmapSize.w, part.source.x, part.source.w,
                part.destination.x, part.destination.w) ||
      !ClipAxis(source.y, source.h, clientSize.h, bitmapSize.h, part.source.y, part.source.h,
                part.destination.y, part.destination.h)) {
    return std::nullopt;
  }
  return part;
}

std::optional<StretchPart> PlanPaint(const ViewState& state, Size bitmapSize) {
  if (!state.bitmapHeld) return std::nullopt;
  return VisiblePart(PaintSourceRect(state.offset, state.clientSize, state.zoom),
                     state.clientSize, bitmapSize);
}

std::int32_t SourcePixel(std::int32_t d, std::int32_t sourceOrigin, std::int32_t sourceLength,
                         std::int32_t destLength) {
  if (destLength <= 0) return sourceOrigin;
  const std::int64_t product = static_cast<std::int64_t>(d) * sourceLength;
  // Floor division, also for a negative product.
  std::int64_t q = product / destLength;
  if ((product % destLength) != 0 && (product < 0)) --q;
  return SaturateToInt32(sourceOrigin + q);
}

BackgroundStrips EraseStrips(Size contentSize, Size clientSize) {
  BackgroundStrips strips;
  if (contentSize.w < clientSize.w) {
    const std::int32_t x = std::max<std::int32_t>(0, contentSize.w);
    strips.right = Rect{x, 0, clientSize.w - x, clientSize.h};
  }
  if (contentSize.h < clientSize.h) {
    const std::int32_t y = std::max<std::int32_t>(0, contentSize.h);
    strips.below = Rect{0, y, clientSize.w, clientSize.h - y};
  }
  return strips;
}

}  // namespace ridgeview::view
