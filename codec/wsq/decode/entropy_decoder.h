// Huffman decoding of the entropy-coded blocks of a WSQ file into quantized coefficients.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wsq/byte_stream.h"
#include "codec/wsq/huffman_tables.h"
#include "codec/wsq/segment_readers.h"
#include "codec/wsq/subband_geometry.h"

namespace ridgeview::codec {

// Bit reader over coded data: the cursor, the byte being consumed and how many of its bits
// are left (0..8). Its bits above bit_count are always 0. A marker met in the data is handed
// to the caller of getc_nextbits_wsq, not kept here.
struct bit_reader {
  ByteCursor cursor = nullptr;
  ByteCursor end = nullptr;
  std::uint8_t current = 0;
  int bit_count = 0;
};

// Reads `bits_requested` (1..16) bits, most significant first. A 0xFF byte must be followed
// by a stuffed 0x00, except that a marker is accepted (setting *marker, returning value 1)
// when a single bit is asked for and marker is not null. Returns 0, WSQ_END_OF_BUFFER_BYTE
// when the data ends, or WSQ_NO_STUFFED_ZERO. *bits is written only on success; the reader
// moves past what it read either way.
int getc_nextbits_wsq(std::uint16_t* bits, std::uint16_t* marker, bit_reader& reader,
                      int bits_requested);

// The symbol decode_huff_symbol gives when a marker ended the coded data.
inline constexpr int kMarkerMet = -1;

// Decodes one symbol (0..255), or kMarkerMet with *marker set when a marker was met. Returns
// 0, the codes of getc_nextbits_wsq, or WSQ_NO_CODE_MATCHES when no code of 16 bits or
// fewer matches.
int decode_huff_symbol(int* symbol, const huff_decode_limits& limits,
                       const std::uint8_t* huffvalues, bit_reader& reader,
                       std::uint16_t* marker);

// Decodes every block up to EOI into `coefficients`, which must hold `capacity` values (at
// least width * height + 1, zero-filled), starting at the cursor behind the frame header;
// the cursor is left behind what was read. Table segments between blocks update `tables`.
// Returns 0 once EOI is read; else the codes of the markers and segments read
// (WSQ_NO_SOB_OR_TABLE, the codes of getc_table_wsq, WSQ_NO_MARKER and WSQ_INVALID_MARKER
// after the third block's comments), WSQ_HUFFMAN_TABLE_UNDEFINED, WSQ_PAST_IMAGE_BUFFER,
// WSQ_INVALID_SYMBOL, the codes of decode_huff_symbol and getc_nextbits_wsq, or
// WSQ_HUFFSIZES_ALLOC. On failure the coefficients decoded so far stay in the array.
// With table_driven, symbols away from 0xFF bytes and the end of the data are looked up
// several bits at a time; the result is the same either way.
int huffman_decode_data_mem(std::int16_t* coefficients, std::size_t capacity,
                            decoder_tables& tables, const quantization_tree_entry* q_tree,
                            ByteCursor& cursor, ByteCursor end, bool table_driven = true);

}  // namespace ridgeview::codec
