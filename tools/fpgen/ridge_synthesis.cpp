#include "tools/fpgen/ridge_synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "tools/fpgen/deterministic_math.h"

namespace ridgeview::tools {
namespace {

// Tap layout. Samples lie on the line through the pixel across (or along) the ridge, one
// pixel apart, and are read by bilinear interpolation; kPad covers the farthest reach plus
// the interpolation neighbour, so the padded grid is never read outside.
constexpr int kAcrossRadius = 7;
constexpr int kAcrossTaps = 2 * kAcrossRadius + 1;
constexpr int kAlongRadius = 8;
constexpr int kAlongTaps = 2 * kAlongRadius + 1;
constexpr int kPad = 10;
constexpr double kAcrossSigma = 3.2;
constexpr double kAlongSigma = 4.5;
// Scale applied to the normalised filter output before clipping to [-1, 1]; above 1 it
// pushes the pattern toward flat ridges and valleys with short slopes.
constexpr double kSaturation = 1.6;

struct Tap {
  int offset;     // to the top-left interpolation neighbour, in padded-grid elements
  float w[4];     // top-left, top-right, bottom-left, bottom-right
};

struct KernelBank {
  std::vector<Tap> across;  // [direction][period][tap]
  std::vector<Tap> along;   // [direction][tap]
};

// Bilinear taps at positions t * (dx, dy) for t = -radius..radius, with the weights
// scaled by gain[t + radius].
void MakeTaps(Tap* out, int radius, double dx, double dy, const double* gain, int stride) {
  for (int t = -radius; t <= radius; ++t) {
    const double px = t * dx;
    const double py = t * dy;
    const double fx = std::floor(px);
    const double fy = std::floor(py);
    const double ax = px - fx;
    const double ay = py - fy;
    const double g = gain[t + radius];
    Tap& tap = out[t + radius];
    tap.offset = static_cast<int>(fy) * stride + static_cast<int>(fx);
    tap.w[0] = static_cast<float>(g * (1.0 - ax) * (1.0 - ay));
    tap.w[1] = static_cast<float>(g * ax * (1.0 - ay));
    tap.w[2] = static_cast<float>(g * (1.0 - ax) * ay);
    tap.w[3] = static_cast<float>(g * ax * ay);
  }
}

KernelBank MakeKernelBank(int stride) {
  KernelBank bank;
  bank.across.resize(static_cast<std::size_t>(kDirectionBins) * kPeriodBins * kAcrossTaps);
  bank.along.resize(static_cast<std::size_t>(kDirectionBins) * kAlongTaps);

  double along_gain[kAlongTaps];
  double along_sum = 0.0;
  for (int t = -kAlongRadius; t <= kAlongRadius; ++t) {
    along_gain[t + kAlongRadius] = DetExpNonPositive(-0.5 * t * t / (kAlongSigma * kAlongSigma));
    along_sum += along_gain[t + kAlongRadius];
  }
  for (double& g : along_gain) g /= along_sum;

  double across_gain[kPeriodBins][kAcrossTaps];
  for (int p = 0; p < kPeriodBins; ++p) {
    const double period = kPeriodMin + p * kPeriodStep;
    double envelope[kAcrossTaps];
    double env_sum = 0.0;
    double dc = 0.0;
    for (int t = -kAcrossRadius; t <= kAcrossRadius; ++t) {
      envelope[t + kAcrossRadius] =
          DetExpNonPositive(-0.5 * t * t / (kAcrossSigma * kAcrossSigma));
      env_sum += envelope[t + kAcrossRadius];
      dc += envelope[t + kAcrossRadius] * DetCos(2.0 * kPi * t / period);
    }
    // Even Gabor taps with their mean removed (flat input gives 0) and scaled so that a
    // cosine of this period and amplitude 1 comes out with amplitude 1.
    double response = 0.0;
    for (int t = -kAcrossRadius; t <= kAcrossRadius; ++t) {
      const double c = DetCos(2.0 * kPi * t / period);
      const double g = envelope[t + kAcrossRadius] * (c - dc / env_sum);
      across_gain[p][t + kAcrossRadius] = g;
      response += g * c;
    }
    for (double& g : across_gain[p]) g /= response;
  }

  for (int d = 0; d < kDirectionBins; ++d) {
    const double angle = kPi * d / kDirectionBins;
    const double cx = DetCos(angle);
    const double sy = DetSin(angle);
    MakeTaps(&bank.along[static_cast<std::size_t>(d) * kAlongTaps], kAlongRadius, cx, sy,
             along_gain, stride);
    for (int p = 0; p < kPeriodBins; ++p) {
      // The normal to the ridge direction (cos, sin) is (-sin, cos).
      MakeTaps(&bank.across[(static_cast<std::size_t>(d) * kPeriodBins + p) * kAcrossTaps],
               kAcrossRadius, -sy, cx, across_gain[p], stride);
    }
  }
  return bank;
}

inline float ApplyTaps(const float* src, const Tap* taps, int count, int stride) {
  float acc = 0.0f;
  for (int i = 0; i < count; ++i) {
    const float* s = src + taps[i].offset;
    acc += taps[i].w[0] * s[0] + taps[i].w[1] * s[1] + taps[i].w[2] * s[stride] +
           taps[i].w[3] * s[stride + 1];
  }
  return acc;
}

struct Span {
  int begin;
  int end;
};

// Scales the active pixels so that their root mean square becomes kSaturation, then clips
// to [-1, 1]: most of the pattern ends up flat at either end with short slopes between.
void Normalise(std::vector<float>& grid, const std::vector<Span>& spans, int stride) {
  double sum_sq = 0.0;
  double count = 0.0;
  for (std::size_t y = 0; y < spans.size(); ++y) {
    const float* row = &grid[(y + kPad) * stride + kPad];
    for (int x = spans[y].begin; x < spans[y].end; ++x) {
      sum_sq += static_cast<double>(row[x]) * row[x];
    }
    count += spans[y].end - spans[y].begin;
  }
  if (count == 0.0) return;
  const double rms = std::sqrt(sum_sq / count);
  if (!(rms > 1e-12)) return;
  const auto scale = static_cast<float>(kSaturation / rms);
  for (std::size_t y = 0; y < spans.size(); ++y) {
    float* row = &grid[(y + kPad) * stride + kPad];
    for (int x = spans[y].begin; x < spans[y].end; ++x) {
      const float v = row[x] * scale;
      row[x] = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
    }
  }
}

std::vector<Span> ActiveSpans(const RidgeFieldRequest& r) {
  std::vector<Span> spans(static_cast<std::size_t>(r.height), Span{0, r.width});
  if (r.span_begin == nullptr || r.span_end == nullptr) return spans;
  for (std::size_t y = 0; y < spans.size(); ++y) {
    const int b = std::clamp(r.span_begin[y], 0, r.width);
    spans[y] = {b, std::clamp(r.span_end[y], b, r.width)};
  }
  return spans;
}

}  // namespace

std::uint8_t DirectionBin(double angle) {
  double a = angle - kPi * std::floor(angle / kPi);
  auto bin = static_cast<int>(std::floor(a / kPi * kDirectionBins + 0.5));
  return static_cast<std::uint8_t>(bin % kDirectionBins);
}

std::uint8_t PeriodBin(double period) {
  const double b = std::floor((period - kPeriodMin) / kPeriodStep + 0.5);
  return static_cast<std::uint8_t>(Clamp(b, 0.0, kPeriodBins - 1.0));
}

std::vector<float> SynthesizeRidges(const RidgeFieldRequest& r) {
  if (r.width <= 0 || r.height <= 0 || r.direction_bins == nullptr ||
      r.period_bins == nullptr) {
    return {};
  }
  const int stride = r.width + 2 * kPad;
  const std::size_t rows = static_cast<std::size_t>(r.height) + 2 * kPad;
  const KernelBank bank = MakeKernelBank(stride);

  const std::vector<Span> spans = ActiveSpans(r);

  // Everything outside the spans, the padding included, stays 0: the pattern fades over
  // the last few pixels toward an inactive area or the image edge, which the finger's rim
  // hides on every side but the bottom.
  std::vector<float> a(rows * stride, 0.0f);
  std::vector<float> b(rows * stride, 0.0f);
  for (int y = 0; y < r.height; ++y) {
    float* row = &a[static_cast<std::size_t>(y + kPad) * stride + kPad];
    for (int x = spans[y].begin; x < spans[y].end; ++x) {
      row[x] = static_cast<float>(2.0 * HashUnit(r.seed, x, y) - 1.0);
    }
  }

  for (int round = 0; round < r.rounds; ++round) {
    for (int y = 0; y < r.height; ++y) {
      const std::size_t base = static_cast<std::size_t>(y + kPad) * stride + kPad;
      const std::uint8_t* dir = r.direction_bins + static_cast<std::size_t>(y) * r.width;
      const std::uint8_t* per = r.period_bins + static_cast<std::size_t>(y) * r.width;
      for (int x = spans[y].begin; x < spans[y].end; ++x) {
        const Tap* taps =
            &bank.across[(static_cast<std::size_t>(dir[x]) * kPeriodBins + per[x]) * kAcrossTaps];
        b[base + x] = ApplyTaps(&a[base + x], taps, kAcrossTaps, stride);
      }
    }
    for (int y = 0; y < r.height; ++y) {
      const std::size_t base = static_cast<std::size_t>(y + kPad) * stride + kPad;
      const std::uint8_t* dir = r.direction_bins + static_cast<std::size_t>(y) * r.width;
      for (int x = spans[y].begin; x < spans[y].end; ++x) {
        const Tap* taps = &bank.along[static_cast<std::size_t>(dir[x]) * kAlongTaps];
        a[base + x] = ApplyTaps(&b[base + x], taps, kAlongTaps, stride);
      }
    }
    Normalise(a, spans, stride);
  }

  std::vector<float> out(static_cast<std::size_t>(r.width) * r.height);
  for (int y = 0; y < r.height; ++y) {
    const float* row = &a[static_cast<std::size_t>(y + kPad) * stride + kPad];
    for (int x = 0; x < r.width; ++x) out[static_cast<std::size_t>(y) * r.width + x] = row[x];
  }
  return out;
}

}  // namespace ridgeview::tools
