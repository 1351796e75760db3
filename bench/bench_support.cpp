#include "bench/bench_support.h"

#include <cmath>
#include <map>

#include "tools/fpgen/fingerprint_generator.h"

namespace ridgeview::bench {

const TestImage& GetTestImage(int side) {
  // Benchmarks run on one thread; the map only grows.
  static std::map<int, TestImage> images;
  auto it = images.find(side);
  if (it == images.end()) {
    TestImage image;
    image.width = side;
    image.height = side;
    image.pixels = tools::GenerateFingerprint(side, side, kImageSeed);
    it = images.emplace(side, std::move(image)).first;
  }
  return it->second;
}

double Psnr(const TestImage& image, const std::uint8_t* decoded, std::size_t count) {
  if (count != image.PixelCount() || count == 0 || decoded == nullptr) return 0.0;
  double sum_sq = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double d = static_cast<double>(image.pixels[i]) - decoded[i];
    sum_sq += d * d;
  }
  if (sum_sq == 0.0) return 99.0;
  const double mse = sum_sq / static_cast<double>(count);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

double BitsPerPixel(const TestImage& image, std::size_t coded_bytes) {
  return 8.0 * static_cast<double>(coded_bytes) / static_cast<double>(image.PixelCount());
}

void ReportCounters(benchmark::State& state, const TestImage& image, const CodecQuality& q) {
  const double megapixels = static_cast<double>(image.PixelCount()) / 1e6;
  state.counters["MPix/s"] =
      benchmark::Counter(megapixels * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["bpp"] = BitsPerPixel(image, q.coded_bytes);
  state.counters["PSNR"] = q.psnr;
}

}  // namespace ridgeview::bench
