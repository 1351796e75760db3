// Huffman decoding of the entropy-coded blocks of a WSQ file into quantized coefficients.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/byte_stream.h"
#include "codec/wsq/huffman_tables.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/subband_geometry.h"

namespace ridgeview::codec {

// Bit reader over coded data: the byte being consumed and how many of its bits are left
// (0..8). `marker` is 0 inside coded data and holds the marker value once one is met.
struct bit_reader {
  ByteCursor cursor = nullptr;
  ByteCursor end = nullptr;
  std::uint8_t current = 0;
  int bit_count = 0;
};

// Reads `bits_requested` (1..16) bits, most significant first. A 0xFF byte must be followed
// by a stuffed 0x00, except that a marker is accepted (setting *marker, returning value 1)
// when a single bit is asked for and marker is not null; otherwise -41.
int getc_nextbits_wsq(std::uint16_t* bits, std::uint16_t* marker, bit_reader& reader,
                      int bits_requested);

// Decodes one symbol (0..255), or -1 in *symbol when a marker was met. Fails with -53 when
// no code of 16 bits or fewer matches.
int decode_huff_symbol(int* symbol, const huff_decode_limits& limits,
                       const std::uint8_t* huffvalues, bit_reader& reader,
                       std::uint16_t* marker);

// Decodes every block up to EOI into `coefficients`, which must hold capacity values
// (at least width * height + 1, zero-filled). Table segments between blocks update `tables`.
// With table_driven, symbols away from 0xFF bytes and the end of the data are looked up
// several bits at a time; the result is the same either way.
int huffman_decode_data_mem(std::int16_t* coefficients, std::size_t capacity,
                            decoder_tables& tables, const quantization_tree_entry* q_tree,
                            ByteCursor& cursor, ByteCursor end, bool table_driven = true);

}  // namespace ridgeview::codec
