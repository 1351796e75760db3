// libjpeg-turbo through its TurboJPEG API: one gray component, the quality chosen at
// start-up so that the file comes closest to the target bit rate. The "optimized" variant
// has the library compute Huffman tables for each image (TurboJPEG 2.x reads that switch
// from the TJ_OPTIMIZE environment variable on every compression) and is tuned separately.
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "bench/bench_support.h"

namespace ridgeview::bench {
namespace {

class TurboHandle {
 public:
  explicit TurboHandle(bool compress) : h_(compress ? tjInitCompress() : tjInitDecompress()) {}
  ~TurboHandle() {
    if (h_ != nullptr) tjDestroy(h_);
  }
  TurboHandle(const TurboHandle&) = delete;
  TurboHandle& operator=(const TurboHandle&) = delete;
  tjhandle get() const { return h_; }

 private:
  tjhandle h_;
};

// Sets TJ_OPTIMIZE for the lifetime of the object (or removes it) and restores the
// previous state afterwards, so the plain variant is never optimised by accident.
class ScopedHuffmanMode {
 public:
  explicit ScopedHuffmanMode(bool optimise) {
    if (const char* old = std::getenv("TJ_OPTIMIZE")) previous_ = std::string(old);
    if (optimise) {
      setenv("TJ_OPTIMIZE", "1", 1);
    } else {
      unsetenv("TJ_OPTIMIZE");
    }
  }
  ~ScopedHuffmanMode() {
    if (previous_) {
      setenv("TJ_OPTIMIZE", previous_->c_str(), 1);
    } else {
      unsetenv("TJ_OPTIMIZE");
    }
  }
  ScopedHuffmanMode(const ScopedHuffmanMode&) = delete;
  ScopedHuffmanMode& operator=(const ScopedHuffmanMode&) = delete;

 private:
  std::optional<std::string> previous_;
};

struct JpegSetting {
  bool ok = false;
  int quality = 0;
  std::vector<std::uint8_t> file;
  CodecQuality result;
};

// Compresses into `buffer` (sized by tjBufSize, never reallocated); returns the byte count
// or 0 on failure.
std::size_t Compress(tjhandle h, const TestImage& image, int quality,
                     std::vector<std::uint8_t>& buffer) {
  unsigned char* out = buffer.data();
  unsigned long size = 0;
  if (tjCompress2(h, image.pixels.data(), image.width, 0, image.height, TJPF_GRAY, &out, &size,
                  TJSAMP_GRAY, quality, TJFLAG_NOREALLOC) != 0) {
    return 0;
  }
  return size;
}

bool Decompress(tjhandle h, const std::vector<std::uint8_t>& file, const TestImage& image,
                std::uint8_t* out) {
  return tjDecompress2(h, file.data(), file.size(), out, image.width, 0, image.height,
                       TJPF_GRAY, 0) == 0;
}

std::vector<std::uint8_t> OutputBuffer(const TestImage& image) {
  return std::vector<std::uint8_t>(tjBufSize(image.width, image.height, TJSAMP_GRAY));
}

// Searches the quality whose file comes closest to kTargetBitsPerPixel: the file size grows
// with the quality, so a bisection finds the first quality at or above the target and the
// one below it is the only other candidate.
JpegSetting Tune(const TestImage& image, bool optimise) {
  JpegSetting s;
  TurboHandle enc(true);
  TurboHandle dec(false);
  if (enc.get() == nullptr || dec.get() == nullptr) return s;
  ScopedHuffmanMode mode(optimise);
  std::vector<std::uint8_t> buffer = OutputBuffer(image);
  std::map<int, std::size_t> sizes;
  auto size_at = [&](int q) {
    auto it = sizes.find(q);
    if (it == sizes.end()) it = sizes.emplace(q, Compress(enc.get(), image, q, buffer)).first;
    return it->second;
  };
  int lo = 1;
  int hi = 100;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (BitsPerPixel(image, size_at(mid)) >= kTargetBitsPerPixel) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  int best = lo;
  if (lo > 1 && std::fabs(BitsPerPixel(image, size_at(lo - 1)) - kTargetBitsPerPixel) <
                    std::fabs(BitsPerPixel(image, size_at(lo)) - kTargetBitsPerPixel)) {
    best = lo - 1;
  }
  const std::size_t bytes = size_at(best);
  if (bytes == 0 || Compress(enc.get(), image, best, buffer) != bytes) return s;
  s.file.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes));
  std::vector<std::uint8_t> decoded(image.PixelCount());
  if (!Decompress(dec.get(), s.file, image, decoded.data())) return s;
  s.ok = true;
  s.quality = best;
  s.result.coded_bytes = bytes;
  s.result.psnr = Psnr(image, decoded.data(), decoded.size());
  return s;
}

const JpegSetting& GetSetting(int side, bool optimise) {
  static std::map<std::pair<int, bool>, JpegSetting> settings;
  const auto key = std::make_pair(side, optimise);
  auto it = settings.find(key);
  if (it == settings.end()) it = settings.emplace(key, Tune(GetTestImage(side), optimise)).first;
  return it->second;
}

void BM_JpegEncode(benchmark::State& state, bool optimise) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  const JpegSetting& setting = GetSetting(side, optimise);
  TurboHandle enc(true);
  if (!setting.ok || enc.get() == nullptr) {
    state.SkipWithError("TurboJPEG set-up failed");
    return;
  }
  ScopedHuffmanMode mode(optimise);
  std::vector<std::uint8_t> buffer = OutputBuffer(image);
  for (auto _ : state) {
    if (Compress(enc.get(), image, setting.quality, buffer) == 0) {
      state.SkipWithError(tjGetErrorStr2(enc.get()));
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["quality"] = setting.quality;
  ReportCounters(state, image, setting.result);
}

void BM_JpegDecode(benchmark::State& state, bool optimise) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  const JpegSetting& setting = GetSetting(side, optimise);
  TurboHandle dec(false);
  if (!setting.ok || dec.get() == nullptr) {
    state.SkipWithError("TurboJPEG set-up failed");
    return;
  }
  std::vector<std::uint8_t> decoded(image.PixelCount());
  for (auto _ : state) {
    if (!Decompress(dec.get(), setting.file, image, decoded.data())) {
      state.SkipWithError(tjGetErrorStr2(dec.get()));
      break;
    }
    benchmark::DoNotOptimize(decoded.data());
  }
  state.counters["quality"] = setting.quality;
  ReportCounters(state, image, setting.result);
}

BENCHMARK_CAPTURE(BM_JpegEncode, baseline, false)
    ->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JpegEncode, optimized, true)
    ->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JpegDecode, baseline, false)
    ->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JpegDecode, optimized, true)
    ->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

void PrepareJpegSettings() {
  for (int side : kImageSides) {
    for (bool optimise : {false, true}) {
      const JpegSetting& s = GetSetting(side, optimise);
      if (s.ok) {
        std::fprintf(stderr, "JPEG %dx%d %s Huffman tables: quality %d, %.3f bpp, PSNR %.2f dB\n",
                     side, side, optimise ? "optimized" : "standard", s.quality,
                     BitsPerPixel(GetTestImage(side), s.result.coded_bytes), s.result.psnr);
      } else {
        std::fprintf(stderr, "JPEG %dx%d %s Huffman tables: set-up failed\n", side, side,
                     optimise ? "optimized" : "standard");
      }
    }
  }
}

}  // namespace ridgeview::bench
