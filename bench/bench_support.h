// Shared inputs and measurements of ridgeview-bench: the generated test images, the
// distortion and size figures reported beside each speed, and the counters that carry them.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ridgeview::bench {

// Every codec is driven to this many coded bits per image pixel.
inline constexpr double kTargetBitsPerPixel = 0.75;

// Square test images, by side, all made from the same seed.
inline constexpr int kImageSides[] = {500, 2000};
inline constexpr std::uint64_t kImageSeed = 1;

struct TestImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height gray bytes, top row first

  std::size_t PixelCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  }
};

// The generated image of the given side (one of kImageSides), made on first use and kept.
const TestImage& GetTestImage(int side);

// Peak signal-to-noise ratio in dB of `decoded` against the image (255 as the peak); 99 for
// identical pixels, 0 when the sizes differ.
double Psnr(const TestImage& image, const std::uint8_t* decoded, std::size_t count);

double BitsPerPixel(const TestImage& image, std::size_t coded_bytes);

// What one codec setting gives on one image, measured once outside the timed loop.
struct CodecQuality {
  std::size_t coded_bytes = 0;
  double psnr = 0.0;
};

// Sets the counters every benchmark reports: "MPix/s" (a rate over the measured time),
// "bpp" and "PSNR" (plain values).
void ReportCounters(benchmark::State& state, const TestImage& image, const CodecQuality& q);

}  // namespace ridgeview::bench
