// Arithmetic the fingerprint generator relies on to give the same bytes on every machine:
// a small PRNG, integer hashing, smooth value noise and the few transcendental functions it
// needs. The C library's sin, cos, atan2 and exp may differ in their last bits between
// library versions, and std distributions differ between standard libraries, so everything
// here is built from +, -, *, / and sqrt in double precision, which IEEE 754 fixes exactly.
#pragma once

#include <cstdint>

namespace ridgeview::tools {

inline constexpr double kPi = 3.14159265358979323846;

// SplitMix64: a 64-bit generator with a 64-bit state; every seed, 0 included, is usable.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next();
  // Uniform in [0, 1) with 53 significant bits.
  double NextUnit();
  // Uniform in [lo, hi).
  double Range(double lo, double hi) { return lo + (hi - lo) * NextUnit(); }
  // Uniform integer in [0, n); n must be positive.
  std::uint32_t Below(std::uint32_t n);

 private:
  std::uint64_t state_;
};

// Mixes a seed and two lattice coordinates into 32 well-spread bits.
std::uint32_t HashLattice(std::uint64_t seed, std::int32_t x, std::int32_t y);

// HashLattice mapped to [0, 1) with 24 significant bits (exact in a float).
double HashUnit(std::uint64_t seed, std::int32_t x, std::int32_t y);

// Smooth value noise in [0, 1]: random values on an integer lattice, blended with a C1
// (smoothstep) curve. Period-free; cell size 1 in the coordinates given.
double ValueNoise(std::uint64_t seed, double x, double y);

// Sum of `octaves` value-noise layers, each twice as fine and half as strong, scaled back to
// [0, 1]. octaves is clamped to 1..8.
double FractalNoise(std::uint64_t seed, double x, double y, int octaves);

// Elementary functions, accurate to about 1e-12 over the ranges the generator uses.
double DetSin(double x);
double DetCos(double x);
// Angle of (x, y) in (-pi, pi]; 0 for (0, 0).
double DetAtan2(double y, double x);
// e^x for x <= 0 (the generator only needs decaying exponentials); 0 below -700.
double DetExpNonPositive(double x);

// Clamp and the smoothstep ramp 0 -> 1 between edge0 and edge1 (edge0 < edge1).
double Clamp(double v, double lo, double hi);
double SmoothStep(double edge0, double edge1, double x);

}  // namespace ridgeview::tools
