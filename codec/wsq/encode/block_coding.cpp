#include "codec/wsq/encode/block_coding.h"

#include "codec/common/report.h"
#include "codec/wsq/encode/encoder_codes.h"
#include "codec/wsq/encode/huffman_generation.h"

namespace ridgeview::codec {
namespace {

inline void store_byte(code_bit_writer& w, unsigned char byte) {
  if (w.size >= w.capacity) {
    w.overflow = true;
    return;
  }
  w.out[w.size++] = byte;
}

// Stores the completed bytes among the pending bits, stuffing 0x00 after 0xFF so that no
// marker appears in the data.
inline void emit_bytes(code_bit_writer& w) {
  while (w.pending >= 8) {
    w.pending -= 8;
    const auto byte = static_cast<unsigned char>(w.bits >> w.pending);
    store_byte(w, byte);
    if (byte == 0xFF) store_byte(w, 0x00);
  }
}

}  // namespace

void put_code_bits(code_bit_writer& w, std::uint16_t value, int n) {
  if (n <= 0) return;
  if (n > 16) n = 16;  // codes and escape values have at most 16 bits
  w.bits = (w.bits << n) | (value & ((1u << n) - 1u));
  w.pending += n;
  emit_bytes(w);
}

void flush_code_bits(code_bit_writer& w) {
  if (w.pending == 0) return;
  const int pad = 8 - w.pending;
  w.bits = (w.bits << pad) | ((1u << pad) - 1u);
  w.pending = 8;
  emit_bytes(w);
}

int compress_block(unsigned char* out, std::size_t capacity, std::size_t* size,
                   const std::int16_t* coefficients, std::size_t count, int max_coeff,
                   int max_zrun, const huffcode_entry* code_by_symbol) {
  code_bit_writer w;
  w.out = out;
  w.capacity = capacity;
  for_each_block_symbol(coefficients, count, max_coeff, max_zrun,
                        [&](int symbol, std::uint32_t extra) {
                          const huffcode_entry& e = code_by_symbol[symbol];
                          put_code_bits(w, static_cast<std::uint16_t>(e.huff_code & 0xFFFFu),
                                        e.huff_size);
                          if (symbol == 101 || symbol == 102 || symbol == 105) {
                            put_code_bits(w, static_cast<std::uint16_t>(extra), 8);
                          } else if (symbol == 103 || symbol == 104 || symbol == 106) {
                            put_code_bits(w, static_cast<std::uint16_t>(extra), 16);
                          }
                        });
  flush_code_bits(w);
  if (w.overflow) {
    report("ERROR : compress_block : coded block larger than its buffer of %zu bytes\n",
           capacity);
    return WSQ_ENC_BLOCK_OVERFLOW;
  }
  *size = w.size;
  return 0;
}

}  // namespace ridgeview::codec
