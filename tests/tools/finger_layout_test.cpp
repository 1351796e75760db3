#include "tools/fpgen/finger_layout.h"

#include <gtest/gtest.h>

#include "tools/fpgen/deterministic_math.h"

namespace ridgeview::tools {
namespace {

// Image coordinates of a finger-local point.
void ToImage(const FingerLayout& f, const SingularPoint& p, double* x, double* y) {
  *x = f.centre_x + p.u * f.cos_rotation - p.v * f.sin_rotation;
  *y = f.centre_y + p.u * f.sin_rotation + p.v * f.cos_rotation;
}

// Total turn of the ridge direction along a small circle around (x, y), each step taken as
// the smallest change modulo pi: +pi around a core, -pi around a delta, 0 elsewhere.
double TurnAround(const FingerLayout& f, double x, double y, double radius) {
  constexpr int kSteps = 360;
  double total = 0.0;
  double prev = RidgeDirection(f, x + radius, y);
  for (int i = 1; i <= kSteps; ++i) {
    const double a = 2.0 * kPi * i / kSteps;
    const double cur = RidgeDirection(f, x + radius * DetCos(a), y + radius * DetSin(a));
    double d = cur - prev;
    while (d > kPi / 2) d -= kPi;
    while (d < -kPi / 2) d += kPi;
    total += d;
    prev = cur;
  }
  return total;
}

TEST(FingerLayout, CoresAndDeltasAreSingularPointsOfTheFlow) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    const FingerLayout f = MakeFingerLayout(500, 500, seed);
    for (int i = 0; i < f.core_count; ++i) {
      double x, y;
      ToImage(f, f.cores[i], &x, &y);
      // Whorl cores lie close together; a circle around one alone stays inside the pair.
      EXPECT_NEAR(TurnAround(f, x, y, 3.0), kPi, 1e-6) << "seed " << seed << " core " << i;
    }
    for (int i = 0; i < f.delta_count; ++i) {
      double x, y;
      ToImage(f, f.deltas[i], &x, &y);
      EXPECT_NEAR(TurnAround(f, x, y, 3.0), -kPi, 1e-6) << "seed " << seed << " delta " << i;
    }
    // Away from them the flow has no singularity.
    EXPECT_NEAR(TurnAround(f, 20.0, 20.0, 10.0), 0.0, 1e-6) << seed;
  }
}

TEST(FingerLayout, FieldsStayInTheirRanges) {
  const FingerLayout f = MakeFingerLayout(300, 400, 77);
  for (double y = -20.0; y < 420.0; y += 7.3) {
    for (double x = -20.0; x < 320.0; x += 5.9) {
      const double d = RidgeDirection(f, x, y);
      ASSERT_GE(d, 0.0);
      ASSERT_LT(d, kPi);
      const double p = RidgePeriod(f, x, y);
      ASSERT_GE(p, 0.9 * f.mean_period - 1e-9);
      ASSERT_LE(p, 1.1 * f.mean_period + 1e-9);
      const double c = FingerCoverage(f, x, y);
      ASSERT_GE(c, 0.0);
      ASSERT_LE(c, 1.0);
      const double q = FingerPressure(f, x, y, c);
      ASSERT_GE(q, 0.0);
      ASSERT_LE(q, 1.0);
    }
  }
  EXPECT_EQ(FingerCoverage(f, f.centre_x, f.centre_y), 1.0);
  EXPECT_EQ(FingerCoverage(f, 0.0, 0.0), 0.0);
  EXPECT_EQ(FingerCoverage(f, 300.0, 0.0), 0.0);
  EXPECT_GE(f.mean_period, 8.5);
  EXPECT_LE(f.mean_period, 9.5);
}

}  // namespace
}  // namespace ridgeview::tools
