// Canonical Huffman codes of WSQ tables: built from the 16 per-length counts, checked, and
// turned into the decoder's per-length limits or the encoder's code-by-symbol table.
#pragma once

#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {

// Code length in bits (0 ends a list) and the code in its low huff_size bits.
struct huffcode_entry {
  std::int16_t huff_size = 0;
  std::uint32_t huff_code = 0;
};

using HuffcodeTable = CodecPtr<huffcode_entry[]>;

// Per-length decode limits, indexed by code length 1..16 (index 0 holds 0).
struct huff_decode_limits {
  std::int32_t code_max[MAX_HUFFBITS + 1];
  std::int32_t code_min[MAX_HUFFBITS + 1];
  std::int32_t value_start[MAX_HUFFBITS + 1];
};

// Allocates a code list with room for max_count + 1 codes and a terminator and fills the
// sizes from huffbits[0..15]; the list is handed to the caller. Returns 0, or
// WSQ_HUFFSIZES_ALLOC (with its message) when memory is short. Counts beyond the list's room
// are not stored.
int build_huffsizes(HuffcodeTable& huffcode_table, int* code_count,
                    const std::uint8_t* huffbits, int max_count);

// Gives each entry of the list its canonical code (16-bit arithmetic). Cannot fail.
void assign_huffcodes(huffcode_entry* huffcode_table);

// 0 when every one of the first code_count codes has a size and is not all 1-bits, else
// WSQ_ALL_ONES_CODE. Writes no message (the decoder warns, the encoder fails).
int check_all_ones_codes(const huffcode_entry* huffcode_table, int code_count);

// Fills the three limit arrays from a coded list and its counts. Cannot fail.
void build_decode_limits(const huffcode_entry* huffcode_table, huff_decode_limits& limits,
                         const std::uint8_t* huffbits);

// Table indexed by symbol (max_count + 1 entries), handed to the caller: entry huffvalues[i]
// receives code i. Returns 0, or WSQ_HUFFCODE_TABLE_ALLOC (with its message) when memory is
// short.
int build_huffcode_table(HuffcodeTable& code_by_symbol, const huffcode_entry* huffcode_table,
                         int code_count, const std::uint8_t* huffvalues, int max_count);

}  // namespace ridgeview::codec
