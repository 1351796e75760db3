#include "tools/fpgen/deterministic_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ridgeview::tools {
namespace {

TEST(DeterministicMath, SplitMix64MatchesReferenceSequence) {
  // First outputs of the published SplitMix64 for seed 0.
  SplitMix64 rng(0);
  EXPECT_EQ(rng.Next(), 0xE220A8397B1DCDAFULL);
  EXPECT_EQ(rng.Next(), 0x6E789E6AA1B965F4ULL);
  EXPECT_EQ(rng.Next(), 0x06C45D188009454FULL);
}

TEST(DeterministicMath, UnitAndBelowStayInRange) {
  SplitMix64 rng(12345);
  for (int i = 0; i < 10000; ++i) {
    const double u = rng.NextUnit();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    ASSERT_LT(rng.Below(7), 7u);
  }
}

TEST(DeterministicMath, ElementaryFunctionsMatchLibm) {
  for (double x = -40.0; x <= 40.0; x += 0.0137) {
    ASSERT_NEAR(DetSin(x), std::sin(x), 1e-12) << x;
    ASSERT_NEAR(DetCos(x), std::cos(x), 1e-12) << x;
  }
  for (double y = -3.0; y <= 3.0; y += 0.071) {
    for (double x = -3.0; x <= 3.0; x += 0.053) {
      ASSERT_NEAR(DetAtan2(y, x), std::atan2(y, x), 1e-12) << y << " " << x;
    }
  }
  EXPECT_EQ(DetAtan2(0.0, 0.0), 0.0);
  EXPECT_NEAR(DetAtan2(0.0, -1.0), kPi, 1e-15);
  EXPECT_NEAR(DetAtan2(1.0, 0.0), kPi / 2, 1e-15);
  for (double x = -60.0; x <= 0.0; x += 0.031) {
    ASSERT_NEAR(DetExpNonPositive(x) / std::exp(x), 1.0, 1e-13) << x;
  }
  EXPECT_EQ(DetExpNonPositive(-1000.0), 0.0);
  EXPECT_EQ(DetExpNonPositive(0.0), 1.0);
}

TEST(DeterministicMath, ValueNoiseIsBoundedAndContinuous) {
  for (double y = -5.0; y < 5.0; y += 0.37) {
    for (double x = -5.0; x < 5.0; x += 0.13) {
      const double v = ValueNoise(9, x, y);
      ASSERT_GE(v, 0.0);
      ASSERT_LE(v, 1.0);
      // Crossing a lattice line changes nothing abruptly.
      ASSERT_NEAR(ValueNoise(9, x + 1e-7, y), v, 1e-5);
      const double f = FractalNoise(9, x, y, 4);
      ASSERT_GE(f, 0.0);
      ASSERT_LE(f, 1.0);
    }
  }
  // Lattice points take the hashed values exactly.
  EXPECT_EQ(ValueNoise(9, 3.0, -2.0), HashUnit(9, 3, -2));
  EXPECT_NE(HashLattice(9, 3, -2), HashLattice(10, 3, -2));
  EXPECT_NE(HashLattice(9, 3, -2), HashLattice(9, -2, 3));
}

}  // namespace
}  // namespace ridgeview::tools
