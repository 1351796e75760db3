#include "codec/wsq/encode/normalize.h"

namespace ridgeview::codec {

int conv_img_2_flt(float* fdata, float* m_shift, float* r_scale, const std::uint8_t* data,
                   std::size_t num_pix, const SimdKernels& kernels) {
  // The sum of the pixels is an integer below 2^53 for every image the codec can hold, so
  // summing it in integers gives exactly the double-precision sum.
  std::uint64_t sum = 0;
  unsigned low = 255, high = 0;
  kernels.pixel_stats(data, num_pix, &sum, &low, &high);
  const float mean = static_cast<float>(static_cast<double>(sum) / static_cast<double>(num_pix));
  const float low_diff = mean - static_cast<float>(low);
  const float high_diff = static_cast<float>(high) - mean;
  const float d = low_diff >= high_diff ? low_diff : high_diff;
  double r = static_cast<double>(d) * 0.0078125;
  if (r == 0.0) r = 1.0;
  const float scale = static_cast<float>(r);

  // Needs the final mean and scale, so it cannot share the statistics pass.
  kernels.normalize(data, fdata, num_pix, mean, scale);
  *m_shift = mean;
  *r_scale = scale;
  return 0;
}

}  // namespace ridgeview::codec
