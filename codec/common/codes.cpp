#include "codec/common/codes.h"

namespace ridgeview::codec {
namespace {

constexpr CodecCodeInfo kCodes[] = {
#define RIDGEVIEW_CODE_ENTRY(name, value, step, message) {value, #name, CodecStep::step, message},
    RIDGEVIEW_CODEC_CODES(RIDGEVIEW_CODE_ENTRY)
#undef RIDGEVIEW_CODE_ENTRY
};

}  // namespace

std::span<const CodecCodeInfo> codec_code_table() { return kCodes; }

const CodecCodeInfo* find_codec_code(std::string_view name) {
  for (const CodecCodeInfo& c : kCodes) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

const char* codec_step_name(CodecStep step) {
  switch (step) {
    case CodecStep::byte_stream: return "byte stream";
    case CodecStep::segments: return "table and header segments";
    case CodecStep::huffman_codes: return "Huffman codes";
    case CodecStep::entropy_decoding: return "entropy decoding";
    case CodecStep::dequantization: return "dequantization";
    case CodecStep::reconstruction: return "wavelet reconstruction";
    case CodecStep::decode_driver: return "decode driver";
    case CodecStep::feature_list: return "feature lists";
    case CodecStep::encode_driver: return "encode driver";
    case CodecStep::decomposition: return "wavelet decomposition";
    case CodecStep::quantization: return "quantization";
    case CodecStep::huffman_generation: return "Huffman table generation";
    case CodecStep::block_coding: return "block coding";
    case CodecStep::segment_writing: return "segment writers";
  }
  return "";
}

}  // namespace ridgeview::codec
