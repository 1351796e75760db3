// ridgeview-bench: encode and decode speed of Ridgeview's WSQ codec beside libjpeg-turbo and
// OpenJPEG on the same generated fingerprint images, every codec near 0.75 bits per pixel.
// Takes Google Benchmark's usual options (--benchmark_filter=..., --benchmark_format=json).
#include <cstdio>

#include "bench/bench_support.h"

namespace ridgeview::bench {
void PrepareJpegSettings();  // jpeg_bench.cpp
}  // namespace ridgeview::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  using namespace ridgeview::bench;
  for (int side : kImageSides) {
    const TestImage& image = GetTestImage(side);
    std::fprintf(stderr, "Input %dx%d: generated fingerprint, seed %llu\n", image.width,
                 image.height, static_cast<unsigned long long>(kImageSeed));
  }
  PrepareJpegSettings();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
