#include "tools/fpgen/fingerprint_generator.h"

#include <algorithm>
#include <cmath>

#include "tools/fpgen/deterministic_math.h"
#include "tools/fpgen/finger_layout.h"
#include "tools/fpgen/ridge_synthesis.h"

namespace ridgeview::tools {
namespace {

// Gray levels of the dry background and of a fully inked ridge.
constexpr double kPaper = 236.0;
constexpr double kInk = 38.0;
// Pores: at most one per kPoreCell x kPoreCell cell, placed only on ridge centres.
constexpr int kPoreCell = 7;
constexpr double kPoreRadius = 2.0;
// Columns computed beyond the last covered pixel of a row.
constexpr int kSpanMargin = 8;

// Salt for each independent random stream derived from the layout's noise seed.
enum Stream : std::uint64_t {
  kStreamRidges = 11,
  kStreamPoreSite = 12,
  kStreamPoreKeep = 13,
  kStreamGrain = 14,
  kStreamDryness = 15,
  kStreamPaper = 16,
};

// Lightens ridge centres at scattered sites, lowering the ridge value around each pore.
void PunchPores(std::vector<float>& ridges, int width, int height, std::uint64_t seed) {
  const int reach = static_cast<int>(kPoreRadius) + 1;
  for (int cy = 0; cy * kPoreCell < height; ++cy) {
    for (int cx = 0; cx * kPoreCell < width; ++cx) {
      if (HashUnit(seed + kStreamPoreKeep, cx, cy) > 0.35) continue;
      const std::uint32_t h = HashLattice(seed + kStreamPoreSite, cx, cy);
      const double px = cx * kPoreCell + (h & 0xFFFF) * (kPoreCell / 65536.0);
      const double py = cy * kPoreCell + (h >> 16) * (kPoreCell / 65536.0);
      const int ix = static_cast<int>(px);
      const int iy = static_cast<int>(py);
      if (ix >= width || iy >= height) continue;
      if (ridges[static_cast<std::size_t>(iy) * width + ix] < 0.85f) continue;
      for (int y = iy - reach; y <= iy + reach; ++y) {
        if (y < 0 || y >= height) continue;
        for (int x = ix - reach; x <= ix + reach; ++x) {
          if (x < 0 || x >= width) continue;
          const double dx = x + 0.5 - px;
          const double dy = y + 0.5 - py;
          const double d = std::sqrt(dx * dx + dy * dy);
          if (d >= kPoreRadius) continue;
          const double k = 1.0 - d / kPoreRadius;
          float& v = ridges[static_cast<std::size_t>(y) * width + x];
          v = static_cast<float>(v - 2.8 * k);
        }
      }
    }
  }
}

// Turns the ridge field into gray levels with the finger's coverage, pressure and grain.
std::uint8_t Shade(const FingerLayout& f, int x, int y, float ridge, double coverage) {
  const double px = x + 0.5;
  const double py = y + 0.5;
  // Slowly varying paper tone and fine sensor grain on every pixel.
  const double paper = kPaper + 8.0 * (ValueNoise(f.noise_seed + kStreamPaper, px / 60.0,
                                                  py / 60.0) - 0.5);
  const double grain = HashUnit(f.noise_seed + kStreamGrain, x, y) - 0.5;
  double gray = paper + 6.0 * grain;
  if (coverage > 0.0) {
    const double pressure = FingerPressure(f, px, py, coverage);
    // Firm contact widens ridges (a lower threshold on the ridge field); light contact
    // narrows them and lets dry spots break them up.
    const double threshold = 0.3 - 0.5 * pressure;
    double ink = SmoothStep(threshold - 0.4, threshold + 0.4, ridge);
    const double dry = ValueNoise(f.noise_seed + kStreamDryness, px / 2.3, py / 2.3);
    ink *= 1.0 - (1.0 - pressure) * SmoothStep(0.45, 0.85, dry);
    const double strength = coverage * (0.55 + 0.45 * pressure);
    gray -= (paper - kInk) * ink * strength;
    gray += 14.0 * grain * ink * strength;
  }
  gray = Clamp(gray, 0.0, 255.0);
  return static_cast<std::uint8_t>(gray + 0.5 > 255.0 ? 255.0 : gray + 0.5);
}

}  // namespace

bool IsValidFingerprintSize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width > kMaxFingerprintSide || height > kMaxFingerprintSide) return false;
  return static_cast<std::size_t>(width) <=
         kMaxFingerprintPixels / static_cast<std::size_t>(height);
}

std::vector<std::uint8_t> GenerateFingerprint(int width, int height, std::uint64_t seed) {
  if (!IsValidFingerprintSize(width, height)) return {};
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const FingerLayout layout = MakeFingerLayout(width, height, seed);

  // Coverage of every pixel, and per row the span of columns that the finger touches plus
  // a margin, so that ridges at the rim are as strong as inside. Ridges are grown only there.
  std::vector<float> coverage(count);
  std::vector<int> span_begin(static_cast<std::size_t>(height), 0);
  std::vector<int> span_end(static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < width; ++x) {
      const double c = FingerCoverage(layout, x + 0.5, y + 0.5);
      coverage[static_cast<std::size_t>(y) * width + x] = static_cast<float>(c);
      if (c > 0.0) {
        if (first < 0) first = x;
        last = x;
      }
    }
    if (first >= 0) {
      span_begin[y] = std::max(0, first - kSpanMargin);
      span_end[y] = std::min(width, last + 1 + kSpanMargin);
    }
  }

  std::vector<std::uint8_t> direction(count);
  std::vector<std::uint8_t> period(count);
  for (int y = 0; y < height; ++y) {
    for (int x = span_begin[y]; x < span_end[y]; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      direction[i] = DirectionBin(RidgeDirection(layout, x + 0.5, y + 0.5));
      period[i] = PeriodBin(RidgePeriod(layout, x + 0.5, y + 0.5));
    }
  }

  RidgeFieldRequest request;
  request.width = width;
  request.height = height;
  request.direction_bins = direction.data();
  request.period_bins = period.data();
  request.span_begin = span_begin.data();
  request.span_end = span_end.data();
  request.seed = layout.noise_seed + kStreamRidges;
  std::vector<float> ridges = SynthesizeRidges(request);
  direction = {};
  period = {};
  PunchPores(ridges, width, height, layout.noise_seed);

  std::vector<std::uint8_t> pixels(count);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      pixels[i] = Shade(layout, x, y, ridges[i], coverage[i]);
    }
  }
  return pixels;
}

}  // namespace ridgeview::tools
