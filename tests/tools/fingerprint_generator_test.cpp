#include "tools/fpgen/fingerprint_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/fpgen/finger_layout.h"

namespace ridgeview::tools {
namespace {

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 0xCBF29CE484222325ULL;
  for (std::uint8_t b : bytes) {
    h ^= b;
    h *= 0x100000001B3ULL;
  }
  return h;
}

struct Stats {
  double mean = 0.0;
  double stddev = 0.0;
};

Stats WindowStats(const std::vector<std::uint8_t>& img, int width, int x0, int y0, int w, int h) {
  double sum = 0.0;
  double sum_sq = 0.0;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      const double v = img[static_cast<std::size_t>(y) * width + x];
      sum += v;
      sum_sq += v * v;
    }
  }
  const double n = static_cast<double>(w) * h;
  return {sum / n, std::sqrt(std::max(0.0, sum_sq / n - (sum / n) * (sum / n)))};
}

// Dark/light changes along a run of pixels, with hysteresis so grain and pores do not count.
int Transitions(const std::uint8_t* p, int count, std::ptrdiff_t step, double mid) {
  int state = 0;  // -1 dark, +1 light, 0 not yet known
  int changes = 0;
  for (int i = 0; i < count; ++i) {
    const double v = p[i * step];
    const int s = v < mid - 25.0 ? -1 : (v > mid + 25.0 ? 1 : state);
    if (state != 0 && s != state) ++changes;
    state = s;
  }
  return changes;
}

// Median ridge period over 32 x 32 blocks in the centre of the finger. In a block with ridge
// direction a and period T, rows cross 2|sin a|/T edges per pixel and columns 2|cos a|/T,
// so T = 2 / sqrt(row_rate^2 + column_rate^2) whatever the direction.
double MedianRidgePeriod(const std::vector<std::uint8_t>& img, int width, int height) {
  constexpr int kBlock = 32;
  std::vector<double> periods;
  for (int by = height / 4; by + kBlock <= 3 * height / 4; by += kBlock) {
    for (int bx = width / 4; bx + kBlock <= 3 * width / 4; bx += kBlock) {
      const double mid = WindowStats(img, width, bx, by, kBlock, kBlock).mean;
      const std::uint8_t* origin = &img[static_cast<std::size_t>(by) * width + bx];
      double row_edges = 0.0;
      double col_edges = 0.0;
      for (int i = 0; i < kBlock; ++i) {
        row_edges += Transitions(origin + static_cast<std::ptrdiff_t>(i) * width, kBlock, 1, mid);
        col_edges += Transitions(origin + i, kBlock, width, mid);
      }
      const double row_rate = row_edges / (kBlock * kBlock);
      const double col_rate = col_edges / (kBlock * kBlock);
      const double rate = std::sqrt(row_rate * row_rate + col_rate * col_rate);
      if (rate > 0.0) periods.push_back(2.0 / rate);
    }
  }
  if (periods.empty()) return 0.0;
  std::sort(periods.begin(), periods.end());
  return periods[periods.size() / 2];
}

TEST(FingerprintGenerator, SameSeedGivesSameBytesOnEveryMachine) {
  const std::vector<std::uint8_t> a = GenerateFingerprint(96, 80, 7);
  ASSERT_EQ(a.size(), 96u * 80u);
  EXPECT_EQ(a, GenerateFingerprint(96, 80, 7));
  // Pinned: any change of these bytes changes every stored sample and benchmark input.
  EXPECT_EQ(Fnv1a(a), 0x72359086FE025F41ULL);
}

TEST(FingerprintGenerator, DifferentSeedsGiveDifferentFingers) {
  const std::vector<std::uint8_t> a = GenerateFingerprint(200, 200, 1);
  const std::vector<std::uint8_t> b = GenerateFingerprint(200, 200, 2);
  const std::vector<std::uint8_t> c = GenerateFingerprint(200, 200, 0xFFFFFFFFFFFFFFFFULL);
  int differ_ab = 0;
  int differ_ac = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    differ_ab += std::abs(a[i] - b[i]) > 40;
    differ_ac += std::abs(a[i] - c[i]) > 40;
  }
  // Not just noise: the ridges themselves lie elsewhere.
  EXPECT_GT(differ_ab, static_cast<int>(a.size() / 5));
  EXPECT_GT(differ_ac, static_cast<int>(a.size() / 5));
}

TEST(FingerprintGenerator, LooksLikeAFingerOnLightBackground) {
  for (std::uint64_t seed : {3u, 15u, 26u}) {  // a whorl, a tented arch, a loop
    const std::vector<std::uint8_t> img = GenerateFingerprint(300, 300, seed);
    // Corners are background: light and nearly flat.
    const Stats corner = WindowStats(img, 300, 0, 0, 16, 16);
    EXPECT_GT(corner.mean, 215.0) << seed;
    EXPECT_LT(corner.stddev, 10.0) << seed;
    // The centre is ridges: a mid mean with strong contrast.
    const Stats centre = WindowStats(img, 300, 100, 100, 100, 100);
    EXPECT_GT(centre.mean, 90.0) << seed;
    EXPECT_LT(centre.mean, 200.0) << seed;
    EXPECT_GT(centre.stddev, 45.0) << seed;
  }
}

TEST(FingerprintGenerator, RidgePeriodIsAboutNinePixels) {
  for (std::uint64_t seed = 1; seed <= 3; ++seed) {
    const std::vector<std::uint8_t> img = GenerateFingerprint(320, 320, seed);
    const double period = MedianRidgePeriod(img, 320, 320);
    EXPECT_GT(period, 8.0) << seed;
    EXPECT_LT(period, 10.5) << seed;
  }
}

TEST(FingerprintGenerator, EveryPatternClassOccurs) {
  bool seen[4] = {};
  for (std::uint64_t seed = 1; seed <= 60; ++seed) {
    const FingerLayout f = MakeFingerLayout(500, 500, seed);
    seen[static_cast<int>(f.pattern)] = true;
    ASSERT_GE(f.core_count, 1);
    ASSERT_LE(f.core_count, 2);
    // Singular points lie well inside the finger.
    for (int i = 0; i < f.core_count; ++i) {
      EXPECT_LT(std::abs(f.cores[i].u), f.half_width * 0.5) << seed;
    }
    for (int i = 0; i < f.delta_count; ++i) {
      EXPECT_LT(std::abs(f.deltas[i].u), f.half_width * 0.9) << seed;
    }
  }
  for (bool s : seen) EXPECT_TRUE(s);
}

TEST(FingerprintGenerator, TinyHugeAndOddSizes) {
  for (const auto& [w, h] : {std::pair{1, 1}, {1, 7}, {7, 1}, {2, 2}, {17, 3}, {3, 31}}) {
    const std::vector<std::uint8_t> img = GenerateFingerprint(w, h, 5);
    EXPECT_EQ(img.size(), static_cast<std::size_t>(w) * h) << w << "x" << h;
  }
  const std::vector<std::uint8_t> big = GenerateFingerprint(2000, 2000, 9);
  ASSERT_EQ(big.size(), 2000u * 2000u);
  EXPECT_GT(WindowStats(big, 2000, 900, 900, 200, 200).stddev, 45.0);
  EXPECT_GT(MedianRidgePeriod(big, 2000, 2000), 8.0);
  EXPECT_LT(MedianRidgePeriod(big, 2000, 2000), 10.5);
}

TEST(FingerprintGenerator, RefusesInvalidSizes) {
  EXPECT_TRUE(GenerateFingerprint(0, 10, 1).empty());
  EXPECT_TRUE(GenerateFingerprint(10, 0, 1).empty());
  EXPECT_TRUE(GenerateFingerprint(-1, 10, 1).empty());
  EXPECT_TRUE(GenerateFingerprint(kMaxFingerprintSide + 1, 1, 1).empty());
  EXPECT_TRUE(GenerateFingerprint(10000, 10000, 1).empty());  // over the pixel limit
  EXPECT_TRUE(IsValidFingerprintSize(kMaxFingerprintSide, 1));
  EXPECT_TRUE(IsValidFingerprintSize(8192, 8192));
  EXPECT_FALSE(IsValidFingerprintSize(8192, 8193));
}

}  // namespace
}  // namespace ridgeview::tools
