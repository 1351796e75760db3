// OpenJPEG: a JPEG 2000 codestream with the irreversible 9/7 wavelet, one quality layer at
// the target bit rate, written to and read from memory through user-defined streams, on the
// calling thread only.
#include <openjpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "bench/bench_support.h"

namespace ridgeview::bench {
namespace {

// A growable byte buffer with a position, behind an OpenJPEG stream.
struct MemoryStream {
  std::vector<std::uint8_t> bytes;
  std::size_t position = 0;
};

OPJ_SIZE_T ReadStream(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* m = static_cast<MemoryStream*>(user);
  if (m->position >= m->bytes.size()) return static_cast<OPJ_SIZE_T>(-1);
  const std::size_t n = std::min<std::size_t>(count, m->bytes.size() - m->position);
  std::memcpy(buffer, m->bytes.data() + m->position, n);
  m->position += n;
  return n;
}

OPJ_SIZE_T WriteStream(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* m = static_cast<MemoryStream*>(user);
  if (m->position + count > m->bytes.size()) m->bytes.resize(m->position + count);
  std::memcpy(m->bytes.data() + m->position, buffer, count);
  m->position += count;
  return count;
}

OPJ_BOOL SeekStream(OPJ_OFF_T offset, void* user) {
  auto* m = static_cast<MemoryStream*>(user);
  if (offset < 0) return OPJ_FALSE;
  // Writers may seek past the end to fill in a length later; readers never do.
  m->position = static_cast<std::size_t>(offset);
  return OPJ_TRUE;
}

OPJ_OFF_T SkipStream(OPJ_OFF_T delta, void* user) {
  auto* m = static_cast<MemoryStream*>(user);
  const auto target = static_cast<OPJ_OFF_T>(m->position) + delta;
  if (target < 0) return -1;
  m->position = static_cast<std::size_t>(target);
  return delta;
}

struct StreamDeleter {
  void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct CodecDeleter {
  void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct ImageDeleter {
  void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

StreamPtr MakeStream(MemoryStream* m, bool input) {
  StreamPtr s(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE));
  if (!s) return s;
  opj_stream_set_user_data(s.get(), m, nullptr);
  if (input) {
    opj_stream_set_user_data_length(s.get(), m->bytes.size());
    opj_stream_set_read_function(s.get(), ReadStream);
  } else {
    opj_stream_set_write_function(s.get(), WriteStream);
  }
  opj_stream_set_seek_function(s.get(), SeekStream);
  opj_stream_set_skip_function(s.get(), SkipStream);
  return s;
}

// Encodes the image into out->bytes; false on any failure.
bool Encode(const TestImage& image, MemoryStream* out) {
  opj_image_cmptparm_t component{};
  component.dx = 1;
  component.dy = 1;
  component.w = static_cast<OPJ_UINT32>(image.width);
  component.h = static_cast<OPJ_UINT32>(image.height);
  component.prec = 8;
  component.sgnd = 0;
  ImagePtr img(opj_image_create(1, &component, OPJ_CLRSPC_GRAY));
  if (!img) return false;
  img->x0 = 0;
  img->y0 = 0;
  img->x1 = component.w;
  img->y1 = component.h;
  OPJ_INT32* data = img->comps[0].data;
  for (std::size_t i = 0; i < image.PixelCount(); ++i) data[i] = image.pixels[i];

  opj_cparameters_t params;
  opj_set_default_encoder_parameters(&params);
  params.irreversible = 1;  // 9/7 wavelet
  params.tcp_numlayers = 1;
  params.tcp_rates[0] = static_cast<float>(8.0 / kTargetBitsPerPixel);  // compression ratio
  params.cp_disto_alloc = 1;

  CodecPtr codec(opj_create_compress(OPJ_CODEC_J2K));
  if (!codec || !opj_setup_encoder(codec.get(), &params, img.get())) return false;
  opj_codec_set_threads(codec.get(), 0);  // overrides OPJ_NUM_THREADS: main thread only
  out->bytes.clear();
  out->position = 0;
  StreamPtr stream = MakeStream(out, false);
  if (!stream) return false;
  return opj_start_compress(codec.get(), img.get(), stream.get()) &&
         opj_encode(codec.get(), stream.get()) && opj_end_compress(codec.get(), stream.get());
}

// Decodes a codestream into width * height bytes; false on any failure or size mismatch.
bool Decode(MemoryStream* in, const TestImage& image, std::uint8_t* out) {
  in->position = 0;
  CodecPtr codec(opj_create_decompress(OPJ_CODEC_J2K));
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  if (!codec || !opj_setup_decoder(codec.get(), &params)) return false;
  opj_codec_set_threads(codec.get(), 0);
  StreamPtr stream = MakeStream(in, true);
  if (!stream) return false;
  opj_image_t* raw = nullptr;
  if (!opj_read_header(stream.get(), codec.get(), &raw)) return false;
  ImagePtr img(raw);
  if (!opj_decode(codec.get(), stream.get(), img.get()) ||
      !opj_end_decompress(codec.get(), stream.get())) {
    return false;
  }
  if (img->numcomps < 1 || img->comps[0].w != static_cast<OPJ_UINT32>(image.width) ||
      img->comps[0].h != static_cast<OPJ_UINT32>(image.height) || img->comps[0].data == nullptr) {
    return false;
  }
  const OPJ_INT32* data = img->comps[0].data;
  for (std::size_t i = 0; i < image.PixelCount(); ++i) {
    out[i] = static_cast<std::uint8_t>(std::clamp<OPJ_INT32>(data[i], 0, 255));
  }
  return true;
}

struct J2kSample {
  bool ok = false;
  MemoryStream file;
  CodecQuality result;
};

J2kSample& GetSample(int side) {
  static std::map<int, J2kSample> samples;
  auto it = samples.find(side);
  if (it != samples.end()) return it->second;
  J2kSample s;
  const TestImage& image = GetTestImage(side);
  std::vector<std::uint8_t> decoded(image.PixelCount());
  if (Encode(image, &s.file) && Decode(&s.file, image, decoded.data())) {
    s.ok = true;
    s.result.coded_bytes = s.file.bytes.size();
    s.result.psnr = Psnr(image, decoded.data(), decoded.size());
  }
  return samples.emplace(side, std::move(s)).first->second;
}

void BM_OpenJpegEncode(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  const J2kSample& sample = GetSample(side);
  if (!sample.ok) {
    state.SkipWithError("OpenJPEG round trip failed");
    return;
  }
  MemoryStream out;
  out.bytes.reserve(sample.file.bytes.size() * 2);
  for (auto _ : state) {
    if (!Encode(image, &out)) {
      state.SkipWithError("OpenJPEG encode failed");
      break;
    }
    benchmark::DoNotOptimize(out.bytes.data());
  }
  ReportCounters(state, image, sample.result);
}

void BM_OpenJpegDecode(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const TestImage& image = GetTestImage(side);
  J2kSample& sample = GetSample(side);
  if (!sample.ok) {
    state.SkipWithError("OpenJPEG round trip failed");
    return;
  }
  std::vector<std::uint8_t> decoded(image.PixelCount());
  for (auto _ : state) {
    if (!Decode(&sample.file, image, decoded.data())) {
      state.SkipWithError("OpenJPEG decode failed");
      break;
    }
    benchmark::DoNotOptimize(decoded.data());
  }
  ReportCounters(state, image, sample.result);
}

BENCHMARK(BM_OpenJpegEncode)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenJpegDecode)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ridgeview::bench
