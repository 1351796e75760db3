#include "tools/fpgen/finger_layout.h"

#include <algorithm>
#include <cmath>

#include "tools/fpgen/deterministic_math.h"

namespace ridgeview::tools {
namespace {

struct LocalPoint {
  double u;
  double v;
};

LocalPoint ToLocal(const FingerLayout& f, double x, double y) {
  const double dx = x - f.centre_x;
  const double dy = y - f.centre_y;
  return {dx * f.cos_rotation + dy * f.sin_rotation, -dx * f.sin_rotation + dy * f.cos_rotation};
}

void PlaceSingularPoints(FingerLayout& f, SplitMix64& rng) {
  const double hw = f.half_width;
  const double ht = f.half_top;
  const std::uint32_t pick = rng.Below(100);
  if (pick < 64) {
    // Loop: one core near the centre, the delta below it and off to one side; ridges enter
    // and leave on the side opposite the delta.
    f.pattern = pick < 32 ? PatternClass::kLeftLoop : PatternClass::kRightLoop;
    const double side = pick < 32 ? 1.0 : -1.0;
    f.core_count = 1;
    f.delta_count = 1;
    f.cores[0] = {side * rng.Range(-0.15, 0.05) * hw, rng.Range(-0.2, 0.0) * ht};
    f.deltas[0] = {f.cores[0].u + side * rng.Range(0.45, 0.65) * hw,
                   f.cores[0].v + rng.Range(0.40, 0.60) * ht};
  } else if (pick < 88) {
    // Whorl: two cores close together make the circular centre, a delta on either side.
    f.pattern = PatternClass::kWhorl;
    f.core_count = 2;
    f.delta_count = 2;
    const double cu = rng.Range(-0.08, 0.08) * hw;
    const double cv = rng.Range(-0.15, 0.0) * ht;
    const double du = rng.Range(-0.06, 0.06) * hw;
    const double dv = rng.Range(0.05, 0.10) * ht;
    f.cores[0] = {cu - du, cv - dv};
    f.cores[1] = {cu + du, cv + dv};
    f.deltas[0] = {-rng.Range(0.50, 0.65) * hw, cv + rng.Range(0.40, 0.55) * ht};
    f.deltas[1] = {rng.Range(0.50, 0.65) * hw, cv + rng.Range(0.40, 0.55) * ht};
  } else {
    // Tented arch: a core straight above a close delta.
    f.pattern = PatternClass::kTentedArch;
    f.core_count = 1;
    f.delta_count = 1;
    f.cores[0] = {rng.Range(-0.08, 0.08) * hw, rng.Range(-0.1, 0.05) * ht};
    f.deltas[0] = {f.cores[0].u + rng.Range(-0.03, 0.03) * hw,
                   f.cores[0].v + rng.Range(0.15, 0.25) * ht};
  }
}

}  // namespace

FingerLayout MakeFingerLayout(int width, int height, std::uint64_t seed) {
  SplitMix64 rng(seed);
  FingerLayout f;
  const double w = width;
  const double h = height;
  f.half_width = 0.40 * w * rng.Range(0.92, 1.0);
  f.half_top = 0.46 * h * rng.Range(0.92, 1.0);
  f.half_bottom = 0.58 * h;
  f.centre_x = 0.5 * w + rng.Range(-0.03, 0.03) * w;
  f.centre_y = 0.5 * h + rng.Range(-0.01, 0.04) * h;
  f.rotation = rng.Range(-0.15, 0.15);
  f.cos_rotation = DetCos(f.rotation);
  f.sin_rotation = DetSin(f.rotation);
  f.fade = std::max(2.0, 0.05 * std::min(w, h));
  f.mean_period = rng.Range(8.6, 9.4);
  f.arch_bend = rng.Range(0.25, 0.45);
  PlaceSingularPoints(f, rng);
  f.noise_seed = rng.Next();
  return f;
}

double RidgeDirection(const FingerLayout& f, double x, double y) {
  const LocalPoint p = ToLocal(f, x, y);
  // Zero-pole model on the doubled angle: each core turns it by +1, each delta by -1 per
  // revolution around it, so ridges turn half as much. Far from all of them the
  // contributions cancel and ridges run across the finger.
  double doubled = 0.0;
  for (int i = 0; i < f.core_count; ++i) {
    doubled += DetAtan2(p.v - f.cores[i].v, p.u - f.cores[i].u);
  }
  for (int i = 0; i < f.delta_count; ++i) {
    doubled -= DetAtan2(p.v - f.deltas[i].v, p.u - f.deltas[i].u);
  }
  // Above the centre the ridges follow the rounded finger tip: tilt them down toward the
  // sides. Smooth and bounded, so it adds no singular point.
  const double across = Clamp(p.u / f.half_width, -1.2, 1.2);
  const double upper = 1.0 - SmoothStep(-0.35 * f.half_top, 0.25 * f.half_top, p.v);
  double angle = 0.5 * doubled + f.arch_bend * across * upper + f.rotation;
  angle -= kPi * std::floor(angle / kPi);
  if (angle >= kPi) angle -= kPi;
  return angle;
}

double RidgePeriod(const FingerLayout& f, double x, double y) {
  const double n = FractalNoise(f.noise_seed + 1, x / 90.0, y / 90.0, 2);
  const double factor = 1.0 + 0.14 * (n - 0.5);
  return f.mean_period * Clamp(factor, 0.9, 1.1);
}

double FingerCoverage(const FingerLayout& f, double x, double y) {
  const LocalPoint p = ToLocal(f, x, y);
  const double ru = p.u / f.half_width;
  const double rv = p.v / (p.v < 0.0 ? f.half_top : f.half_bottom);
  const double r = std::sqrt(ru * ru + rv * rv);
  if (r == 0.0) return 1.0;
  // A slightly irregular rim: the boundary radius wobbles with the direction from the centre.
  const double n = ValueNoise(f.noise_seed + 2, 2.5 * ru / r + 10.0, 2.5 * rv / r + 10.0);
  const double boundary = 1.0 + 0.08 * (n - 0.5);
  const double fade = f.fade / std::min(f.half_width, f.half_top);
  return 1.0 - SmoothStep(boundary - fade, boundary, r);
}

double FingerPressure(const FingerLayout& f, double x, double y, double coverage) {
  const double n = FractalNoise(f.noise_seed + 3, x / 150.0, y / 150.0, 3);
  const double p = 0.55 + 1.7 * (n - 0.5) - 0.3 * (1.0 - coverage);
  return Clamp(p, 0.0, 1.0);
}

}  // namespace ridgeview::tools
