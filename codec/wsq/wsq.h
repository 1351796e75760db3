// Public entry points of the WSQ codec. They work on whole files in memory, return 0 or a
// negative code named in codec/common/codes.h (after writing its fixed message line to
// stderr, or to the thread's ReportCapture), write their outputs only on success, and hand
// every returned buffer to the caller. Calls on different threads are independent: all
// tables live in per-call state. After a failure, codec_last_refusal() tells whether an
// allocation failed and why (codec/common/codec_memory.h).
#pragma once

#include <cstddef>

#include "codec/common/codec_memory.h"

namespace ridgeview::codec {

using CodecBytes = CodecPtr<unsigned char[]>;

// Decodes a WSQ file. On success: pixels holds width * height gray bytes, top row first,
// rows packed; depth is 8, ppi comes from the NIST_COM "PPI" entry (-1 without one), lossy
// is 1, encoder and software are the frame header's numbers. On failure the code of the step
// that failed: the byte stream, segments, Huffman codes, entropy decoding, dequantization,
// reconstruction and feature-list codes, or the driver's own WSQ_EMPTY_FRAME,
// WSQ_COEFFICIENTS_ALLOC (also for a frame too large for the memory budget) and
// WSQ_PIXELS_ALLOC.
int wsq_decode_mem(CodecBytes& pixels, int* width, int* height, int* depth, int* ppi,
                   int* lossy, int* encoder, int* software, const unsigned char* data,
                   std::size_t length);

// What the headers of a WSQ file say: frame size, resolution (-1 without a NIST_COM "PPI"
// value), encoder and software numbers.
struct WsqHeaderInfo {
  int width = 0;
  int height = 0;
  int ppi = 0;
  int encoder = 0;
  int software = 0;
};

// Reads the headers of a WSQ file without decoding its coded data: SOI, the table and
// comment segments, the frame header and the NIST_COM resolution, with the checks and codes
// wsq_decode_mem applies to them. Constant memory and time whatever the frame size; coded
// data that is damaged or cut short is not looked at. On success *info is filled.
int wsq_read_header_info(WsqHeaderInfo* info, const unsigned char* data, std::size_t length);

// Encodes an 8-bit gray image (width * height bytes, top row first) at bit rate r (bits per
// pixel) and resolution ppi. comment_text may be null (no caller comment) or a text: a
// NIST_COM text is merged into the file's NIST_COM list, any other text (even an empty one)
// is written as a second comment. The depth argument is not used (the file states 8).
// On failure: WSQ_ENC_BAD_ARGUMENT, WSQ_ENC_NO_PIXELS, WSQ_ENC_IMAGE_TOO_LARGE or
// WSQ_ENC_COMMENT_TOO_LONG for arguments it cannot encode; WSQ_ENC_FDATA_ALLOC (also for an
// image too large for the memory budget), WSQ_ENC_DATA_ALLOC, WSQ_ENC_HUFF_BUF_ALLOC;
// WSQ_ENC_BLOCK_SIZES; WSQ_ENC_BYTE_OVERFLOW or WSQ_ENC_BYTES_OVERFLOW when the file would be
// larger than the raw image; the codes of the decomposition, quantization, Huffman
// generation, block coding, segment writers and feature lists.
int wsq_encode_1(CodecBytes& wsq_data, std::size_t* length, float r,
                 const unsigned char* pixels, int width, int height, int depth, int ppi,
                 const char* comment_text);

}  // namespace ridgeview::codec
