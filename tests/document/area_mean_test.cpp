// Area-mean reduction: the weighted mean of the covered source pixels, flat areas kept, gray
// and colour paths alike, and the copies (clipboard, thumbnails) that use it.
#include "document/area_mean.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "document/clipboard_dib.h"
#include "document/pixel_convert.h"
#include "document/scaled_copy.h"

namespace ridgeview::document {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Rows of w x h BGR pixels from a function of (x, y, channel).
struct Source {
  int w = 0, h = 0;
  Bytes bytes;
  Bgr24Rows Rows() const {
    return {bytes.data(), w, h, static_cast<std::size_t>(w) * 3};
  }
};
template <typename F>
Source Make(int w, int h, F value) {
  Source s{w, h, Bytes(static_cast<std::size_t>(w) * h * 3)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        s.bytes[(static_cast<std::size_t>(y) * w + x) * 3 + c] =
            static_cast<std::uint8_t>(value(x, y, c));
  return s;
}

// The exact area-weighted mean of channel c over target pixel (tx, ty)'s span.
double ExactMean(const Source& s, double f, int tx, int ty, int c) {
  double sum = 0, area = 0;
  const double x0 = tx * f, x1 = std::min((tx + 1) * f, double(s.w));
  const double y0 = ty * f, y1 = std::min((ty + 1) * f, double(s.h));
  for (int y = int(std::floor(y0)); y < std::ceil(y1); ++y) {
    const double wy = std::min(y1, y + 1.0) - std::max(y0, double(y));
    for (int x = int(std::floor(x0)); x < std::ceil(x1); ++x) {
      const double wx = std::min(x1, x + 1.0) - std::max(x0, double(x));
      sum += wx * wy * s.bytes[(static_cast<std::size_t>(y) * s.w + x) * 3 + c];
      area += wx * wy;
    }
  }
  return sum / area;
}

TEST(AreaMean, WholeFactorIsThePlainMeanOfEachBlock) {
  const Source s = Make(4, 2, [](int x, int y, int) { return 10 + 10 * (y * 4 + x); });
  Bytes out(2 * 1 * 3);
  ASSERT_TRUE(AreaMeanReduce(s.Rows(), 2.0, 2, 1, ReducedFormat::kBgr24, out.data(), 6, true));
  // (10 + 20 + 50 + 60) / 4 = 35, (30 + 40 + 70 + 80) / 4 = 55.
  EXPECT_EQ(out, (Bytes{35, 35, 35, 55, 55, 55}));
}

TEST(AreaMean, FractionalFootprintWeighsPartlyCoveredPixels) {
  std::mt19937 random(7);
  const Source s = Make(97, 61, [&](int, int, int) { return random() & 0xFF; });
  for (const double f : {1.01, 1.37, 1.5625, 2.0, 2.5, 3.3, 7.0}) {
    const int tw = static_cast<int>(97 / f), th = static_cast<int>(61 / f);
    Bytes out(static_cast<std::size_t>(tw) * th * 3);
    ASSERT_TRUE(AreaMeanReduce(s.Rows(), f, tw, th, ReducedFormat::kBgr24, out.data(),
                               static_cast<std::size_t>(tw) * 3, false));
    for (int ty = 0; ty < th; ++ty)
      for (int tx = 0; tx < tw; ++tx)
        for (int c = 0; c < 3; ++c)
          ASSERT_NEAR(out[(static_cast<std::size_t>(ty) * tw + tx) * 3 + c],
                      ExactMean(s, f, tx, ty, c), 0.75)
              << "f " << f << " at " << tx << "," << ty;
  }
}

TEST(AreaMean, FlatStaysFlatAndGrayPathMatchesColourPath) {
  const Source flat = Make(50, 40, [](int, int, int) { return 173; });
  Bytes out(17 * 13 * 4);
  ASSERT_TRUE(AreaMeanReduce(flat.Rows(), 2.9, 17, 13, ReducedFormat::kXrgb32, out.data(),
                             17 * 4, true));
  for (std::size_t i = 0; i < out.size(); i += 4) {
    ASSERT_EQ(out[i], 173);
    ASSERT_EQ(out[i + 1], 173);
    ASSERT_EQ(out[i + 2], 173);
    ASSERT_EQ(out[i + 3], 0xFF);
  }
  const Source ridges = Make(200, 160, [](int x, int y, int) {
    return 128 + 120 * std::sin((x * 0.7 + y * 0.3));
  });
  EXPECT_TRUE(IsGray(ridges.Rows()));
  Bytes gray(128 * 102 * 4), colour(128 * 102 * 4);
  ASSERT_TRUE(AreaMeanReduce(ridges.Rows(), 1.56, 128, 102, ReducedFormat::kXrgb32, gray.data(),
                             128 * 4, true));
  ASSERT_TRUE(AreaMeanReduce(ridges.Rows(), 1.56, 128, 102, ReducedFormat::kXrgb32,
                             colour.data(), 128 * 4, false));
  EXPECT_EQ(gray, colour);
  EXPECT_FALSE(IsGray(Make(3, 3, [](int x, int, int c) { return x == 2 && c == 1 ? 9 : 0; }).Rows()));
}

TEST(AreaMean, NoMoireOnFineRidges) {
  // Ridges 3 pixels apart reduced by 1.56: picking makes a coarse false pattern (large swings
  // along the row); averaging keeps every pixel near the mean gray.
  const Source s = Make(2000, 8, [](int x, int, int) { return x % 3 == 0 ? 0 : 240; });
  const int tw = static_cast<int>(2000 / 1.56);
  Bytes out(static_cast<std::size_t>(tw) * 5 * 3);
  ASSERT_TRUE(AreaMeanReduce(s.Rows(), 1.56, tw, 5, ReducedFormat::kBgr24, out.data(),
                             static_cast<std::size_t>(tw) * 3, true));
  for (int x = 0; x < tw; ++x) {
    const int v = out[static_cast<std::size_t>(x) * 3];
    EXPECT_GT(v, 40) << x;  // never a whole black ridge pixel picked alone
  }
}

TEST(AreaMean, RefusesBadArguments) {
  const Source s = Make(4, 4, [](int, int, int) { return 1; });
  Bytes out(64);
  EXPECT_FALSE(AreaMeanReduce(s.Rows(), 0.0, 2, 2, ReducedFormat::kBgr24, out.data(), 6, true));
  EXPECT_FALSE(AreaMeanReduce(s.Rows(), NAN, 2, 2, ReducedFormat::kBgr24, out.data(), 6, true));
  EXPECT_FALSE(AreaMeanReduce(s.Rows(), 2.0, 0, 2, ReducedFormat::kBgr24, out.data(), 6, true));
  EXPECT_FALSE(AreaMeanReduce({}, 2.0, 2, 2, ReducedFormat::kBgr24, out.data(), 6, true));
  EXPECT_FALSE(AreaMeanReduce(s.Rows(), 2.0, 2, 2, ReducedFormat::kBgr24, nullptr, 6, true));
  // A target reaching beyond the source repeats its last pixels instead of reading past it.
  EXPECT_TRUE(AreaMeanReduce(s.Rows(), 2.0, 4, 4, ReducedFormat::kBgr24, out.data(), 12, true));
  EXPECT_EQ(out[11], 1);
}

TEST(ScaledCopyAreaMean, ScreenAndClipboardKindsAverage) {
  const Bytes gray = {10, 20, 30, 40, 50, 60, 70, 80};  // 4 x 2
  const Image image = *GrayToImage(gray, 4, 2);
  ScaleMethod mean;
  mean.areaMean = true;
  mean.footprint = 2.0;
  const auto screen = ScaledCopy(image, 2, 1, ScaleKind::kScreen, mean);
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->pixels[0], 35);
  EXPECT_EQ(screen->pixels[3], 55);
  // Picking (the default) takes the top-left pixel of each block.
  const auto picked = ScaledCopy(image, 2, 1, ScaleKind::kScreen);
  EXPECT_EQ(picked->pixels[0], 10);
  // Clipboard kind: 5-5-5 of the mean, bottom row first.
  const auto clip = ScaledCopy(image, 2, 1, ScaleKind::kClipboard, mean);
  ASSERT_TRUE(clip);
  const int v = 35 >> 3;
  EXPECT_EQ(clip->pixels[0] | (clip->pixels[1] << 8), (v << 10) | (v << 5) | v);
  // An 8-bit palette bitmap, stored bottom row first, is rendered before averaging.
  Image palette = *CreateImage(2, 2, 8);
  palette.colourTable = {{0, 0, 0, 0}, {200, 100, 40, 0}};
  palette.pixels[0] = 1;  // bottom row, left
  const auto fromPalette = ScaledCopy(palette, 1, 1, ScaleKind::kScreen, mean);
  ASSERT_TRUE(fromPalette);
  EXPECT_EQ(fromPalette->pixels[0], 50);   // blue 200 / 4
  EXPECT_EQ(fromPalette->pixels[1], 25);   // green 100 / 4
  EXPECT_EQ(fromPalette->pixels[2], 10);   // red 40 / 4
  // A footprint of at most 1 picks.
  mean.footprint = 0.5;
  const auto up = ScaledCopy(image, 8, 4, ScaleKind::kScreen, mean);
  ASSERT_TRUE(up);
  EXPECT_EQ(up->pixels[3], 10);
}

}  // namespace
}  // namespace ridgeview::document
