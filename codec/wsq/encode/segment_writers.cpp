#include "codec/wsq/encode/segment_writers.h"

#include <cmath>
#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

// Low `bits` bits (16 or 32) of an integral double, two's complement; 0 for NaN or
// infinity. Never converts an out-of-range double to an integer type.
std::uint32_t low_bits(double integral, int bits) {
  if (!std::isfinite(integral)) return 0;
  const double modulus = bits == 16 ? 65536.0 : 4294967296.0;
  double r = std::fmod(integral, modulus);  // exact, |r| < modulus, sign of the dividend
  if (r < 0) r += modulus;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(r));
}

int put_scaled_u16(const scaled_u16& s, wsq_output& out) {
  int ret = putc_byte(s.scale, out);
  if (ret == 0) ret = putc_u16(s.value, out);
  return ret;
}

}  // namespace

int putc_byte(std::uint8_t byte, wsq_output& out) {
  if (out.pos >= out.alloc) {
    report(msg::WSQ_ENC_BYTE_OVERFLOW, out.alloc, out.pos);
    return WSQ_ENC_BYTE_OVERFLOW;
  }
  out.data[out.pos++] = byte;
  return 0;
}

int putc_bytes(const unsigned char* data, std::size_t n, wsq_output& out) {
  if (out.pos > out.alloc || n > out.alloc - out.pos) {
    report(msg::WSQ_ENC_BYTES_OVERFLOW, out.alloc, out.pos + n);
    return WSQ_ENC_BYTES_OVERFLOW;
  }
  if (n > 0) {
    std::memcpy(out.data + out.pos, data, n);
    out.pos += n;
  }
  return 0;
}

int putc_u16(std::uint16_t value, wsq_output& out) {
  const unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value & 0xFF)};
  return putc_bytes(bytes, 2, out);
}

int putc_u32(std::uint32_t value, wsq_output& out) {
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value >> 24), static_cast<unsigned char>((value >> 16) & 0xFF),
      static_cast<unsigned char>((value >> 8) & 0xFF), static_cast<unsigned char>(value & 0xFF)};
  return putc_bytes(bytes, 4, out);
}

double to_nearest_half_away(double x) {
  return x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5);
}

bool scale_filter_coefficient(float c, scaled_u32* out) {
  scaled_u32 s;
  if (c >= 0) {
    s.sign = 0;
  } else {
    s.sign = 1;
    c = -c;
  }
  if (c == 0) {
    *out = s;
    return true;
  }
  if (!(static_cast<double>(c) < 4294967295.0)) return false;
  // The repeated single-precision multiplications by 10 are part of the written digits.
  int scale = 0;
  while (static_cast<double>(c) < 4294967295.0) {
    c = c * 10.0f;
    ++scale;
  }
  --scale;
  s.scale = static_cast<std::uint8_t>(scale);
  s.value = low_bits(to_nearest_half_away(static_cast<double>(c) * 0.1), 32);
  *out = s;
  return true;
}

bool scale_quantizer_width(float v, scaled_u16* out) {
  // A value that is not positive would never reach the bound; q and z are widths (> 0).
  if (!(static_cast<double>(v) < 65535.0) || !(v > 0)) return false;
  int scale = 0;
  do {
    v = v * 10.0f;
    ++scale;
  } while (static_cast<double>(v) < 65535.0);
  --scale;
  out->scale = static_cast<std::uint8_t>(scale);
  out->value = static_cast<std::uint16_t>(
      low_bits(to_nearest_half_away(static_cast<double>(v) * 0.1), 16));
  return true;
}

scaled_u16 scale_frame_value(float v) {
  scaled_u16 s;
  if (!(v > 0)) return s;
  int scale = 0;
  while (static_cast<double>(v) < 65535.0) {
    v = v * 10.0f;
    ++scale;
  }
  --scale;
  s.scale = static_cast<std::uint8_t>(scale);
  s.value = static_cast<std::uint16_t>(
      low_bits(to_nearest_half_away(static_cast<double>(v) * 0.1), 16));
  return s;
}

int putc_transform_table(const float* lofilt, int lo_size, const float* hifilt, int hi_size,
                         wsq_output& out) {
  int ret = putc_u16(DTT_WSQ, out);
  if (ret == 0) ret = putc_u16(58, out);
  if (ret == 0) ret = putc_byte(static_cast<std::uint8_t>(lo_size), out);
  if (ret == 0) ret = putc_byte(static_cast<std::uint8_t>(hi_size), out);
  if (ret != 0) return ret;

  for (int pass = 0; pass < 2; ++pass) {
    const float* filt = pass == 0 ? lofilt : hifilt;
    const int size = pass == 0 ? lo_size : hi_size;
    for (int tap = size / 2; tap < size; ++tap) {
      scaled_u32 s;
      if (!scale_filter_coefficient(filt[tap], &s)) {
        report(pass == 0 ? msg::WSQ_ENC_LOFILT_TOO_HIGH : msg::WSQ_ENC_HIFILT_TOO_HIGH, tap,
               static_cast<double>(filt[tap]));
        return pass == 0 ? WSQ_ENC_LOFILT_TOO_HIGH : WSQ_ENC_HIFILT_TOO_HIGH;
      }
      ret = putc_byte(s.sign, out);
      if (ret == 0) ret = putc_byte(s.scale, out);
      if (ret == 0) ret = putc_u32(s.value, out);
      if (ret != 0) return ret;
    }
  }
  return 0;
}

int putc_quantization_table(const quant_params& params, wsq_output& out) {
  int ret = putc_u16(DQT_WSQ, out);
  if (ret == 0) ret = putc_u16(389, out);
  if (ret == 0) ret = putc_byte(2, out);
  if (ret == 0) ret = putc_u16(44, out);
  if (ret != 0) return ret;

  for (int k = 0; k < Q_TREELEN; ++k) {
    scaled_u16 q, z;
    if (k < NUM_SUBBANDS && params.q[k] != 0.0f) {
      if (!scale_quantizer_width(params.q[k], &q)) {
        report(msg::WSQ_ENC_Q_TOO_HIGH, k, static_cast<double>(params.q[k]));
        return WSQ_ENC_Q_TOO_HIGH;
      }
      if (!scale_quantizer_width(params.z[k], &z)) {
        report(msg::WSQ_ENC_Z_TOO_HIGH, k, static_cast<double>(params.z[k]));
        return WSQ_ENC_Z_TOO_HIGH;
      }
    }
    ret = put_scaled_u16(q, out);
    if (ret == 0) ret = put_scaled_u16(z, out);
    if (ret != 0) return ret;
  }
  return 0;
}

int putc_dht_segment(std::uint16_t marker, std::uint8_t table_id, const std::uint8_t* huffbits,
                     const std::uint8_t* huffvalues, wsq_output& out) {
  int values = 0;
  for (int i = 0; i < MAX_HUFFBITS; ++i) values += huffbits[i];
  int ret = putc_u16(marker, out);
  if (ret == 0) ret = putc_u16(static_cast<std::uint16_t>(19 + values), out);
  if (ret == 0) ret = putc_byte(table_id, out);
  for (int i = 0; ret == 0 && i < MAX_HUFFBITS; ++i) ret = putc_byte(huffbits[i], out);
  for (int i = 0; ret == 0 && i < values; ++i) ret = putc_byte(huffvalues[i], out);
  return ret;
}

int putc_sof_header(int width, int height, float m_shift, float r_scale, wsq_output& out) {
  int ret = putc_u16(SOF_WSQ, out);
  if (ret == 0) ret = putc_u16(17, out);
  if (ret == 0) ret = putc_byte(0, out);    // black
  if (ret == 0) ret = putc_byte(255, out);  // white
  if (ret == 0) ret = putc_u16(static_cast<std::uint16_t>(height), out);
  if (ret == 0) ret = putc_u16(static_cast<std::uint16_t>(width), out);
  if (ret == 0) ret = put_scaled_u16(scale_frame_value(m_shift), out);
  if (ret == 0) ret = put_scaled_u16(scale_frame_value(r_scale), out);
  if (ret == 0) ret = putc_byte(2, out);  // WSQ_encoder
  if (ret == 0) ret = putc_u16(0, out);   // Software
  return ret;
}

int putc_sob_header(std::uint8_t table_id, wsq_output& out) {
  int ret = putc_u16(SOB_WSQ, out);
  if (ret == 0) ret = putc_u16(3, out);
  if (ret == 0) ret = putc_byte(table_id, out);
  return ret;
}

int putc_com_segment(std::uint16_t marker, const char* text, std::size_t length,
                     wsq_output& out) {
  if (length > 65533) {
    report(msg::WSQ_ENC_COMMENT_TOO_LONG, length);
    return WSQ_ENC_COMMENT_TOO_LONG;
  }
  int ret = putc_u16(marker, out);
  if (ret == 0) ret = putc_u16(static_cast<std::uint16_t>(2 + length), out);
  for (std::size_t i = 0; ret == 0 && i < length; ++i) {
    ret = putc_byte(static_cast<std::uint8_t>(text[i]), out);
  }
  return ret;
}

}  // namespace ridgeview::codec
