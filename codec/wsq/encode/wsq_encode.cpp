// The WSQ encoder's driver: normalization, decomposition, quantization, then the file's
// segments and its three Huffman-coded blocks, written into one buffer no larger than the
// raw image.
#include <cstring>

#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/common/parallel.h"
#include "codec/common/report.h"
#include "codec/nistcom/nistcom.h"
#include "codec/wsq/encode/block_coding.h"
#include "codec/wsq/encode/huffman_generation.h"
#include "codec/wsq/encode/normalize.h"
#include "codec/wsq/encode/quantize.h"
#include "codec/wsq/encode/segment_writers.h"
#include "codec/wsq/encode/wavelet_analysis.h"
#include "codec/wsq/encode/wsq_encode.h"
#include "codec/wsq/subband_geometry.h"
#include "codec/wsq/wsq.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

// Everything one encoding works on; lives on the caller's stack, so encodings on different
// threads share nothing.
struct encode_context {
  std::size_t width = 0, height = 0, num_pix = 0;
  float m_shift = 0.0f, r_scale = 0.0f;
  wavelet_tree_node w_tree[W_TREELEN];
  quantization_tree_entry q_tree[Q_TREELEN];
  quant_params params;
  CoefficientArray sip;
  std::size_t sip_count = 0;
  std::int64_t block_sizes[3] = {};
};

int check_arguments(const unsigned char* pixels, std::size_t* length, int width, int height,
                    const char* comment_text) {
  if (pixels == nullptr || length == nullptr) {
    report(msg::WSQ_ENC_BAD_ARGUMENT);
    return WSQ_ENC_BAD_ARGUMENT;
  }
  if (width <= 0 || height <= 0) {
    report(msg::WSQ_ENC_NO_PIXELS, width, height);
    return WSQ_ENC_NO_PIXELS;
  }
  if (width > 65535 || height > 65535) {
    report(msg::WSQ_ENC_IMAGE_TOO_LARGE, width, height);
    return WSQ_ENC_IMAGE_TOO_LARGE;
  }
  // A plain comment is written as it is: refuse one that cannot fit before any work is done.
  if (comment_text != nullptr && std::strncmp(comment_text, "NIST_COM", 8) != 0) {
    const std::size_t n = std::strlen(comment_text);
    if (n > 65533) {
      report(msg::WSQ_ENC_COMMENT_TOO_LONG, n);
      return WSQ_ENC_COMMENT_TOO_LONG;
    }
  }
  return 0;
}

// Normalizes and decomposes the image, then quantizes it; fdata lives only in here.
int transform_and_quantize(encode_context& ctx, const unsigned char* pixels,
                           const EncodeStrategy& strategy) {
  const SimdKernels& kernels =
      strategy.kernels != nullptr ? *strategy.kernels : BaselineSimdKernels();
  // fdata and the decomposition's scratch image are the peak: 8 bytes per pixel.
  if (!codec_fits_budget(std::uint64_t{ctx.num_pix} * 8)) {
    report(msg::WSQ_ENC_FDATA_ALLOC);
    return WSQ_ENC_FDATA_ALLOC;
  }
  CodecPtr<float[]> fdata(static_cast<float*>(codec_malloc(ctx.num_pix * sizeof(float))));
  if (!fdata) {
    report(msg::WSQ_ENC_FDATA_ALLOC);
    return WSQ_ENC_FDATA_ALLOC;
  }
  conv_img_2_flt(fdata.get(), &ctx.m_shift, &ctx.r_scale, pixels, ctx.num_pix, kernels);

  build_wavelet_tree(ctx.w_tree, static_cast<std::int32_t>(ctx.width),
                     static_cast<std::int32_t>(ctx.height));
  build_quantization_tree(ctx.q_tree, ctx.w_tree);

  int ret = wsq_decompose(fdata.get(), ctx.width, ctx.height, ctx.w_tree, wsq_hifilt,
                          WSQ_HIFILT_LEN, wsq_lofilt, WSQ_LOFILT_LEN, strategy.kernels,
                          codec_thread_count(strategy.threads));
  if (ret != 0) return ret;

  subband_variances(ctx.params, ctx.q_tree, fdata.get(), ctx.width);
  return quantize_wsq(ctx.sip, &ctx.sip_count, ctx.params, ctx.q_tree, fdata.get(),
                      ctx.width, ctx.height, kernels);
}

// SOI, the comments, DTT, DQT and SOF.
int write_headers(const encode_context& ctx, const char* comment_text, int ppi,
                  wsq_output& out) {
  int ret = putc_u16(SOI_WSQ, out);
  if (ret == 0) {
    ret = putc_nistcom_comment(comment_text, static_cast<int>(ctx.width),
                               static_cast<int>(ctx.height), 8, ppi, 1, ctx.params.r, out);
  }
  if (ret == 0) {
    ret = putc_transform_table(wsq_lofilt, WSQ_LOFILT_LEN, wsq_hifilt, WSQ_HIFILT_LEN, out);
  }
  if (ret == 0) ret = putc_quantization_table(ctx.params, out);
  if (ret == 0) {
    ret = putc_sof_header(static_cast<int>(ctx.width), static_cast<int>(ctx.height),
                          ctx.m_shift, ctx.r_scale, out);
  }
  return ret;
}

// Codes one block with `table` into huff_buf and writes its SOB segment and data.
int write_block(const std::int16_t* coefficients, std::size_t count, std::uint8_t table_id,
                const HuffcodeTable& table, unsigned char* huff_buf, std::size_t huff_capacity,
                const SymbolList& symbols, wsq_output& out) {
  std::size_t size = 0;
  int ret = compress_block(huff_buf, huff_capacity, &size, coefficients, count, MAX_HUFFCOEFF,
                           MAX_HUFFZRUN, table.get(), &symbols);
  if (ret == 0) ret = putc_sob_header(table_id, out);
  if (ret == 0) ret = putc_bytes(huff_buf, size, out);
  return ret;
}

// Block 1 with table 0; blocks 2 and 3 with table 1, built from both.
int write_blocks(encode_context& ctx, wsq_output& out) {
  CodecBytes huff_buf(static_cast<unsigned char*>(codec_malloc_front(ctx.num_pix)));
  if (!huff_buf) {
    report(msg::WSQ_ENC_HUFF_BUF_ALLOC);
    return WSQ_ENC_HUFF_BUF_ALLOC;
  }
  const std::size_t sizes[3] = {static_cast<std::size_t>(ctx.block_sizes[0]),
                                static_cast<std::size_t>(ctx.block_sizes[1]),
                                static_cast<std::size_t>(ctx.block_sizes[2])};
  const std::int16_t* block1 = ctx.sip.get();
  const std::int16_t* block2 = block1 + sizes[0];
  const std::int16_t* block3 = block2 + sizes[1];

  // The symbols counted for a table are kept for coding its blocks. A fingerprint has far
  // fewer symbols than coefficients; a block with more than an eighth is walked again.
  auto limit = [](std::size_t n) { return n / 8 + 64; };
  HuffcodeTable table;
  ByteArray huffbits, huffvalues;
  int ret;
  {
    SymbolList first(limit(sizes[0]));
    ret = generate_huffman_table(table, huffbits, huffvalues, block1, &sizes[0], 1, &first);
    if (ret == 0) ret = putc_dht_segment(DHT_WSQ, 0, huffbits.get(), huffvalues.get(), out);
    if (ret != 0) return ret;
    huffbits.reset();
    huffvalues.reset();
    ret = write_block(block1, sizes[0], 0, table, huff_buf.get(), ctx.num_pix, first, out);
    if (ret != 0) return ret;
    table.reset();
  }

  SymbolList later[2] = {SymbolList(limit(sizes[1])), SymbolList(limit(sizes[2]))};
  ret = generate_huffman_table(table, huffbits, huffvalues, block2, &sizes[1], 2, later);
  if (ret == 0) ret = putc_dht_segment(DHT_WSQ, 1, huffbits.get(), huffvalues.get(), out);
  if (ret != 0) return ret;
  huffbits.reset();
  huffvalues.reset();
  ret = write_block(block2, sizes[1], 1, table, huff_buf.get(), ctx.num_pix, later[0], out);
  if (ret == 0) {
    ret = write_block(block3, sizes[2], 1, table, huff_buf.get(), ctx.num_pix, later[1], out);
  }
  return ret;
}

}  // namespace

int wsq_encode_1(CodecBytes& wsq_data, std::size_t* length, float r,
                 const unsigned char* pixels, int width, int height, int depth, int ppi,
                 const char* comment_text) {
  return wsq_encode_1_with(EncodeStrategy{}, wsq_data, length, r, pixels, width, height, depth,
                           ppi, comment_text);
}

int wsq_encode_1_with(const EncodeStrategy& strategy, CodecBytes& wsq_data,
                      std::size_t* length, float r, const unsigned char* pixels, int width,
                      int height, int /*depth*/, int ppi, const char* comment_text) {
  codec_clear_last_refusal();
  int ret = check_arguments(pixels, length, width, height, comment_text);
  if (ret != 0) return ret;

  encode_context ctx;
  ctx.width = static_cast<std::size_t>(width);
  ctx.height = static_cast<std::size_t>(height);
  ctx.num_pix = ctx.width * ctx.height;
  ctx.params.r = r;

  ret = transform_and_quantize(ctx, pixels, strategy);
  if (ret != 0) return ret;

  block_coefficient_counts(ctx.block_sizes, ctx.params, ctx.w_tree, ctx.q_tree);
  const std::int64_t total = ctx.block_sizes[0] + ctx.block_sizes[1] + ctx.block_sizes[2];
  if (ctx.block_sizes[0] < 0 || ctx.block_sizes[1] < 0 || ctx.block_sizes[2] < 0 ||
      total != static_cast<std::int64_t>(ctx.sip_count)) {
    report(msg::WSQ_ENC_BLOCK_SIZES);
    return WSQ_ENC_BLOCK_SIZES;
  }

  CodecBytes data(static_cast<unsigned char*>(codec_malloc_front(ctx.num_pix)));
  if (!data) {
    report(msg::WSQ_ENC_DATA_ALLOC);
    return WSQ_ENC_DATA_ALLOC;
  }
  wsq_output out;
  out.data = data.get();
  out.alloc = ctx.num_pix;

  ret = write_headers(ctx, comment_text, ppi, out);
  if (ret == 0) ret = write_blocks(ctx, out);
  ctx.sip.reset();
  if (ret == 0) ret = putc_u16(EOI_WSQ, out);
  if (ret != 0) return ret;

  wsq_data = std::move(data);
  *length = out.pos;
  return 0;
}

}  // namespace ridgeview::codec
