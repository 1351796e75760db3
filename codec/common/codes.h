// Every failure code the codec returns, with the message it writes and the step that
// returns it.
//
// Codes are fixed negative numbers; 0 is success. A value may stand for several failures at
// different steps (-91 is both "no marker" in the byte stream and an allocation failure in
// dequantization): each failure has its own name here, and callers that need to tell them
// apart know the step they called. Messages are printf formats written to stderr (through
// report(), see report.h) just before the code is returned; the values in braces and the
// "%" fields are filled in at the failure site.
//
// The list below is the single source: it defines the named constants (WSQ_NO_MARKER), the
// message formats the failure sites print (msg::WSQ_NO_MARKER) and the table that
// codec_code_table() hands out.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// X(name, value, step, message format)
#define RIDGEVIEW_CODEC_CODES(X)                                                                \
  /* Byte stream and markers: getc_byte, getc_bytes, getc_u16/u32, getc_marker_wsq, */          \
  /* getc_skip_marker_segment. */                                                               \
  X(WSQ_END_OF_BUFFER_BYTE, -39, byte_stream, "ERROR : getc_byte : premature End Of Buffer\n") \
  X(WSQ_END_OF_BUFFER, -40, byte_stream, "ERROR : getc_bytes : premature End Of Buffer\n")     \
  X(WSQ_NO_SOI, -88, byte_stream, "ERROR : getc_marker_wsq : No SOI marker. {%04X}\n")         \
  X(WSQ_NO_SOF_OR_TABLE, -89, byte_stream,                                                      \
    "ERROR : getc_marker_wsq : No SOF, Table, or comment markers.\n")                           \
  X(WSQ_NO_SOB_OR_TABLE, -90, byte_stream,                                                      \
    "ERROR : getc_marker_wsq : No SOB, Table, or comment markers.{%04X}\n")                     \
  X(WSQ_NO_MARKER, -91, byte_stream, "ERROR : getc_marker_wsq : no marker found {%04X}\n")     \
  X(WSQ_INVALID_MARKER, -92, byte_stream, "ERROR : getc_marker_wsq : {%04X} not a valid marker\n") \
  X(WSQ_UNKNOWN_MARKER_MODE, -93, byte_stream,                                                  \
    "ERROR : getc_marker_wsq : Invalid marker -> {%4X}\n")                                      \
  X(WSQ_SEGMENT_PAST_END, -2, byte_stream,                                                      \
    "ERROR : getc_skip_marker_segment : unexpected end of buffer when parsing "                 \
    "marker %d segment of length %d\n")                                                         \
  /* Table and header segments: getc_table_wsq and the readers it calls. */                     \
  X(WSQ_INVALID_TABLE, -93, segments, "ERROR: getc_table_wsq : Invalid table defined -> {%u}\n") \
  X(WSQ_LOFILT_ALLOC, -94, segments, "ERROR : getc_transform_table : calloc : lofilt\n")        \
  X(WSQ_HIFILT_ALLOC, -95, segments, "ERROR : getc_transform_table : calloc : hifilt\n")        \
  X(WSQ_A_LOFILT_ALLOC, -96, segments, "ERROR : getc_transform_table : calloc : a_lofilt\n")    \
  X(WSQ_A_HIFILT_ALLOC, -97, segments, "ERROR : getc_transform_table : calloc : a_hifilt\n")    \
  X(WSQ_EMPTY_FILTER, -98, segments,                                                            \
    "ERROR : getc_transform_table : empty filter (hisize %d, losize %d)\n")                     \
  X(WSQ_NO_HUFFMAN_BYTES, -2, segments,                                                         \
    "ERROR : getc_huffman_table : no huffman table bytes remaining\n")                          \
  X(WSQ_HUFFBITS_ALLOC, -3, segments, "ERROR : getc_huffman_table : calloc : huffbits\n")       \
  X(WSQ_TOO_MANY_HUFFVALUES, -4, segments,                                                      \
    "ERROR : getc_huffman_table : num_hufvals (%d) is largerthan MAX_HUFFCOUNTS (%d)\n")        \
  X(WSQ_HUFFVALUES_ALLOC, -5, segments, "ERROR : getc_huffman_table : calloc : huffvalues\n")   \
  X(WSQ_HUFFMAN_ID_RANGE, -6, segments,                                                         \
    "ERROR : getc_dht_segment : table id %d out of range 0..%d\n")                              \
  /* Silent: a second table of one DHT segment names a slot already defined. This failure */   \
  /* has never written a line, and what a decode writes to stderr is fixed behaviour. */        \
  X(WSQ_HUFFMAN_SLOT_TAKEN, -2, segments, "")                                                   \
  X(WSQ_COMMENT_LENGTH, -7, segments, "ERROR : getc_comment : invalid segment length %d\n")     \
  X(WSQ_COMMENT_ALLOC, -2, segments, "ERROR : getc_comment : malloc : comment\n")               \
  /* Canonical Huffman codes, both directions. */                                               \
  X(WSQ_HUFFSIZES_ALLOC, -2, huffman_codes, "ERROR : build_huffsizes : calloc : huffcode_table\n") \
  X(WSQ_HUFFCODE_TABLE_ALLOC, -2, huffman_codes,                                                \
    "ERROR : build_huffcode_table : calloc : new_huffcode_table\n")                             \
  /* check_all_ones_codes' verdict; the decoder warns and goes on, the encoder fails. */       \
  X(WSQ_ALL_ONES_CODE, -1, huffman_codes, "")                                                   \
  /* Entropy decoding. */                                                                       \
  X(WSQ_NO_STUFFED_ZERO, -41, entropy_decoding, "ERROR: getc_nextbits_wsq : No stuffed zeros\n") \
  X(WSQ_HUFFMAN_TABLE_UNDEFINED, -51, entropy_decoding,                                         \
    "ERROR : huffman_decode_data_mem : huffman table {%d} undefined.\n")                        \
  X(WSQ_PAST_IMAGE_BUFFER, -51, entropy_decoding,                                               \
    "ERROR : huffman_decode_data_mem [%d]: Decoded data extends past image buffer. "            \
    "Encoded data appears corrupt or non-standard.\n")                                          \
  X(WSQ_INVALID_SYMBOL, -52, entropy_decoding,                                                  \
    "ERROR: huffman_decode_data_mem : Invalid code %d (%x).\n")                                 \
  X(WSQ_NO_CODE_MATCHES, -53, entropy_decoding,                                                 \
    "ERROR : decode_huff_symbol : no code of 16 bits or fewer matches\n")                       \
  /* Dequantization. */                                                                         \
  X(WSQ_UNQUANTIZE_ALLOC, -91, dequantization, "ERROR : unquantize : calloc : fip\n")           \
  X(WSQ_NO_QUANTIZATION_TABLE, -92, dequantization,                                             \
    "ERROR: unquantize : quantization table parameters not defined!\n")                         \
  /* Wavelet reconstruction. */                                                                 \
  X(WSQ_LOPASS_UNDEFINED, -95, reconstruction,                                                  \
    "ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n")                        \
  X(WSQ_HIPASS_UNDEFINED, -96, reconstruction,                                                  \
    "ERROR: wsq_reconstruct : Hipass filter coefficients not defined\n")                        \
  X(WSQ_RECONSTRUCT_ALLOC, -97, reconstruction, "ERROR : wsq_reconstruct : malloc : fdata1\n")  \
  /* Decode driver. */                                                                          \
  X(WSQ_COEFFICIENTS_ALLOC, -20, decode_driver, "ERROR: wsq_decode_mem : malloc : qdata1\n")    \
  X(WSQ_PIXELS_ALLOC, -21, decode_driver, "ERROR: wsq_decode_mem : malloc : cdata\n")           \
  X(WSQ_EMPTY_FRAME, -23, decode_driver,                                                        \
    "ERROR : wsq_decode_mem : empty frame (width %d, height %d)\n")                             \
  /* Feature lists (the NIST_COM text). */                                                      \
  X(FET_ALLOC, -2, feature_list, "ERROR : allocfet_ret : malloc : fet\n")                       \
  X(FET_NAMES_ALLOC, -3, feature_list, "ERROR : allocfet_ret : calloc : fet->names\n")          \
  X(FET_VALUES_ALLOC, -4, feature_list, "ERROR : allocfet_ret : calloc : fet->values\n")        \
  X(FET_GROW_NAMES, -2, feature_list, "ERROR : reallocfet_ret : realloc : fet->names\n")        \
  X(FET_GROW_VALUES, -3, feature_list, "ERROR : reallocfet_ret : realloc : fet->values")        \
  X(FET_REPLACE_VALUE_ALLOC, -2, feature_list, "ERROR : updatefet_ret : malloc : fet->values[]\n") \
  X(FET_NAME_ALLOC, -3, feature_list, "ERROR : updatefet_ret : malloc : fet->names[]\n")        \
  X(FET_VALUE_ALLOC, -4, feature_list, "ERROR : updatefet_ret : malloc : fet->values[]\n")      \
  X(FET_NO_NAME_OR_LIST, -5, feature_list, "ERROR : updatefet_ret : empty name or list\n")      \
  X(FET_LOOKUP_ALLOC, -2, feature_list, "ERROR : lookupfet : malloc : value\n")                 \
  X(FET_NOT_FOUND, -2, feature_list, "ERROR : extractfet_ret : feature %s not found\n")         \
  X(FET_EXTRACT_ALLOC, -3, feature_list, "ERROR : extractfet_ret : malloc : value\n")           \
  X(FET_TEXT_ALLOC, -2, feature_list, "ERROR : fet2string : malloc : str\n")                    \
  X(FET_EMPTY_NAME, -2, feature_list, "ERROR : string2fet : empty name string found\n")         \
  /* Encoder driver. */                                                                         \
  X(WSQ_ENC_BAD_ARGUMENT, -122, encode_driver, "ERROR : wsq_encode_1 : null image or output\n") \
  X(WSQ_ENC_NO_PIXELS, -121, encode_driver,                                                     \
    "ERROR : wsq_encode_1 : image of %d x %d has no pixels\n")                                  \
  X(WSQ_ENC_IMAGE_TOO_LARGE, -120, encode_driver,                                               \
    "ERROR : wsq_encode_1 : image of %d x %d is larger than 65535 x 65535\n")                   \
  X(WSQ_ENC_FDATA_ALLOC, -10, encode_driver, "ERROR : wsq_encode_1 : malloc : fdata\n")         \
  X(WSQ_ENC_BLOCK_SIZES, -11, encode_driver,                                                    \
    "ERROR : wsq_encode_1 : problem w/quantization block sizes\n")                              \
  X(WSQ_ENC_DATA_ALLOC, -12, encode_driver, "ERROR : wsq_encode_1 : malloc : wsq_data\n")       \
  X(WSQ_ENC_HUFF_BUF_ALLOC, -13, encode_driver, "ERROR : wsq_encode_1 : malloc : huff_buf\n")   \
  /* Wavelet decomposition. */                                                                  \
  X(WSQ_ENC_DECOMPOSE_ALLOC, -94, decomposition, "ERROR : wsq_decompose : malloc : fdata1\n")   \
  /* Quantization. */                                                                           \
  X(WSQ_ENC_SIP_ALLOC, -90, quantization, "ERROR : quantize_wsq : calloc : sip\n")              \
  /* Huffman table generation. */                                                               \
  X(WSQ_ENC_COUNTS_ALLOC, -48, huffman_generation, "ERROR : count_block : calloc : counts\n")   \
  X(WSQ_ENC_CODESIZE_ALLOC, -2, huffman_generation,                                             \
    "ERROR : find_huff_sizes : calloc : codesize\n")                                            \
  X(WSQ_ENC_OTHERS_ALLOC, -3, huffman_generation, "ERROR : find_huff_sizes : malloc : others\n") \
  X(WSQ_ENC_BITS_ALLOC, -2, huffman_generation, "ERROR : find_num_huff_sizes : calloc : bits\n") \
  X(WSQ_ENC_TBITS_ALLOC, -2, huffman_generation, "ERROR : sort_huffbits : malloc : tbits\n")    \
  X(WSQ_ENC_HUFFVALUES_ALLOC, -2, huffman_generation,                                           \
    "ERROR : sort_code_sizes : calloc : value\n")                                               \
  X(WSQ_ENC_ALL_ONES_CODE, -1, huffman_generation,                                              \
    "ERROR: This huffcode warning is an error for the encoder.\n")                              \
  /* A code length above 32 (needs millions of coefficients in one table). */                   \
  X(WSQ_ENC_CODE_TOO_LONG, -125, huffman_generation,                                            \
    "ERROR : find_num_huff_sizes : code size %d of symbol %d above %d\n")                       \
  /* Block coding: a coded block larger than its scratch buffer (than the image). */            \
  X(WSQ_ENC_BLOCK_OVERFLOW, -123, block_coding,                                                 \
    "ERROR : compress_block : coded block larger than its buffer of %zu bytes\n")               \
  /* Segment writers. */                                                                        \
  X(WSQ_ENC_BYTE_OVERFLOW, -32, segment_writing,                                                \
    "ERROR : putc_byte : buffer overlow : alloc = %zu, request = %zu\n")                        \
  X(WSQ_ENC_BYTES_OVERFLOW, -33, segment_writing,                                               \
    "ERROR : putc_bytes : buffer overlow : alloc = %zu, request = %zu\n")                       \
  X(WSQ_ENC_LOFILT_TOO_HIGH, -82, segment_writing,                                              \
    "ERROR: putc_transform_table : lofilt[%d] to high at %f\n")                                 \
  X(WSQ_ENC_HIFILT_TOO_HIGH, -83, segment_writing,                                              \
    "ERROR: putc_transform_table : hifilt[%d] to high at %f\n")                                 \
  X(WSQ_ENC_Q_TOO_HIGH, -86, segment_writing,                                                   \
    "ERROR : putc_quantization_table : Q[%d] to high at %f\n")                                  \
  X(WSQ_ENC_Z_TOO_HIGH, -87, segment_writing,                                                   \
    "ERROR : putc_quantization_table : Z[%d] to high at %f\n")                                  \
  /* A comment text longer than the 65533 bytes a COM segment holds. */                         \
  X(WSQ_ENC_COMMENT_TOO_LONG, -124, segment_writing,                                            \
    "ERROR : putc_com_segment : comment of %zu bytes is longer than 65533\n")

namespace ridgeview::codec {

// The step of the codec that returns a code.
enum class CodecStep : std::uint8_t {
  byte_stream,
  segments,
  huffman_codes,
  entropy_decoding,
  dequantization,
  reconstruction,
  decode_driver,
  feature_list,
  encode_driver,
  decomposition,
  quantization,
  huffman_generation,
  block_coding,
  segment_writing,
};

#define RIDGEVIEW_CODE_CONSTANT(name, value, step, message) inline constexpr int name = value;
RIDGEVIEW_CODEC_CODES(RIDGEVIEW_CODE_CONSTANT)
#undef RIDGEVIEW_CODE_CONSTANT

// The message formats, by the name of their code: report(msg::WSQ_NO_SOI, marker).
namespace msg {
#define RIDGEVIEW_CODE_MESSAGE(name, value, step, message) inline constexpr char name[] = message;
RIDGEVIEW_CODEC_CODES(RIDGEVIEW_CODE_MESSAGE)
#undef RIDGEVIEW_CODE_MESSAGE

// Not a failure: written when a decoded block's table has an all-ones code (WSQ_ALL_ONES_CODE);
// the block is decoded anyway.
inline constexpr char WSQ_ALL_ONES_WARNING[] = "         hufftable_id = %d\n";
}  // namespace msg

struct CodecCodeInfo {
  int value;
  const char* name;  // "WSQ_NO_MARKER"
  CodecStep step;
  const char* message;  // printf format of the message; "" when the failure writes none
};

// Every named code, grouped by step in the order of the list above.
std::span<const CodecCodeInfo> codec_code_table();

// The entry of the code named `name`, or null.
const CodecCodeInfo* find_codec_code(std::string_view name);

// A short lower-case name of the step ("entropy decoding").
const char* codec_step_name(CodecStep step);

}  // namespace ridgeview::codec
