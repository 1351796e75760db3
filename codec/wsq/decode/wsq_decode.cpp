#include "codec/wsq/decode/wsq_decode.h"

#include <algorithm>
#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/parallel.h"
#include "codec/common/report.h"
#include "codec/wsq/byte_stream.h"
#include "codec/wsq/decode/dequantize.h"
#include "codec/wsq/decode/entropy_decoder.h"
#include "codec/wsq/decode/header_reader.h"
#include "codec/wsq/decode/wavelet_synthesis.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/subband_geometry.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec {
namespace {

// Largest number of bytes per pixel the decode holds at once: the values and the block that
// holds the coefficients and then the reconstruction's work array, which grows to the image's
// size when the root cannot merge straight into gray pixels (4 + 4).
constexpr std::uint64_t kPeakBytesPerPixel = 8;

// Per-call decoder state: tables, trees and the arrays of the current step.
struct DecodeState {
  decoder_tables tables;
  wavelet_tree_node w_tree[W_TREELEN];
  quantization_tree_entry q_tree[Q_TREELEN];
};

// Floats of the work array that merging nodes first..last needs: each node's columns and rows
// are written to it with the image's row stride.
std::size_t work_floats(const wavelet_tree_node* w_tree, int first, int last, int width) {
  std::size_t most = 0;
  for (int n = first; n <= last; ++n) {
    const wavelet_tree_node& t = w_tree[n];
    if (t.dx <= 0 || t.dy <= 0) continue;
    most = std::max(most, static_cast<std::size_t>(t.dy - 1) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(t.dx));
  }
  return most;
}

}  // namespace

void float_to_gray8(std::uint8_t* pixels, const float* values, int width, int height,
                    float m_shift, float r_scale, const SimdKernels& kernels) {
  kernels.to_gray8(values, pixels,
                   static_cast<std::size_t>(width) * static_cast<std::size_t>(height), m_shift,
                   r_scale);
}

int wsq_decode_mem(CodecBytes& pixels, int* width, int* height, int* depth, int* ppi,
                   int* lossy, int* encoder, int* software, const unsigned char* data,
                   std::size_t length) {
  return wsq_decode_mem_with(DecodeStrategy{}, pixels, width, height, depth, ppi, lossy,
                             encoder, software, data, length);
}

int wsq_decode_mem_with(const DecodeStrategy& strategy, CodecBytes& pixels, int* width,
                        int* height, int* depth, int* ppi, int* lossy, int* encoder,
                        int* software, const unsigned char* data, std::size_t length) {
  codec_clear_last_refusal();
  const SimdKernels& kernels =
      strategy.kernels != nullptr ? *strategy.kernels : BaselineSimdKernels();
  const int threads = codec_thread_count(strategy.threads);
  DecodeState state;  // every decode starts with all tables undefined
  decoder_tables& tables = state.tables;
  ByteCursor cursor = data;
  const ByteCursor end = data + length;
  if (int ret = read_frame_headers(tables, cursor, end)) return ret;
  const int w = tables.frm.width;
  const int h = tables.frm.height;

  int resolution = kUnknownPpi;
  if (int ret = find_ppi_wsq(&resolution, data, length)) return ret;

  build_wavelet_tree(state.w_tree, w, h);
  build_quantization_tree(state.q_tree, state.w_tree);

  const std::uint64_t count = std::uint64_t(w) * std::uint64_t(h);
  // Refuse a frame whose working arrays would not fit the memory budget before touching any
  // of it: a few bytes of header may declare 65535 x 65535 pixels.
  if (!codec_fits_budget(count * kPeakBytesPerPixel)) {
    report(msg::WSQ_COEFFICIENTS_ALLOC);
    return WSQ_COEFFICIENTS_ALLOC;
  }
  // One block holds the coefficients first and the reconstruction's work array afterwards,
  // sized for whichever is larger (about two bytes per pixel each): every node but the root
  // merges in place through it, and the root merges straight into the gray pixels when the
  // fast kernels can. One spare coefficient: a single value may be appended when the count
  // equals the limit. The block's pages are all written, so none of it is backed for nothing.
  const std::size_t capacity = static_cast<std::size_t>(count) + 1;
  const std::size_t block_bytes =
      std::max(work_floats(state.w_tree, 1, W_TREELEN - 1, w) * sizeof(float),
               capacity * sizeof(std::int16_t));
  const bool repeated = codec_kept_bytes() > 0;
  CodecPtr<unsigned char[]> block(static_cast<unsigned char*>(codec_malloc(block_bytes)));
  if (!block) {
    report(msg::WSQ_COEFFICIENTS_ALLOC);
    return WSQ_COEFFICIENTS_ALLOC;
  }
  auto* qdata = reinterpret_cast<std::int16_t*>(block.get());
  std::memset(qdata, 0, capacity * sizeof(std::int16_t));
  if (int ret = huffman_decode_data_mem(qdata, capacity, tables, state.q_tree, cursor, end,
                                        strategy.table_huffman)) {
    return ret;
  }

  CodecPtr<float[]> values;
  if (int ret = unquantize(values, tables.dqt, state.q_tree, qdata, w, h, kernels)) {
    return ret;
  }
  float* work = reinterpret_cast<float*>(block.get());
  if (int ret = wsq_reconstruct(values.get(), w, h, state.w_tree, 1, W_TREELEN - 1, tables.dtt,
                                strategy.kernels, work, threads)) {
    return ret;
  }
  RootToGray root;
  const int root_prepared =
      root.Prepare(values.get(), w, h, state.w_tree[0], tables.dtt, strategy.kernels, threads);
  if (root_prepared < 0) return root_prepared;
  const bool root_to_gray = root_prepared == RootToGray::kReady;
  if (!root_to_gray) {
    // The root merged as the other nodes needs a work array as large as the image.
    const std::size_t root_bytes = work_floats(state.w_tree, 0, 0, w) * sizeof(float);
    if (root_bytes > block_bytes) {
      void* grown = codec_realloc(block.get(), root_bytes);
      if (grown == nullptr) {
        report(msg::WSQ_RECONSTRUCT_ALLOC);
        return WSQ_RECONSTRUCT_ALLOC;
      }
      (void)block.release();
      block.reset(static_cast<unsigned char*>(grown));
    }
    if (int ret = wsq_reconstruct(values.get(), w, h, state.w_tree, 0, 0, tables.dtt,
                                  strategy.kernels, reinterpret_cast<float*>(block.get()),
                                  threads)) {
      return ret;
    }
  }
  // Kept for the thread's next decode only on a thread that is coding repeatedly: there it
  // saves mapping fresh pages for every image. A first decode (one file per process, a
  // thread of its own) gives it back now, since kept it would lie beside the coefficients and
  // the pixels allocated next and raise the decode's peak by about a sixth.
  if (repeated) {
    block.reset();
  } else {
    codec_free_unkept(block.release());
  }

  CodecBytes gray(static_cast<unsigned char*>(codec_malloc(static_cast<std::size_t>(count))));
  if (!gray) {
    report(msg::WSQ_PIXELS_ALLOC);
    return WSQ_PIXELS_ALLOC;
  }
  if (root_to_gray) {
    root.Run(gray.get(), tables.frm.m_shift, tables.frm.r_scale);
  } else {
    float_to_gray8(gray.get(), values.get(), w, h, tables.frm.m_shift, tables.frm.r_scale,
                   kernels);
  }
  values.reset();

  pixels = std::move(gray);
  *width = w;
  *height = h;
  *depth = 8;
  *ppi = resolution;
  *lossy = 1;
  *encoder = tables.frm.wsq_encoder;
  *software = tables.frm.software;
  release_decoder_tables(tables);
  return 0;
}

}  // namespace ridgeview::codec
