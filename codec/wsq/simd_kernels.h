// The codec's vectorised inner loops, compiled once per instruction set and chosen at run
// time. Every kernel gives bit-identical results to its plain counterpart: filter plans
// repeat the plan's sums in the plan's order in every lane (one lane per line), and the
// element-wise kernels round exactly as the plain loops do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/filter_plan.h"

namespace ridgeview::codec {

struct SimdKernels {
  const char* name;
  // Lines that lie next to each other in memory (columns of an image): sample j of line l is
  // at in[j * sample_stride + l]; output k of line l goes to out[k * sample_stride + l].
  // `scratch` holds at least ScratchFloats(plan.length) floats.
  void (*apply_columns)(const FilterPlan& plan, const float* in, float* out,
                        std::ptrdiff_t sample_stride, std::int64_t lines, float* scratch);
  // Lines whose samples are contiguous (rows of an image): row l starts at
  // in + l * row_stride (and out + l * row_stride). `scratch` holds at least
  // ScratchFloats(plan.length) floats.
  void (*apply_rows)(const FilterPlan& plan, const float* in, float* out,
                     std::ptrdiff_t row_stride, std::int64_t rows, float* scratch);
  // Outputs k_begin..k_end-1 of columns laid out as for apply_columns (input sample stride
  // in_stride), output k of line l written to out[(k - k_begin) * out_stride + l].
  void (*apply_column_outputs)(const FilterPlan& plan, const float* in,
                               std::ptrdiff_t in_stride, std::int64_t lines,
                               std::int32_t k_begin, std::int32_t k_end, float* out,
                               std::ptrdiff_t out_stride);
  // Reconstructed values to gray: t = v * r_scale + m_shift (single), t + 0.5 in double
  // rounded to single, then 0 below 0 (and for NaN), 255 above 255, else truncated.
  void (*to_gray8)(const float* values, std::uint8_t* pixels, std::size_t count, float m_shift,
                   float r_scale);
  // Quantized coefficients back to values: 0 stays 0.0; s > 0 gives
  // q * (s - centre) (single) + half_z (double, rounded once); s < 0 gives
  // q * (s + centre) - half_z.
  void (*dequantize)(const std::int16_t* coefficients, float* values, std::size_t count,
                     float q, float centre, double half_z);
  // Sum (exact), lowest and highest of `count` pixels (lowest 255 and highest 0 when empty).
  void (*pixel_stats)(const std::uint8_t* pixels, std::size_t count, std::uint64_t* sum,
                      unsigned* lowest, unsigned* highest);
  // values[i] = (pixels[i] converted to single - m_shift) / r_scale, in single precision.
  void (*normalize)(const std::uint8_t* pixels, float* values, std::size_t count, float m_shift,
                    float r_scale);
  // Quantizes `count` values with bin width q and half zero-bin h (both single): 0 for
  // -h <= v <= h, else the low 16 bits of trunc((v - h) / q (single) + 1.0 (double)) for
  // v > 0 and of trunc((v + h) / q - 1.0) for v < 0 (0 when not finite).
  void (*quantize)(const float* values, std::int16_t* out, std::size_t count, float q, float h);
};

// The low 16 bits (two's complement) of the exactly truncated t; 0 when t is not finite.
std::int16_t low16_of_truncated(double t);

// Floats of scratch the filter kernels need for lines of `length` samples (any variant).
std::size_t ScratchFloats(std::int64_t length);

// The baseline variant (SSE2 on x86-64, plain vectors elsewhere); always available.
const SimdKernels& BaselineSimdKernels();
// The AVX2 variant, or null when the processor or the build lacks it.
const SimdKernels* Avx2SimdKernels();
// The fastest variant this processor runs.
const SimdKernels& BestSimdKernels();

}  // namespace ridgeview::codec
