// Ridgeview's own WSQ codec, with the settings the viewer saves with: bit rate 0.75,
// 500 pixels per inch, an empty comment.
#include <map>

#include "bench/bench_support.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::bench {
namespace {

constexpr float kWsqBitRate = 0.75f;
constexpr int kWsqPpi = 500;

struct WsqSample {
  bool ok = false;
  std::vector<std::uint8_t> file;
  CodecQuality quality;
};

int Encode(const TestImage& image, codec::CodecBytes& out, std::size_t* length) {
  return codec::wsq_encode_1(out, length, kWsqBitRate, image.pixels.data(), image.width,
                             image.height, 8, kWsqPpi, "");
}

int Decode(const std::vector<std::uint8_t>& file, codec::CodecBytes& pixels, int* width,
           int* height) {
  int depth = 0;
  int ppi = 0;
  int lossy = 0;
  int encoder = 0;
  int software = 0;
  return codec::wsq_decode_mem(pixels, width, height, &depth, &ppi, &lossy, &encoder,
                               &software, file.data(), file.size());
}

// One encoding and its decoding per side, outside any timing: the file the decoder
// benchmark reads and the size and PSNR both benchmarks report.
const WsqSample& GetWsqSample(int side) {
  static std::map<int, WsqSample> samples;
  auto it = samples.find(side);
  if (it != samples.end()) return it->second;
  WsqSample s;
  const TestImage& image = GetTestImage(side);
  codec::CodecBytes data;
  std::size_t length = 0;
  if (Encode(image, data, &length) == 0) {
    s.file.assign(data.get(), data.get() + length);
    codec::CodecBytes pixels;
    int w = 0;
    int h = 0;
    if (Decode(s.file, pixels, &w, &h) == 0 && w == image.width && h == image.height) {
      s.ok = true;
      s.quality.coded_bytes = length;
      s.quality.psnr = Psnr(image, pixels.get(), image.PixelCount());
    }
  }
  return samples.emplace(side, std::move(s)).first->second;
}

void BM_WsqEncode(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  const WsqSample& sample = GetWsqSample(side);
  if (!sample.ok) {
    state.SkipWithError("WSQ encode/decode round trip failed");
    return;
  }
  for (auto _ : state) {
    codec::CodecBytes data;
    std::size_t length = 0;
    if (Encode(image, data, &length) != 0) {
      state.SkipWithError("wsq_encode_1 failed");
      break;
    }
    benchmark::DoNotOptimize(data.get());
  }
  ReportCounters(state, image, sample.quality);
}

void BM_WsqDecode(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  const WsqSample& sample = GetWsqSample(side);
  if (!sample.ok) {
    state.SkipWithError("WSQ encode/decode round trip failed");
    return;
  }
  for (auto _ : state) {
    codec::CodecBytes pixels;
    int w = 0;
    int h = 0;
    if (Decode(sample.file, pixels, &w, &h) != 0) {
      state.SkipWithError("wsq_decode_mem failed");
      break;
    }
    benchmark::DoNotOptimize(pixels.get());
  }
  ReportCounters(state, image, sample.quality);
}

BENCHMARK(BM_WsqEncode)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WsqDecode)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ridgeview::bench
