// Entropy coding of one block of quantized coefficients: the Huffman code of each symbol,
// the raw value after escape symbols, bits packed most significant first, a 0x00 stuffed
// after every 0xFF byte, and the last byte padded with 1-bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/huffman_tables.h"

namespace ridgeview::codec {

// Bit writer over a bounded output. Writes past `capacity` are dropped and set the sticky
// `overflow` flag, which the caller checks once at the end.
struct code_bit_writer {
  unsigned char* out = nullptr;
  std::size_t capacity = 0;
  std::size_t size = 0;     // bytes written, stuffed bytes included
  std::uint64_t bits = 0;   // pending bits in the low `pending` bits, oldest first
  int pending = 0;          // 0..47 between calls: bits not yet stored
  bool overflow = false;
};

// Appends the low n bits of value (n = 0..16), most significant first.
void put_code_bits(code_bit_writer& w, std::uint16_t value, int n);

// Completes a partly filled byte with 1-bits; nothing when the bits end on a byte boundary.
void flush_code_bits(code_bit_writer& w);

// Codes `count` coefficients with the code table by symbol (257 entries) into out, from its
// start. Returns 0 with *size the number of bytes written (0 for an empty block), or
// WSQ_ENC_BLOCK_OVERFLOW when the coded block would not fit into capacity bytes (nothing is
// written past the end; *size is untouched).
// A complete `symbols` list of the block (see SymbolList) is coded instead of walking the
// coefficients again; the result is the same.
class SymbolList;
int compress_block(unsigned char* out, std::size_t capacity, std::size_t* size,
                   const std::int16_t* coefficients, std::size_t count, int max_coeff,
                   int max_zrun, const huffcode_entry* code_by_symbol,
                   const SymbolList* symbols = nullptr);

}  // namespace ridgeview::codec
