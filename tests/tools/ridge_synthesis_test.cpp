#include "tools/fpgen/ridge_synthesis.h"

#include <gtest/gtest.h>

#include <vector>

#include "tools/fpgen/deterministic_math.h"

namespace ridgeview::tools {
namespace {

// Sign changes along a run of the field, ignoring values near 0.
int SignChanges(const std::vector<float>& f, std::size_t start, std::size_t step, int count) {
  int sign = 0;
  int changes = 0;
  for (int i = 0; i < count; ++i) {
    const float v = f[start + static_cast<std::size_t>(i) * step];
    const int s = v > 0.3f ? 1 : (v < -0.3f ? -1 : sign);
    if (sign != 0 && s != sign) ++changes;
    sign = s;
  }
  return changes;
}

struct UniformField {
  int width;
  int height;
  std::vector<std::uint8_t> dir;
  std::vector<std::uint8_t> per;
  UniformField(int w, int h, double angle, double period)
      : width(w),
        height(h),
        dir(static_cast<std::size_t>(w) * h, DirectionBin(angle)),
        per(static_cast<std::size_t>(w) * h, PeriodBin(period)) {}
  RidgeFieldRequest Request() const {
    RidgeFieldRequest r;
    r.width = width;
    r.height = height;
    r.direction_bins = dir.data();
    r.period_bins = per.data();
    r.seed = 3;
    return r;
  }
};

TEST(RidgeSynthesis, BinsWrapAndClamp) {
  EXPECT_EQ(DirectionBin(0.0), 0);
  EXPECT_EQ(DirectionBin(kPi), 0);
  EXPECT_EQ(DirectionBin(-kPi / 2), kDirectionBins / 2);
  EXPECT_EQ(DirectionBin(kPi / 2 + 7 * kPi), kDirectionBins / 2);
  EXPECT_EQ(DirectionBin(kPi - 1e-9), 0);  // rounds up to pi, which is 0 again
  EXPECT_EQ(PeriodBin(kPeriodMin), 0);
  EXPECT_EQ(PeriodBin(9.0), static_cast<int>((9.0 - kPeriodMin) / kPeriodStep + 0.5));
  EXPECT_EQ(PeriodBin(1.0), 0);
  EXPECT_EQ(PeriodBin(100.0), kPeriodBins - 1);
}

TEST(RidgeSynthesis, HorizontalRidgesHaveTheRequestedPeriod) {
  const UniformField field(160, 200, 0.0, 9.0);
  const std::vector<float> f = SynthesizeRidges(field.Request());
  ASSERT_EQ(f.size(), 160u * 200u);
  for (float v : f) {
    ASSERT_GE(v, -1.0f);
    ASSERT_LE(v, 1.0f);
  }
  // Down a column away from the edges: two sign changes per period.
  const int down = SignChanges(f, 20u * 160 + 80, 160, 160);
  EXPECT_NEAR(down / 2.0, 160 / 9.0, 2.0);
  // Along a row the ridge is followed, so hardly any changes.
  EXPECT_LE(SignChanges(f, 100u * 160 + 20, 1, 120), 4);
}

TEST(RidgeSynthesis, VerticalRidgesFollowTheDirection) {
  const UniformField field(200, 120, kPi / 2, 8.0);
  const std::vector<float> f = SynthesizeRidges(field.Request());
  const int across = SignChanges(f, 60u * 200 + 20, 1, 160);
  EXPECT_NEAR(across / 2.0, 160 / 8.0, 2.0);
  EXPECT_LE(SignChanges(f, 10u * 200 + 100, 200, 100), 4);
}

TEST(RidgeSynthesis, SpansLimitTheWorkAndTheResult) {
  const UniformField field(64, 4, 0.3, 9.0);
  const int begin[4] = {10, -5, 30, 0};
  const int end[4] = {20, 500, 30, 0};  // clipped, clipped, empty, empty
  RidgeFieldRequest r = field.Request();
  r.span_begin = begin;
  r.span_end = end;
  const std::vector<float> f = SynthesizeRidges(r);
  ASSERT_EQ(f.size(), 64u * 4u);
  for (int x = 0; x < 64; ++x) {
    if (x < 10 || x >= 20) {
      EXPECT_EQ(f[static_cast<std::size_t>(x)], 0.0f) << x;
    }
    EXPECT_EQ(f[2u * 64 + x], 0.0f);
    EXPECT_EQ(f[3u * 64 + x], 0.0f);
  }
  int nonzero = 0;
  for (int x = 0; x < 64; ++x) nonzero += f[64u + x] != 0.0f;
  EXPECT_GT(nonzero, 50);
}

TEST(RidgeSynthesis, RejectsIncompleteRequests) {
  const UniformField field(8, 8, 0.0, 9.0);
  RidgeFieldRequest r = field.Request();
  r.width = 0;
  EXPECT_TRUE(SynthesizeRidges(r).empty());
  r = field.Request();
  r.period_bins = nullptr;
  EXPECT_TRUE(SynthesizeRidges(r).empty());
  r = field.Request();
  r.rounds = 0;  // no filtering: the starting noise, still in range
  const std::vector<float> f = SynthesizeRidges(r);
  ASSERT_EQ(f.size(), 64u);
  for (float v : f) EXPECT_LE(v * v, 1.0f);
}

}  // namespace
}  // namespace ridgeview::tools
