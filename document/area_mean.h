// Reduction by area averaging: every target pixel is the mean of the source pixels it covers,
// each weighted by the part of it that the target pixel covers. Unlike picking one source pixel
// per target pixel it cannot alias a fine periodic pattern (a fingerprint's ridges) into false
// coarse ones (moiré). The view's smoothed reductions, the clipboard copy of such a view and the
// properties sheet's thumbnails all use it, so all three draw the same pixels.
//
// Geometry: with footprint f (source pixels per target pixel, f >= 1 for a reduction), target
// column t covers the source span [t * f, (t + 1) * f), clipped to the source; rows alike. The
// weights are those spans' overlaps with each source pixel, normalised per target pixel to
// 2^14 in integers (exact sums), and the result is rounded to the nearest level. A flat source
// gives exactly its value back.
//
// Plain C++, no Qt: the view, the document and the benchmark share it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ridgeview::document {

// Rows of 24-bit pixels (blue, green, red), top row first, `stride` bytes apart.
struct Bgr24Rows {
  const std::uint8_t* data = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t stride = 0;
};

enum class ReducedFormat {
  kXrgb32,  // 4 bytes per pixel: blue, green, red, 0xFF (Qt's Format_RGB32 in memory)
  kBgr24,   // 3 bytes per pixel: blue, green, red
};

// Whether every pixel of `rows` has blue = green = red.
bool IsGray(const Bgr24Rows& rows);

// Reduces `source` into targetWidth x targetHeight pixels at `target` (rows `targetStride`
// bytes apart, top row first) in the given format, by area averaging with `footprint` source
// pixels per target pixel (see above). A target pixel whose span lies wholly beyond the source
// takes the source's last column / row. `gray`: the source is known to be gray (IsGray), so
// only one channel is averaged, three times faster; the result is the same.
// Returns false, writing nothing, for an empty or null source or target, a footprint that is
// not finite and above 0, or when memory is short.
bool AreaMeanReduce(const Bgr24Rows& source, double footprint, std::int32_t targetWidth,
                    std::int32_t targetHeight, ReducedFormat format, std::uint8_t* target,
                    std::size_t targetStride, bool gray);

}  // namespace ridgeview::document
