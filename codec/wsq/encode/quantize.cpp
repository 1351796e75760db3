#include "codec/wsq/encode/quantize.h"

#include <cmath>
#include <limits>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {
namespace {

// Weights of the highest-frequency subbands 52..59; 1.0 below.
constexpr float kWeight52[8] = {1.32f, 1.08f, 1.42f, 1.08f, 1.32f, 1.42f, 1.08f, 1.08f};

float weight(int k) { return k >= 52 ? kWeight52[k - 52] : 1.0f; }

// Share of the image a subband of each level stands for: 1/1024, 1/256 or 1/16.
float size_factor(int k) {
  if (k < 4) return 1.0f / 1024.0f;
  if (k < 51) return 1.0f / 256.0f;
  return 1.0f / 16.0f;
}

// The variance threshold is a double constant; a float variance is widened to compare.
bool coded_variance(float variance) { return static_cast<double>(variance) >= 1.01; }

struct Region {
  std::int32_t x, y, lx, ly;
};

Region central_region(const quantization_tree_entry& e) {
  return {e.x + e.lx / 8,
          static_cast<std::int32_t>(e.y + (9 * static_cast<std::int64_t>(e.ly)) / 32),
          static_cast<std::int32_t>((3 * static_cast<std::int64_t>(e.lx)) / 4),
          static_cast<std::int32_t>((7 * static_cast<std::int64_t>(e.ly)) / 16)};
}

// Common factor lambda of the bit allocation for the subbands in `set` (the loop of
// quantize_wsq): removes the subbands whose width would exceed five standard deviations
// until none does, and returns the final lambda.
float allocate_bits(float r, const float qp[Q_TREELEN], const float sigma[Q_TREELEN],
                    int set[NUM_SUBBANDS], int set_size) {
  for (;;) {
    float s = 0.0f;
    for (int i = 0; i < set_size; ++i) s = s + size_factor(set[i]);
    float p = 1.0f;
    for (int i = 0; i < set_size; ++i) {
      const int k = set[i];
      const float ratio = sigma[k] / qp[k];
      p = static_cast<float>(static_cast<double>(p) *
                             std::pow(static_cast<double>(ratio),
                                      static_cast<double>(size_factor(k))));
    }
    float lambda;
    if (static_cast<double>(s) < 0.004) {
      lambda = 1.0f;
    } else {
      const double exponent = static_cast<double>(r / s) - 1.0;
      const double inv_s = 1.0 / static_cast<double>(s);
      lambda = static_cast<float>((std::pow(2.0, exponent) * 0.4) /
                                  std::pow(static_cast<double>(p), inv_s));
    }

    const float inv_lambda = 1.0f / lambda;
    int kept = 0;
    for (int i = 0; i < set_size; ++i) {
      const int k = set[i];
      const float width = qp[k] * inv_lambda;
      const bool too_wide = static_cast<double>(width) >= 5.0 * static_cast<double>(sigma[k]);
      if (!too_wide) set[kept++] = k;
    }
    if (kept == set_size) return lambda;
    set_size = kept;
  }
}

}  // namespace

std::int16_t quantize_coefficient(float v, float q, float h) {
  std::int16_t out = 0;
  BaselineSimdKernels().quantize(&v, &out, 1, q, h);
  return out;
}

float subband_variance(const float* data, std::size_t width, std::int32_t x, std::int32_t y,
                       std::int32_t lx, std::int32_t ly) {
  if (lx <= 0 || ly <= 0) return std::numeric_limits<float>::quiet_NaN();
  const std::int64_t n = static_cast<std::int64_t>(lx) * ly;
  if (n < 2) return std::numeric_limits<float>::quiet_NaN();
  float s1 = 0.0f, s2 = 0.0f;
  for (std::int32_t row = 0; row < ly; ++row) {
    const float* p = data + (static_cast<std::size_t>(y) + row) * width + x;
    for (std::int32_t col = 0; col < lx; ++col) {
      s1 = s1 + p[col];
      s2 = s2 + p[col] * p[col];
    }
  }
  const float t = (s1 * s1) / static_cast<float>(n);
  const float diff = s2 - t;
  return static_cast<float>(static_cast<double>(diff) / (static_cast<double>(n) - 1.0));
}

void subband_variances(quant_params& params, const quantization_tree_entry (&q_tree)[Q_TREELEN],
                       const float* fdata, std::size_t width) {
  float vsum = 0.0f;
  for (int k = 0; k < 4; ++k) {
    const Region c = central_region(q_tree[k]);
    params.variance[k] = subband_variance(fdata, width, c.x, c.y, c.lx, c.ly);
    vsum = vsum + params.variance[k];
  }
  if (vsum < 20000.0f) {
    for (int k = 0; k < NUM_SUBBANDS; ++k) {
      const quantization_tree_entry& e = q_tree[k];
      params.variance[k] = subband_variance(fdata, width, e.x, e.y, e.lx, e.ly);
    }
  } else {
    for (int k = 4; k < NUM_SUBBANDS; ++k) {
      const Region c = central_region(q_tree[k]);
      params.variance[k] = subband_variance(fdata, width, c.x, c.y, c.lx, c.ly);
    }
  }
}

int quantize_wsq(CoefficientArray& sip, std::size_t* count, quant_params& params,
                 const quantization_tree_entry (&q_tree)[Q_TREELEN], const float* fdata,
                 std::size_t width, std::size_t height, const SimdKernels& kernels) {
  CoefficientArray out = codec_alloc_array<std::int16_t>(width * height);
  if (!out) {
    report(msg::WSQ_ENC_SIP_ALLOC);
    return WSQ_ENC_SIP_ALLOC;
  }
  for (int k = 0; k < Q_TREELEN; ++k) {
    params.q[k] = 0.0f;
    params.z[k] = 0.0f;
  }
  // Relative widths Q'; subbands below the threshold (or without a variance) get 0.
  float qp[Q_TREELEN] = {};
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    const float v = params.variance[k];
    if (!coded_variance(v)) continue;
    if (k < 4) {
      qp[k] = 1.0f;
    } else {
      const float l = static_cast<float>(std::log(static_cast<double>(v)));
      const float al = weight(k) * l;
      qp[k] = static_cast<float>(10.0 / static_cast<double>(al));
    }
  }

  float sigma[Q_TREELEN] = {};
  bool in_k0[Q_TREELEN] = {};
  int set[NUM_SUBBANDS];
  int set_size = 0;
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    if (!coded_variance(params.variance[k])) continue;
    in_k0[k] = true;
    sigma[k] = static_cast<float>(std::sqrt(static_cast<double>(params.variance[k])));
    set[set_size++] = k;
  }
  const float lambda = allocate_bits(params.r, qp, sigma, set, set_size);

  // Subbands removed by the allocation loop keep their width; only K0 is coded.
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    params.q[k] = in_k0[k] ? qp[k] / lambda : 0.0f;
    params.z[k] = static_cast<float>(1.2 * static_cast<double>(params.q[k]));
  }

  std::size_t n = 0;
  std::int16_t* dst = out.get();
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    const float q = params.q[k];
    if (q == 0.0f) continue;
    const float h = static_cast<float>(0.5 * static_cast<double>(params.z[k]));
    const quantization_tree_entry& e = q_tree[k];
    for (std::int32_t row = 0; row < e.ly; ++row) {
      const float* p = fdata + (static_cast<std::size_t>(e.y) + row) * width + e.x;
      kernels.quantize(p, dst + n, static_cast<std::size_t>(e.lx), q, h);
      n += static_cast<std::size_t>(e.lx);
    }
  }
  sip = std::move(out);
  *count = n;
  return 0;
}

void block_coefficient_counts(std::int64_t sizes[3], const quant_params& params,
                              const wavelet_tree_node (&w_tree)[W_TREELEN],
                              const quantization_tree_entry (&q_tree)[Q_TREELEN]) {
  auto area = [](std::int64_t a, std::int64_t b) { return a * b; };
  sizes[0] = area(w_tree[14].dx, w_tree[14].dy);
  sizes[1] = area(w_tree[5].dy, w_tree[1].dx) + area(w_tree[4].dx, w_tree[4].dy);
  sizes[2] = area(w_tree[2].dx, w_tree[2].dy) + area(w_tree[3].dx, w_tree[3].dy);
  for (int k = 0; k < NUM_SUBBANDS; ++k) {
    if (params.q[k] != 0.0f) continue;
    const int block = k < BLOCK2_FIRST_SUBBAND ? 0 : (k < BLOCK3_FIRST_SUBBAND ? 1 : 2);
    sizes[block] -= area(q_tree[k].lx, q_tree[k].ly);
  }
}

}  // namespace ridgeview::codec
