// The geometry of one synthetic finger: where the finger lies in the image, its pattern class
// with the cores and deltas that make it, and the smooth fields derived from them (ridge
// direction, ridge period, coverage of the finger area, pressure). All of it follows from
// the seed and the image size alone.
#pragma once

#include <cstdint>

namespace ridgeview::tools {

enum class PatternClass { kLeftLoop, kRightLoop, kWhorl, kTentedArch };

struct SingularPoint {
  double u = 0.0;  // finger-local coordinates in pixels: u across, v down the finger
  double v = 0.0;
};

struct FingerLayout {
  PatternClass pattern = PatternClass::kLeftLoop;
  int core_count = 0;   // 1 or 2
  int delta_count = 0;  // 1 or 2
  SingularPoint cores[2];
  SingularPoint deltas[2];
  double centre_x = 0.0;  // finger centre in image pixels
  double centre_y = 0.0;
  double rotation = 0.0;  // radians; the finger's axis is turned by this much (clockwise)
  double cos_rotation = 1.0;
  double sin_rotation = 0.0;
  double half_width = 1.0;    // ellipse half-axis across the finger
  double half_top = 1.0;      // half-axis from the centre toward the finger tip
  double half_bottom = 1.0;   // half-axis from the centre toward the first joint
  double fade = 1.0;          // width of the soft rim in pixels
  double mean_period = 9.0;   // mean ridge period in pixels
  double arch_bend = 0.0;     // extra tilt of ridges toward the rim above the core (radians)
  std::uint64_t noise_seed = 0;
};

// Picks class, singular points, placement and ridge period for an image of the given size.
// width and height must be positive.
FingerLayout MakeFingerLayout(int width, int height, std::uint64_t seed);

// Local ridge direction at image point (x, y): an angle in [0, pi), 0 = horizontal, growing
// clockwise on screen (y points down).
double RidgeDirection(const FingerLayout& layout, double x, double y);

// Local ridge period in pixels at (x, y); stays within mean_period * [0.9, 1.1].
double RidgePeriod(const FingerLayout& layout, double x, double y);

// How much of the point lies on the finger: 1 inside, 0 outside, a smooth ramp across the
// rim, which is slightly irregular.
double FingerCoverage(const FingerLayout& layout, double x, double y);

// Contact pressure in [0, 1]: slowly varying, lower toward the rim.
double FingerPressure(const FingerLayout& layout, double x, double y, double coverage);

}  // namespace ridgeview::tools
