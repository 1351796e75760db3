// Grows a ridge pattern out of noise: repeated oriented band-pass filtering (a Gabor-like
// filter across the ridges, a smoothing filter along them) with a saturating normalisation
// after each round. Where neighbouring ridge systems disagree the process settles on ridge
// endings and bifurcations, as in real skin.
#pragma once

#include <cstdint>
#include <vector>

namespace ridgeview::tools {

// Ridge directions are quantised to kDirectionBins steps over [0, pi); periods to
// kPeriodBins steps of kPeriodStep pixels starting at kPeriodMin.
inline constexpr int kDirectionBins = 64;
inline constexpr int kPeriodBins = 16;
inline constexpr double kPeriodMin = 7.5;
inline constexpr double kPeriodStep = 0.25;

// Bin of a direction angle (any real value; taken modulo pi).
std::uint8_t DirectionBin(double angle);
// Bin of a period in pixels, clamped to the table.
std::uint8_t PeriodBin(double period);

struct RidgeFieldRequest {
  int width = 0;
  int height = 0;
  const std::uint8_t* direction_bins = nullptr;  // width * height, row-major
  const std::uint8_t* period_bins = nullptr;     // width * height, row-major
  // Optional: per row, the columns [span_begin[y], span_end[y]) where the pattern is
  // needed (clipped to 0..width). Elsewhere the result is 0 and nothing is computed.
  // Both null: every pixel.
  const int* span_begin = nullptr;  // height entries
  const int* span_end = nullptr;    // height entries
  std::uint64_t seed = 0;
  int rounds = 10;
};

// Returns width * height values in [-1, 1], row-major; ridges are positive, valleys
// negative. Empty when width or height is not positive or the bin arrays are missing.
std::vector<float> SynthesizeRidges(const RidgeFieldRequest& request);

}  // namespace ridgeview::tools
