#include "document/area_mean.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

namespace ridgeview::document {
namespace {

constexpr std::uint32_t kWeightBits = 14;
constexpr std::uint32_t kWeightOne = 1u << kWeightBits;
// The horizontal pass keeps 8 bits below the level (at most 255 << 8, a 16-bit value).
constexpr std::uint32_t kKeptBits = 8;

// For every target index along one axis: the first source index and `taps` weights (zero
// where the span is shorter), summing to kWeightOne.
struct AxisWeights {
  std::int32_t taps = 0;
  std::vector<std::int32_t> first;
  std::vector<std::uint16_t> weights;  // taps per target index
};

AxisWeights MakeAxis(std::int32_t sourceLength, std::int32_t targetLength, double footprint) {
  AxisWeights axis;
  axis.taps = static_cast<std::int32_t>(std::ceil(footprint)) + 1;
  axis.first.resize(static_cast<std::size_t>(targetLength));
  axis.weights.assign(static_cast<std::size_t>(targetLength) * axis.taps, 0);
  std::vector<double> overlap(static_cast<std::size_t>(axis.taps));
  for (std::int32_t t = 0; t < targetLength; ++t) {
    double a = t * footprint;
    double b = std::min((t + 1) * footprint, static_cast<double>(sourceLength));
    if (a >= sourceLength || b <= a) {
      // Beyond the source: the last pixel.
      a = sourceLength - 1;
      b = sourceLength;
    }
    const auto i0 = static_cast<std::int32_t>(std::floor(a));
    axis.first[static_cast<std::size_t>(t)] = i0;
    double total = 0.0;
    for (std::int32_t k = 0; k < axis.taps; ++k) {
      const double lo = std::max(a, static_cast<double>(i0 + k));
      const double hi = std::min(b, static_cast<double>(i0 + k + 1));
      const double o = (i0 + k < sourceLength && hi > lo) ? hi - lo : 0.0;
      overlap[static_cast<std::size_t>(k)] = o;
      total += o;
    }
    std::uint16_t* w = &axis.weights[static_cast<std::size_t>(t) * axis.taps];
    std::uint32_t sum = 0;
    std::int32_t largest = 0;
    for (std::int32_t k = 0; k < axis.taps; ++k) {
      const auto v = static_cast<std::uint32_t>(
          std::lround(overlap[static_cast<std::size_t>(k)] / total * kWeightOne));
      w[k] = static_cast<std::uint16_t>(v);
      sum += v;
      if (w[k] > w[largest]) largest = k;
    }
    // Exact sums: the rounding error goes to the largest weight.
    w[largest] = static_cast<std::uint16_t>(static_cast<std::int32_t>(w[largest]) +
                                            static_cast<std::int32_t>(kWeightOne) -
                                            static_cast<std::int32_t>(sum));
  }
  return axis;
}

}  // namespace

bool IsGray(const Bgr24Rows& rows) {
  if (rows.data == nullptr) return false;
  for (std::int32_t y = 0; y < rows.height; ++y) {
    const std::uint8_t* p = rows.data + static_cast<std::size_t>(y) * rows.stride;
    std::uint32_t differ = 0;
    for (std::int32_t x = 0; x < rows.width; ++x, p += 3) {
      differ |= static_cast<std::uint32_t>(p[0] ^ p[1]) | static_cast<std::uint32_t>(p[1] ^ p[2]);
    }
    if (differ != 0) return false;
  }
  return true;
}

namespace {

// One target row from a vertically averaged row `in` (levels << kKeptBits, `channels` per
// pixel): the horizontal weighted sums, back to 8 bits, written in the target format.
template <int Channels, int FixedTaps>
void HorizontalRow(const std::uint16_t* in, std::int32_t sourceWidth, const AxisWeights& xs,
                   std::int32_t targetWidth, ReducedFormat format, std::uint8_t* out) {
  constexpr std::uint32_t shift = kWeightBits + kKeptBits;
  constexpr std::uint32_t half = 1u << (shift - 1);
  const std::int32_t taps = FixedTaps > 0 ? FixedTaps : xs.taps;
  for (std::int32_t t = 0; t < targetWidth; ++t) {
    const std::int32_t i0 = xs.first[static_cast<std::size_t>(t)];
    const std::uint16_t* w = &xs.weights[static_cast<std::size_t>(t) * taps];
    const std::uint16_t* p = in + static_cast<std::size_t>(i0) * Channels;
    std::uint32_t acc[3] = {half, half, half};
    // Taps past the row's end have weight 0 and are not read.
    if (FixedTaps > 0 && i0 + FixedTaps <= sourceWidth) {
      for (std::int32_t k = 0; k < FixedTaps; ++k) {
        for (int c = 0; c < Channels; ++c) acc[c] += std::uint32_t{w[k]} * p[k * Channels + c];
      }
    } else {
      const std::int32_t usable = std::min(taps, sourceWidth - i0);
      for (std::int32_t k = 0; k < usable; ++k) {
        for (int c = 0; c < Channels; ++c) acc[c] += std::uint32_t{w[k]} * p[k * Channels + c];
      }
    }
    std::uint32_t b, g, r;
    if (Channels == 1) {
      b = g = r = acc[0] >> shift;
    } else {
      b = acc[0] >> shift;
      g = acc[1] >> shift;
      r = acc[2] >> shift;
    }
    if (format == ReducedFormat::kXrgb32) {
      reinterpret_cast<std::uint32_t*>(out)[t] = 0xFF000000u | (r << 16) | (g << 8) | b;
    } else {
      std::uint8_t* q = out + static_cast<std::size_t>(t) * 3;
      q[0] = static_cast<std::uint8_t>(b);
      q[1] = static_cast<std::uint8_t>(g);
      q[2] = static_cast<std::uint8_t>(r);
    }
  }
}

template <int Channels>
void Horizontal(const std::uint16_t* in, std::int32_t sourceWidth, const AxisWeights& xs,
                std::int32_t targetWidth, ReducedFormat format, std::uint8_t* out) {
  switch (xs.taps) {
    case 2:
      return HorizontalRow<Channels, 2>(in, sourceWidth, xs, targetWidth, format, out);
    case 3:
      return HorizontalRow<Channels, 3>(in, sourceWidth, xs, targetWidth, format, out);
    case 4:
      return HorizontalRow<Channels, 4>(in, sourceWidth, xs, targetWidth, format, out);
    default:
      return HorizontalRow<Channels, 0>(in, sourceWidth, xs, targetWidth, format, out);
  }
}

}  // namespace

bool AreaMeanReduce(const Bgr24Rows& source, double footprint, std::int32_t targetWidth,
                    std::int32_t targetHeight, ReducedFormat format, std::uint8_t* target,
                    std::size_t targetStride, bool gray) {
  if (source.data == nullptr || source.width <= 0 || source.height <= 0 || target == nullptr ||
      targetWidth <= 0 || targetHeight <= 0 || !std::isfinite(footprint) || footprint <= 0.0 ||
      footprint > 1e6) {
    return false;
  }
  try {
    const AxisWeights xs = MakeAxis(source.width, targetWidth, footprint);
    const AxisWeights ys = MakeAxis(source.height, targetHeight, footprint);
    const std::int32_t channels = gray ? 1 : 3;
    const std::size_t rowLength = static_cast<std::size_t>(source.width) * channels;

    // Row by row: the vertical weighted sum of the covered source rows first (contiguous,
    // so it vectorises), kept with 8 bits below the level, then the horizontal one.
    std::vector<std::uint32_t> acc(rowLength);
    std::vector<std::uint16_t> column(rowLength);
    constexpr std::uint32_t keepShift = kWeightBits - kKeptBits;
    constexpr std::uint32_t keepHalf = 1u << (keepShift - 1);
    for (std::int32_t t = 0; t < targetHeight; ++t) {
      const std::int32_t j0 = ys.first[static_cast<std::size_t>(t)];
      const std::uint16_t* w = &ys.weights[static_cast<std::size_t>(t) * ys.taps];
      const std::int32_t usable = std::min(ys.taps, source.height - j0);
      std::fill(acc.begin(), acc.end(), keepHalf);
      std::uint32_t* a = acc.data();
      for (std::int32_t k = 0; k < usable; ++k) {
        const std::uint32_t weight = w[k];
        if (weight == 0) continue;
        const std::uint8_t* row = source.data + static_cast<std::size_t>(j0 + k) * source.stride;
        if (gray) {
          for (std::size_t i = 0; i < rowLength; ++i) a[i] += weight * row[3 * i];
        } else {
          for (std::size_t i = 0; i < rowLength; ++i) a[i] += weight * row[i];
        }
      }
      std::uint16_t* col = column.data();
      for (std::size_t i = 0; i < rowLength; ++i) {
        col[i] = static_cast<std::uint16_t>(a[i] >> keepShift);
      }
      std::uint8_t* out = target + static_cast<std::size_t>(t) * targetStride;
      if (gray) {
        Horizontal<1>(col, source.width, xs, targetWidth, format, out);
      } else {
        Horizontal<3>(col, source.width, xs, targetWidth, format, out);
      }
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

}  // namespace ridgeview::document
