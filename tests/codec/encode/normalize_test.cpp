#include "codec/wsq/encode/normalize.h"

#include <gtest/gtest.h>

#include <vector>

namespace ridgeview::codec {
namespace {

TEST(Normalize, MeanShiftAndScale) {
  struct Case {
    std::vector<std::uint8_t> pixels;
    float m_shift, r_scale;
    std::vector<float> values;
  } cases[] = {
      {{100, 100, 100}, 100.0f, 1.0f, {0.0f, 0.0f, 0.0f}},  // uniform: scale 1
      {{0, 255, 255, 0}, 127.5f, 0.99609375f, {-128.0f, 128.0f, 128.0f, -128.0f}},
      // The farther side of the mean sets the scale: 255 lands on +128.
      {{0, 0, 255, 0}, 63.75f, 1.494140625f,
       {-63.75f / 1.494140625f, -63.75f / 1.494140625f, 128.0f, -63.75f / 1.494140625f}},
  };
  for (const Case& c : cases) {
    std::vector<float> data(c.pixels.size());
    float m_shift = 0, r_scale = 0;
    ASSERT_EQ(conv_img_2_flt(data.data(), &m_shift, &r_scale, c.pixels.data(), c.pixels.size()),
              0);
    EXPECT_EQ(m_shift, c.m_shift);
    EXPECT_EQ(r_scale, c.r_scale);
    EXPECT_EQ(data, c.values);
  }
  // The mean is divided in double, then rounded once to single precision.
  const std::uint8_t thirds[3] = {1, 2, 2};
  float data[3], m_shift = 0, r_scale = 0;
  conv_img_2_flt(data, &m_shift, &r_scale, thirds, 3);
  EXPECT_EQ(m_shift, static_cast<float>(5.0 / 3.0));
}

}  // namespace
}  // namespace ridgeview::codec
