#include "tools/fpgen/deterministic_math.h"

#include <cmath>

namespace ridgeview::tools {

std::uint64_t SplitMix64::Next() {
  state_ += 0x9E3779B97F4A7C15ULL;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double SplitMix64::NextUnit() {
  return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

std::uint32_t SplitMix64::Below(std::uint32_t n) {
  // The modulo bias is below 2^-32 and irrelevant for picking layouts.
  return static_cast<std::uint32_t>(Next() % n);
}

namespace {

std::uint64_t Mix64(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  h ^= h >> 33;
  return h;
}

}  // namespace

std::uint32_t HashLattice(std::uint64_t seed, std::int32_t x, std::int32_t y) {
  std::uint64_t h = Mix64(seed + 0x9E3779B97F4A7C15ULL);
  h = Mix64(h ^ static_cast<std::uint32_t>(x));
  h = Mix64(h ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32));
  return static_cast<std::uint32_t>(h >> 32);
}

double HashUnit(std::uint64_t seed, std::int32_t x, std::int32_t y) {
  return static_cast<double>(HashLattice(seed, x, y) >> 8) * (1.0 / 16777216.0);
}

double ValueNoise(std::uint64_t seed, double x, double y) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto ix = static_cast<std::int32_t>(fx);
  const auto iy = static_cast<std::int32_t>(fy);
  double tx = x - fx;
  double ty = y - fy;
  tx = tx * tx * (3.0 - 2.0 * tx);
  ty = ty * ty * (3.0 - 2.0 * ty);
  const double v00 = HashUnit(seed, ix, iy);
  const double v10 = HashUnit(seed, ix + 1, iy);
  const double v01 = HashUnit(seed, ix, iy + 1);
  const double v11 = HashUnit(seed, ix + 1, iy + 1);
  const double top = v00 + (v10 - v00) * tx;
  const double bottom = v01 + (v11 - v01) * tx;
  return top + (bottom - top) * ty;
}

double FractalNoise(std::uint64_t seed, double x, double y, int octaves) {
  if (octaves < 1) octaves = 1;
  if (octaves > 8) octaves = 8;
  double sum = 0.0;
  double norm = 0.0;
  double amplitude = 1.0;
  for (int i = 0; i < octaves; ++i) {
    // Each octave gets its own lattice and an offset so lattice points do not line up.
    sum += amplitude * ValueNoise(seed + 0x51ED27ULL * static_cast<unsigned>(i + 1),
                                  x + 17.31 * i, y - 7.77 * i);
    norm += amplitude;
    amplitude *= 0.5;
    x *= 2.0;
    y *= 2.0;
  }
  return sum / norm;
}

namespace {

// sin and cos of |x| <= pi/4 by their Taylor series, Horner form.
void SinCosSmall(double x, double* s, double* c) {
  const double x2 = x * x;
  double ps = 1.0 / 1307674368000.0;  // 1/15!
  ps = -1.0 / 6227020800.0 + x2 * ps;
  ps = 1.0 / 39916800.0 + x2 * ps;
  ps = -1.0 / 362880.0 + x2 * ps;
  ps = 1.0 / 5040.0 + x2 * ps;
  ps = -1.0 / 120.0 + x2 * ps;
  ps = 1.0 / 6.0 + x2 * ps;
  *s = x - x * x2 * ps;
  double pc = 1.0 / 20922789888000.0;  // 1/16!
  pc = -1.0 / 87178291200.0 + x2 * pc;
  pc = 1.0 / 479001600.0 + x2 * pc;
  pc = -1.0 / 3628800.0 + x2 * pc;
  pc = 1.0 / 40320.0 + x2 * pc;
  pc = -1.0 / 720.0 + x2 * pc;
  pc = 1.0 / 24.0 + x2 * pc;
  pc = -0.5 + x2 * pc;
  *c = 1.0 + x2 * pc;
}

void DetSinCos(double x, double* s, double* c) {
  const double two_pi = 2.0 * kPi;
  const double k = std::floor(x / two_pi + 0.5);
  const double r = x - k * two_pi;  // in [-pi, pi]
  double sq;
  double cq;
  SinCosSmall(r * 0.25, &sq, &cq);
  // Two angle doublings bring r/4 back to r.
  for (int i = 0; i < 2; ++i) {
    const double s2 = 2.0 * sq * cq;
    const double c2 = cq * cq - sq * sq;
    sq = s2;
    cq = c2;
  }
  *s = sq;
  *c = cq;
}

// atan(t) for 0 <= t <= 1.
double AtanUnit(double t) {
  // atan(t) = 2 atan(t / (1 + sqrt(1 + t^2))); two halvings leave |u| <= tan(pi/16).
  double u = t / (1.0 + std::sqrt(1.0 + t * t));
  u = u / (1.0 + std::sqrt(1.0 + u * u));
  const double u2 = u * u;
  double p = 1.0 / 17.0;
  p = -1.0 / 15.0 + u2 * p;
  p = 1.0 / 13.0 + u2 * p;
  p = -1.0 / 11.0 + u2 * p;
  p = 1.0 / 9.0 + u2 * p;
  p = -1.0 / 7.0 + u2 * p;
  p = 1.0 / 5.0 + u2 * p;
  p = -1.0 / 3.0 + u2 * p;
  return 4.0 * (u + u * u2 * p);
}

}  // namespace

double DetSin(double x) {
  double s;
  double c;
  DetSinCos(x, &s, &c);
  return s;
}

double DetCos(double x) {
  double s;
  double c;
  DetSinCos(x, &s, &c);
  return c;
}

double DetAtan2(double y, double x) {
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  if (ax == 0.0 && ay == 0.0) return 0.0;
  double a = ay <= ax ? AtanUnit(ay / ax) : kPi / 2.0 - AtanUnit(ax / ay);
  if (x < 0.0) a = kPi - a;
  return y < 0.0 ? -a : a;
}

double DetExpNonPositive(double x) {
  if (x > 0.0) x = 0.0;
  if (x < -700.0) return 0.0;
  const double ln2 = 0.69314718055994530942;
  const double n = std::floor(x / ln2 + 0.5);
  const double r = x - n * ln2;  // |r| <= ln2 / 2
  double p = 1.0 / 87178291200.0;  // 1/14!
  const double inv_fact[] = {1.0 / 6227020800.0, 1.0 / 479001600.0, 1.0 / 39916800.0,
                             1.0 / 3628800.0,    1.0 / 362880.0,    1.0 / 40320.0,
                             1.0 / 5040.0,       1.0 / 720.0,       1.0 / 120.0,
                             1.0 / 24.0,         1.0 / 6.0,         0.5,
                             1.0,                1.0};
  for (double f : inv_fact) p = f + r * p;
  return std::ldexp(p, static_cast<int>(n));
}

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double SmoothStep(double edge0, double edge1, double x) {
  const double t = Clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace ridgeview::tools
