// The rectangles into which WSQ splits a w x h image: the 20 nodes the wavelet transform works
// on and the 64 subbands the quantizer codes. Both depend on w and h alone.
#pragma once

#include <cstdint>

#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {

// One split step: the rectangle (x, y, dx, dy) in full-image pixels and whether the row pass
// (ir) or the column pass (ic) stores the highpass half first.
struct wavelet_tree_node {
  std::int32_t x = 0, y = 0, dx = 0, dy = 0;
  std::int32_t ir = 0, ic = 0;
};

// One subband's rectangle. Kept in 32 bits so frames wider than 32767 pixels stay exact.
struct quantization_tree_entry {
  std::int32_t x = 0, y = 0, lx = 0, ly = 0;
};

using wavelet_tree = wavelet_tree_node[W_TREELEN];
using quantization_tree = quantization_tree_entry[Q_TREELEN];

// Fills all 20 nodes for an image of w x h pixels (w, h >= 0).
void build_wavelet_tree(wavelet_tree_node (&w_tree)[W_TREELEN], std::int32_t width,
                        std::int32_t height);

// Fills all 64 entries from a tree made by build_wavelet_tree.
void build_quantization_tree(quantization_tree_entry (&q_tree)[Q_TREELEN],
                             const wavelet_tree_node (&w_tree)[W_TREELEN]);

}  // namespace ridgeview::codec
