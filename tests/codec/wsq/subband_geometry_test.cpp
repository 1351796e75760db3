#include "codec/wsq/subband_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace ridgeview::codec {
namespace {

struct Trees {
  wavelet_tree_node w[W_TREELEN];
  quantization_tree_entry q[Q_TREELEN];
  Trees(int width, int height) {
    build_wavelet_tree(w, width, height);
    build_quantization_tree(q, w);
  }
};

TEST(SubbandGeometry, EvenEightByEight) {
  Trees t(8, 8);
  EXPECT_EQ(t.w[1].x, 0);
  EXPECT_EQ(t.w[1].dx, 4);
  EXPECT_EQ(t.w[1].dy, 4);
  EXPECT_EQ(t.w[14].dx, 2);
  EXPECT_EQ(t.w[14].dy, 2);
  EXPECT_EQ(t.w[19].dx, 1);
  EXPECT_EQ(t.w[19].dy, 1);
  // Entries 60..63: the four 2 x 2 parts of the bottom-right 4 x 4 quadrant.
  const int expect[4][2] = {{4, 4}, {6, 4}, {4, 6}, {6, 6}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.q[60 + i].x, expect[i][0]);
    EXPECT_EQ(t.q[60 + i].y, expect[i][1]);
    EXPECT_EQ(t.q[60 + i].lx, 2);
    EXPECT_EQ(t.q[60 + i].ly, 2);
  }
}

TEST(SubbandGeometry, OddWidthFiveSplitsUnevenly) {
  Trees t(5, 64);
  EXPECT_EQ(t.w[1].dx, 3);
  EXPECT_EQ(t.w[2].x, 3);
  EXPECT_EQ(t.w[2].dx, 2);
  EXPECT_EQ(t.w[4].x, 2);
  EXPECT_EQ(t.w[4].dx, 1);
  EXPECT_EQ(t.w[6].dx, 0);  // width 1 split first smaller
  EXPECT_EQ(t.w[7].dx, 1);
  EXPECT_EQ(t.w[15].dx, 1);
  EXPECT_EQ(t.w[16].dx, 1);
}

TEST(SubbandGeometry, OddHeightFiveSplitsUnevenly) {
  Trees t(64, 5);
  EXPECT_EQ(t.w[1].dy, 3);
  EXPECT_EQ(t.w[3].y, 3);
  EXPECT_EQ(t.w[3].dy, 2);
  EXPECT_EQ(t.w[5].y, 2);
  EXPECT_EQ(t.w[5].dy, 1);
  EXPECT_EQ(t.w[10].dy, 0);
  EXPECT_EQ(t.w[12].dy, 1);
}

TEST(SubbandGeometry, SubbandsCoverEveryPixelOnce) {
  for (int width : {1, 2, 3, 5, 7, 8, 13, 31, 64, 100, 333, 500}) {
    for (int height : {1, 4, 9, 17, 48, 289, 419}) {
      Trees t(width, height);
      std::vector<int> hits(static_cast<size_t>(width) * height, 0);
      for (const auto& e : t.q) {
        ASSERT_GE(e.lx, 0);
        ASSERT_GE(e.ly, 0);
        for (int y = e.y; y < e.y + e.ly; ++y) {
          for (int x = e.x; x < e.x + e.lx; ++x) {
            ASSERT_LT(x, width);
            ASSERT_LT(y, height);
            ++hits[static_cast<size_t>(y) * width + x];
          }
        }
      }
      for (int h : hits) ASSERT_EQ(h, 1) << width << "x" << height;
    }
  }
}

TEST(SubbandGeometry, InversionFlags) {
  Trees t(100, 100);
  const int ir[] = {2, 4, 7, 9, 11, 13, 16, 18};
  const int ic[] = {3, 5, 8, 9, 12, 13, 17, 18};
  int ir_sum = 0, ic_sum = 0;
  for (const auto& n : t.w) {
    ir_sum += n.ir;
    ic_sum += n.ic;
  }
  EXPECT_EQ(ir_sum, 8);
  EXPECT_EQ(ic_sum, 8);
  for (int n : ir) EXPECT_EQ(t.w[n].ir, 1);
  for (int n : ic) EXPECT_EQ(t.w[n].ic, 1);
}

}  // namespace
}  // namespace ridgeview::codec
