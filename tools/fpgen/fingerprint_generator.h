// Synthetic fingerprint-like gray images for tests, fuzz seeds and benchmarks.
//
// An image shows one finger on a light background: an oval contact area with a soft,
// slightly irregular rim, dark ridges of about 9 pixels period (as at 500 pixels per inch)
// that follow a smooth flow with loops, whorls or a tented arch and their deltas, ridge
// endings and bifurcations, pores, patches of lighter and heavier pressure, and sensor
// grain. Nothing is copied from real fingers; the pattern follows from the seed alone.
//
// Output is bit-for-bit the same on every machine and with every conforming compiler that
// keeps IEEE 754 double and single precision without fused multiply-add (the build's
// -ffp-contract=off): the generator uses its own PRNG, hashing and elementary functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ridgeview::tools {

// Largest accepted side and pixel count. The generator holds about 20 bytes per pixel while
// it works, so the largest image needs about 1.3 GB.
inline constexpr int kMaxFingerprintSide = 65535;
inline constexpr std::size_t kMaxFingerprintPixels = std::size_t{64} << 20;

// True when width x height can be generated: both positive, neither above
// kMaxFingerprintSide, the product at most kMaxFingerprintPixels.
bool IsValidFingerprintSize(int width, int height);

// Returns width * height gray bytes, row-major, top row first, rows packed; 255 is white.
// Returns an empty vector when the size is not valid. Takes roughly half a second per
// megapixel in an optimised build.
std::vector<std::uint8_t> GenerateFingerprint(int width, int height, std::uint64_t seed);

}  // namespace ridgeview::tools
