// Failure codes of the WSQ encoder that guard limits of the file format and of its own
// buffers. The codes shared with the decoder and the allocation codes are written as plain
// numbers at their sites; these name the encoder's own checks.
#pragma once

namespace ridgeview::codec {

// Width or height above 65535: the frame header holds them in 16 bits.
inline constexpr int WSQ_ENC_IMAGE_TOO_LARGE = -120;
// Width or height of 0 or less: there is no mean to normalize by.
inline constexpr int WSQ_ENC_NO_PIXELS = -121;
// A null pixel array or null output pointer.
inline constexpr int WSQ_ENC_BAD_ARGUMENT = -122;
// A coded block does not fit into the scratch buffer (it would be larger than the image).
inline constexpr int WSQ_ENC_BLOCK_OVERFLOW = -123;
// A comment text longer than the 65533 bytes a COM segment can hold.
inline constexpr int WSQ_ENC_COMMENT_TOO_LONG = -124;
// A Huffman code length above 32 (needs millions of coefficients in one table).
inline constexpr int WSQ_ENC_CODE_TOO_LONG = -125;

}  // namespace ridgeview::codec
