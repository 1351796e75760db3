#include "codec/wsq/encode/normalize.h"

namespace ridgeview::codec {

int conv_img_2_flt(float* fdata, float* m_shift, float* r_scale, const std::uint8_t* data,
                   std::size_t num_pix) {
  // A double holds the sum exactly for every image below 2^45 pixels.
  double sum = 0.0;
  unsigned low = 255, high = 0;
  for (std::size_t i = 0; i < num_pix; ++i) {
    const unsigned p = data[i];
    sum += p;
    if (p < low) low = p;
    if (p > high) high = p;
  }
  const float mean = static_cast<float>(sum / static_cast<double>(num_pix));
  const float low_diff = mean - static_cast<float>(low);
  const float high_diff = static_cast<float>(high) - mean;
  const float d = low_diff >= high_diff ? low_diff : high_diff;
  double r = static_cast<double>(d) * 0.0078125;
  if (r == 0.0) r = 1.0;
  const float scale = static_cast<float>(r);

  // Needs the final mean and scale, so it cannot share the statistics pass.
  for (std::size_t i = 0; i < num_pix; ++i) {
    fdata[i] = (static_cast<float>(data[i]) - mean) / scale;
  }
  *m_shift = mean;
  *r_scale = scale;
  return 0;
}

}  // namespace ridgeview::codec
