// Bounded writers of the WSQ encoder: primitive big-endian writes into a buffer of fixed
// capacity and one writer per segment type (DTT, DQT, DHT, SOF, SOB, COM).
//
// Every writer returns 0 or a named code (codec/common/codes.h) after writing its message.
// It appends at out.pos and advances it, checks the capacity before each single write and
// fails with the first write that does not fit, leaving what it wrote before: single bytes
// fail with WSQ_ENC_BYTE_OVERFLOW ("putc_byte : buffer overlow"), markers, lengths and other
// 16- and 32-bit fields and byte runs with WSQ_ENC_BYTES_OVERFLOW ("putc_bytes : buffer
// overlow").
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/encode/quantize.h"

namespace ridgeview::codec {

// Output buffer owned by the caller: `alloc` bytes at `data`, `pos` of them filled.
struct wsq_output {
  unsigned char* data = nullptr;
  std::size_t alloc = 0;
  std::size_t pos = 0;
};

int putc_byte(std::uint8_t byte, wsq_output& out);
int putc_bytes(const unsigned char* data, std::size_t n, wsq_output& out);
int putc_u16(std::uint16_t value, wsq_output& out);
int putc_u32(std::uint32_t value, wsq_output& out);

// Nearest integer, halves away from zero: trunc(x + 0.5) for x >= 0, trunc(x - 0.5) below.
double to_nearest_half_away(double x);

// DTT segment of two odd-length filters, from the centre tap outwards (60 bytes for the 9/7
// pair). WSQ_ENC_LOFILT_TOO_HIGH / WSQ_ENC_HIFILT_TOO_HIGH: a lowpass / highpass magnitude
// not below 4294967295.
int putc_transform_table(const float* lofilt, int lo_size, const float* hifilt, int hi_size,
                         wsq_output& out);

// DQT segment: centre 0.44, then q and z of the 64 subbands (0 for subbands 60..63 and
// uncoded ones). WSQ_ENC_Q_TOO_HIGH / WSQ_ENC_Z_TOO_HIGH: a q / z not below 65535 (or not a
// positive number).
int putc_quantization_table(const quant_params& params, wsq_output& out);

// DHT segment holding one table: id, the 16 counts huffbits[0..15], then their sum of
// huffvalues.
int putc_dht_segment(std::uint16_t marker, std::uint8_t table_id, const std::uint8_t* huffbits,
                     const std::uint8_t* huffvalues, wsq_output& out);

// SOF segment: black 0, white 255, height, width, m_shift, r_scale, encoder 2, software 0.
int putc_sof_header(int width, int height, float m_shift, float r_scale, wsq_output& out);

// SOB segment naming the block's Huffman table.
int putc_sob_header(std::uint8_t table_id, wsq_output& out);

// Comment segment: the marker, 2 + length, the text without terminator.
// WSQ_ENC_COMMENT_TOO_LONG: a text above 65533 bytes; nothing is written.
int putc_com_segment(std::uint16_t marker, const char* text, std::size_t length,
                     wsq_output& out);

// The scaled-number conversions of the three segment kinds, exposed for tests. Each
// returns the scale byte and the value; the transform one also the sign.
struct scaled_u32 {
  std::uint8_t sign = 0, scale = 0;
  std::uint32_t value = 0;
};
struct scaled_u16 {
  std::uint8_t scale = 0;
  std::uint16_t value = 0;
};
// false when the magnitude is not below 4294967295.
bool scale_filter_coefficient(float c, scaled_u32* out);
// false when v is not below 65535 or not positive.
bool scale_quantizer_width(float v, scaled_u16* out);
scaled_u16 scale_frame_value(float v);

}  // namespace ridgeview::codec
