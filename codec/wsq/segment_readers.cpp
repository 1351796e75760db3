#include "codec/wsq/segment_readers.h"

#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {
namespace {

// V / 10^S: V in single precision, then S multiplications by 0.1 in double, each rounded back.
float scaled_value(std::uint32_t value, std::uint8_t scale) {
  float result = static_cast<float>(value);
  for (int i = 0; i < scale; ++i) result = static_cast<float>(static_cast<double>(result) * 0.1);
  return result;
}

// One transform-table record: sign byte, scale byte, 32-bit value.
int read_filter_record(float* out, ByteCursor& cursor, ByteCursor end) {
  std::uint8_t sign = 0, scale = 0;
  std::uint32_t value = 0;
  if (int ret = getc_byte(&sign, cursor, end)) return ret;
  if (int ret = getc_byte(&scale, cursor, end)) return ret;
  if (int ret = getc_u32(&value, cursor, end)) return ret;
  float coefficient = scaled_value(value, scale);
  if (sign != 0) coefficient = static_cast<float>(static_cast<double>(coefficient) * -1.0);
  *out = coefficient;
  return 0;
}

int read_filter_half(CodecPtr<float[]>& half, int count, ByteCursor& cursor, ByteCursor end) {
  for (int i = 0; i < count; ++i) {
    if (int ret = read_filter_record(&half[i], cursor, end)) return ret;
  }
  return 0;
}

// +1 for even i, -1 for odd i, applied in single precision.
float alternate(int i, float value) { return (i % 2 == 0 ? 1.0f : -1.0f) * value; }

}  // namespace

void release_decoder_tables(decoder_tables& tables) {
  tables.dtt = transform_table{};
  tables.dqt = quantization_table{};
  tables.dht = huffman_table_set{};
  tables.frm = frame_header{};
}

int getc_scaled_u16(float* out, ByteCursor& cursor, ByteCursor end) {
  std::uint8_t scale = 0;
  std::uint16_t value = 0;
  if (int ret = getc_byte(&scale, cursor, end)) return ret;
  if (int ret = getc_u16(&value, cursor, end)) return ret;
  *out = scaled_value(value, scale);
  return 0;
}

int getc_table_wsq(std::uint16_t marker, transform_table& dtt, quantization_table& dqt,
                   huffman_table_set& dht, ByteCursor& cursor, ByteCursor end) {
  switch (marker) {
    case DTT_WSQ:
      return getc_transform_table(dtt, cursor, end);
    case DQT_WSQ:
      return getc_dqt_segment(dqt, cursor, end);
    case DHT_WSQ:
      return getc_dht_segment(dht, cursor, end);
    case COM_WSQ: {
      CodecPtr<char[]> text;
      return getc_comment(text, cursor, end);
    }
    default:
      report(msg::WSQ_INVALID_TABLE, marker);
      return WSQ_INVALID_TABLE;
  }
}

int getc_transform_table(transform_table& dtt, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t length = 0;
  std::uint8_t hisize = 0, losize = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  if (int ret = getc_byte(&hisize, cursor, end)) return ret;
  if (int ret = getc_byte(&losize, cursor, end)) return ret;

  // A failed read leaves both filters empty (the defined flags keep their values), so a later
  // release frees nothing twice.
  dtt.lofilt.reset();
  dtt.hifilt.reset();
  if (hisize == 0 || losize == 0) {
    report(msg::WSQ_EMPTY_FILTER, hisize, losize);
    return WSQ_EMPTY_FILTER;
  }
  CodecPtr<float[]> lofilt = codec_alloc_array<float>(losize);
  if (!lofilt) {
    report(msg::WSQ_LOFILT_ALLOC);
    return WSQ_LOFILT_ALLOC;
  }
  CodecPtr<float[]> hifilt = codec_alloc_array<float>(hisize);
  if (!hifilt) {
    report(msg::WSQ_HIFILT_ALLOC);
    return WSQ_HIFILT_ALLOC;
  }

  const int n = (hisize + 1) / 2;
  CodecPtr<float[]> a_lofilt = codec_alloc_array<float>(static_cast<std::size_t>(n));
  if (!a_lofilt) {
    report(msg::WSQ_A_LOFILT_ALLOC);
    return WSQ_A_LOFILT_ALLOC;
  }
  if (int ret = read_filter_half(a_lofilt, n, cursor, end)) return ret;
  const int m = n - 1;
  for (int i = 0; i < n; ++i) {
    if (hisize % 2 == 1) {
      hifilt[m + i] = alternate(i, a_lofilt[i]);
      if (i > 0) hifilt[m - i] = hifilt[m + i];
    } else {
      hifilt[m + i + 1] = alternate(i, a_lofilt[i]);
      hifilt[m - i] = -hifilt[m + i + 1];
    }
  }

  const int n2 = (losize + 1) / 2;
  CodecPtr<float[]> a_hifilt = codec_alloc_array<float>(static_cast<std::size_t>(n2));
  if (!a_hifilt) {
    report(msg::WSQ_A_HIFILT_ALLOC);
    return WSQ_A_HIFILT_ALLOC;
  }
  if (int ret = read_filter_half(a_hifilt, n2, cursor, end)) return ret;
  const int m2 = n2 - 1;
  for (int j = 0; j < n2; ++j) {
    if (losize % 2 == 1) {
      lofilt[m2 + j] = alternate(j, a_hifilt[j]);
      if (j > 0) lofilt[m2 - j] = lofilt[m2 + j];
    } else {
      lofilt[m2 + j + 1] = alternate(j + 1, a_hifilt[j]);
      lofilt[m2 - j] = lofilt[m2 + j + 1];
    }
  }

  dtt.lofilt = std::move(lofilt);
  dtt.hifilt = std::move(hifilt);
  dtt.losize = losize;
  dtt.hisize = hisize;
  dtt.lo_defined = true;
  dtt.hi_defined = true;
  return 0;
}

int getc_dqt_segment(quantization_table& dqt, ByteCursor& cursor, ByteCursor end) {
  quantization_table read;
  std::uint16_t length = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  if (int ret = getc_scaled_u16(&read.center, cursor, end)) return ret;
  for (int k = 0; k < Q_TREELEN; ++k) {
    if (int ret = getc_scaled_u16(&read.q[k], cursor, end)) return ret;
    if (int ret = getc_scaled_u16(&read.z[k], cursor, end)) return ret;
  }
  read.defined = true;
  dqt = read;
  return 0;
}

int getc_huffman_table(std::uint8_t* table_id, CodecPtr<std::uint8_t[]>& huffbits,
                       CodecPtr<std::uint8_t[]>& huffvalues, int max_count, ByteCursor& cursor,
                       ByteCursor end, bool read_length, int* bytes_left) {
  int left = *bytes_left;
  if (read_length) {
    std::uint16_t length = 0;
    if (int ret = getc_u16(&length, cursor, end)) return ret;
    left = length - 2;
  }
  if (left <= 0) {
    report(msg::WSQ_NO_HUFFMAN_BYTES);
    return WSQ_NO_HUFFMAN_BYTES;
  }
  std::uint8_t id = 0;
  if (int ret = getc_byte(&id, cursor, end)) return ret;
  left -= 1;

  CodecPtr<std::uint8_t[]> bits = codec_alloc_array<std::uint8_t>(MAX_HUFFBITS);
  if (!bits) {
    report(msg::WSQ_HUFFBITS_ALLOC);
    return WSQ_HUFFBITS_ALLOC;
  }
  std::uint16_t num_values = 0;
  for (int i = 0; i < MAX_HUFFBITS; ++i) {
    if (int ret = getc_byte(&bits[i], cursor, end)) return ret;
    num_values = static_cast<std::uint16_t>(num_values + bits[i]);
  }
  left -= MAX_HUFFBITS;
  if (num_values > max_count + 1) {
    report(msg::WSQ_TOO_MANY_HUFFVALUES, num_values, max_count + 1);
    return WSQ_TOO_MANY_HUFFVALUES;
  }

  CodecPtr<std::uint8_t[]> values =
      codec_alloc_array<std::uint8_t>(static_cast<std::size_t>(max_count) + 1);
  if (!values) {
    report(msg::WSQ_HUFFVALUES_ALLOC);
    return WSQ_HUFFVALUES_ALLOC;
  }
  for (int i = 0; i < num_values; ++i) {
    if (int ret = getc_byte(&values[i], cursor, end)) return ret;
  }
  left -= num_values;

  *bytes_left = left;
  *table_id = id;
  huffbits = std::move(bits);
  huffvalues = std::move(values);
  return 0;
}

int getc_dht_segment(huffman_table_set& dht, ByteCursor& cursor, ByteCursor end) {
  // The tables go into a copy, which replaces the caller's set once the whole segment is read.
  huffman_table_set read = dht;
  int bytes_left = 0;
  bool first = true;
  do {
    std::uint8_t id = 0;
    CodecPtr<std::uint8_t[]> bits, values;
    if (int ret = getc_huffman_table(&id, bits, values, MAX_HUFFCOUNTS_WSQ, cursor, end, first,
                                     &bytes_left)) {
      return ret;
    }
    // Ids are bytes but there are only 8 slots.
    if (id >= MAX_DHT_TABLES) {
      report(msg::WSQ_HUFFMAN_ID_RANGE, id, MAX_DHT_TABLES - 1);
      return WSQ_HUFFMAN_ID_RANGE;
    }
    huffman_slot& slot = read.table[id];
    // Later tables of one segment may not name a slot that is already defined. This failure
    // writes no message (see WSQ_HUFFMAN_SLOT_TAKEN).
    if (!first && slot.defined) return WSQ_HUFFMAN_SLOT_TAKEN;
    std::memcpy(slot.huffbits, bits.get(), MAX_HUFFBITS);
    std::memcpy(slot.huffvalues, values.get(), MAX_HUFFCOUNTS_WSQ + 1);
    slot.defined = true;
    first = false;
  } while (bytes_left != 0);
  dht = read;
  return 0;
}

int getc_sof_header(frame_header& frm, ByteCursor& cursor, ByteCursor end) {
  frame_header h;
  std::uint16_t length = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  if (int ret = getc_byte(&h.black, cursor, end)) return ret;
  if (int ret = getc_byte(&h.white, cursor, end)) return ret;
  if (int ret = getc_u16(&h.height, cursor, end)) return ret;
  if (int ret = getc_u16(&h.width, cursor, end)) return ret;
  if (int ret = getc_scaled_u16(&h.m_shift, cursor, end)) return ret;
  if (int ret = getc_scaled_u16(&h.r_scale, cursor, end)) return ret;
  if (int ret = getc_byte(&h.wsq_encoder, cursor, end)) return ret;
  if (int ret = getc_u16(&h.software, cursor, end)) return ret;
  frm = h;
  return 0;
}

int getc_sob_header(std::uint8_t* table_id, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t length = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  return getc_byte(table_id, cursor, end);
}

int getc_comment(CodecPtr<char[]>& text, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t length = 0;
  if (int ret = getc_u16(&length, cursor, end)) return ret;
  // The length counts itself, so anything below 2 cannot hold a text.
  if (length < 2) {
    report(msg::WSQ_COMMENT_LENGTH, length);
    return WSQ_COMMENT_LENGTH;
  }
  CodecPtr<char[]> copy(static_cast<char*>(codec_calloc(length - 1u, 1)));
  if (!copy) {
    report(msg::WSQ_COMMENT_ALLOC);
    return WSQ_COMMENT_ALLOC;
  }
  if (int ret = getc_bytes(reinterpret_cast<std::uint8_t*>(copy.get()), length - 2u, cursor,
                           end)) {
    return ret;
  }
  text = std::move(copy);
  return 0;
}

}  // namespace ridgeview::codec
