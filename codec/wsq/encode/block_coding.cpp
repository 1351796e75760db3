#include "codec/wsq/encode/block_coding.h"

#include "codec/common/codes.h"
#include "codec/common/report.h"
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

// Lets bits pile up to 32 and stores four bytes at once when none of them needs stuffing.
inline void emit_some(code_bit_writer& w) {
  if (w.pending < 32) return;
  const auto word = static_cast<std::uint32_t>(w.bits >> (w.pending - 32));
  const std::uint32_t inv = ~word;
  const bool has_ff = ((inv - 0x01010101u) & ~inv & 0x80808080u) != 0;
  if (has_ff || w.capacity - w.size < 4 || w.size > w.capacity) {
    emit_bytes(w);
    return;
  }
  w.out[w.size] = static_cast<unsigned char>(word >> 24);
  w.out[w.size + 1] = static_cast<unsigned char>(word >> 16);
  w.out[w.size + 2] = static_cast<unsigned char>(word >> 8);
  w.out[w.size + 3] = static_cast<unsigned char>(word);
  w.size += 4;
  w.pending -= 32;
}

}  // namespace

void put_code_bits(code_bit_writer& w, std::uint16_t value, int n) {
  if (n <= 0) return;
  if (n > 16) n = 16;  // codes and escape values have at most 16 bits
  w.bits = (w.bits << n) | (value & ((1u << n) - 1u));
  w.pending += n;
  emit_some(w);
}

void flush_code_bits(code_bit_writer& w) {
  emit_bytes(w);
  if (w.pending == 0) return;
  const int pad = 8 - w.pending;
  w.bits = (w.bits << pad) | ((1u << pad) - 1u);
  w.pending = 8;
  emit_bytes(w);
}

int compress_block(unsigned char* out, std::size_t capacity, std::size_t* size,
                   const std::int16_t* coefficients, std::size_t count, int max_coeff,
                   int max_zrun, const huffcode_entry* code_by_symbol,
                   const SymbolList* symbols) {
  code_bit_writer w;
  w.out = out;
  w.capacity = capacity;
  auto code = [&](int symbol, std::uint32_t extra) {
    const huffcode_entry& e = code_by_symbol[symbol];
    put_code_bits(w, static_cast<std::uint16_t>(e.huff_code & 0xFFFFu), e.huff_size);
    if (is_escape_symbol(symbol)) {
      put_code_bits(w, static_cast<std::uint16_t>(extra), escape_bits(symbol));
    }
  };
  if (symbols != nullptr && symbols->complete()) {
    const std::uint32_t* items = symbols->items();
    for (std::size_t i = 0; i < symbols->size(); ++i) {
      code(static_cast<int>(items[i] & 0x1FFu), items[i] >> 9);
    }
  } else {
    for_each_block_symbol(coefficients, count, max_coeff, max_zrun, code);
  }
  flush_code_bits(w);
  if (w.overflow) {
    report(msg::WSQ_ENC_BLOCK_OVERFLOW, capacity);
    return WSQ_ENC_BLOCK_OVERFLOW;
  }
  *size = w.size;
  return 0;
}

}  // namespace ridgeview::codec
