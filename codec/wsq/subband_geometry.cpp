#include "codec/wsq/subband_geometry.h"

#include <initializer_list>

namespace ridgeview::codec {
namespace {

// Parts of a length n: even halves; odd lengths give the extra sample to the first part
// unless first_smaller is set.
struct Halves {
  std::int32_t first, second;
};

Halves split(std::int32_t n, bool first_smaller) {
  if (n % 2 == 0) return {n / 2, n / 2};
  return first_smaller ? Halves{(n - 1) / 2, (n + 1) / 2} : Halves{(n + 1) / 2, (n - 1) / 2};
}

struct Rect {
  std::int32_t x, y, dx, dy;
};

// Four-way split in the order top-left, top-right, bottom-left, bottom-right.
void split4(const Rect& r, bool widths_first_smaller, bool heights_first_smaller, Rect out[4]) {
  const Halves w = split(r.dx, widths_first_smaller);
  const Halves h = split(r.dy, heights_first_smaller);
  out[0] = {r.x, r.y, w.first, h.first};
  out[1] = {r.x + w.first, r.y, w.second, h.first};
  out[2] = {r.x, r.y + h.first, w.first, h.second};
  out[3] = {r.x + w.first, r.y + h.first, w.second, h.second};
}

void set_node(wavelet_tree_node& node, const Rect& r) {
  node.x = r.x;
  node.y = r.y;
  node.dx = r.dx;
  node.dy = r.dy;
}

Rect node_rect(const wavelet_tree_node& n) { return {n.x, n.y, n.dx, n.dy}; }

void set_entry(quantization_tree_entry& e, const Rect& r) {
  e.x = r.x;
  e.y = r.y;
  e.lx = r.dx;
  e.ly = r.dy;
}

void quad_split16(quantization_tree_entry (&q_tree)[Q_TREELEN], int p, const Rect& region,
                  bool rw, bool cl) {
  Rect quads[4];
  split4(region, cl, rw, quads);
  // Widths of B and D, and heights of C and D, split first smaller.
  const bool w_smaller[4] = {false, true, false, true};
  const bool h_smaller[4] = {false, false, true, true};
  for (int quad = 0; quad < 4; ++quad) {
    Rect parts[4];
    split4(quads[quad], w_smaller[quad], h_smaller[quad], parts);
    for (int i = 0; i < 4; ++i) set_entry(q_tree[p + 4 * quad + i], parts[i]);
  }
}

void quad_split4(quantization_tree_entry (&q_tree)[Q_TREELEN], int p, const Rect& region) {
  Rect parts[4];
  split4(region, false, false, parts);
  for (int i = 0; i < 4; ++i) set_entry(q_tree[p + i], parts[i]);
}

}  // namespace

void build_wavelet_tree(wavelet_tree_node (&w_tree)[W_TREELEN], std::int32_t width,
                        std::int32_t height) {
  for (auto& node : w_tree) node = wavelet_tree_node{};
  for (int n : {2, 4, 7, 9, 11, 13, 16, 18}) w_tree[n].ir = 1;
  for (int n : {3, 5, 8, 9, 12, 13, 17, 18}) w_tree[n].ic = 1;

  Rect parts[4];
  set_node(w_tree[0], {0, 0, width, height});
  split4(node_rect(w_tree[0]), false, false, parts);
  for (int i = 0; i < 3; ++i) set_node(w_tree[1 + i], parts[i]);

  const Halves wh = split(w_tree[1].dx, false);
  const Halves hh = split(w_tree[1].dy, false);

  set_node(w_tree[4], {wh.first, 0, wh.second, hh.first});
  split4(node_rect(w_tree[4]), true, false, parts);
  for (int i = 0; i < 4; ++i) set_node(w_tree[6 + i], parts[i]);

  set_node(w_tree[5], {0, hh.first, wh.first, hh.second});
  split4(node_rect(w_tree[5]), false, true, parts);
  for (int i = 0; i < 4; ++i) set_node(w_tree[10 + i], parts[i]);

  set_node(w_tree[14], {0, 0, wh.first, hh.first});
  split4(node_rect(w_tree[14]), false, false, parts);
  for (int i = 0; i < 4; ++i) set_node(w_tree[15 + i], parts[i]);

  set_node(w_tree[19], {0, 0, (w_tree[15].dx + 1) / 2, (w_tree[15].dy + 1) / 2});
}

void build_quantization_tree(quantization_tree_entry (&q_tree)[Q_TREELEN],
                             const wavelet_tree_node (&w_tree)[W_TREELEN]) {
  for (auto& e : q_tree) e = quantization_tree_entry{};
  // Later splits overwrite entries of earlier ones: 48..50 by the split of node 5, entry 3 by
  // the split of node 19.
  quad_split16(q_tree, 3, node_rect(w_tree[14]), false, false);
  quad_split16(q_tree, 19, node_rect(w_tree[4]), false, true);
  quad_split16(q_tree, 48, node_rect(w_tree[0]), false, false);
  quad_split16(q_tree, 35, node_rect(w_tree[5]), true, false);
  quad_split4(q_tree, 0, node_rect(w_tree[19]));
}

}  // namespace ridgeview::codec
