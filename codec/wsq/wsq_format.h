// WSQ file-format constants shared by the decoder and the encoder.
#pragma once

#include <cstdint>

namespace ridgeview::codec {

// Marker values as they appear in the stream (high byte first).
inline constexpr std::uint16_t SOI_WSQ = 0xFFA0;
inline constexpr std::uint16_t EOI_WSQ = 0xFFA1;
inline constexpr std::uint16_t SOF_WSQ = 0xFFA2;
inline constexpr std::uint16_t SOB_WSQ = 0xFFA3;
inline constexpr std::uint16_t DTT_WSQ = 0xFFA4;
inline constexpr std::uint16_t DQT_WSQ = 0xFFA5;
inline constexpr std::uint16_t DHT_WSQ = 0xFFA6;
inline constexpr std::uint16_t DRT_WSQ = 0xFFA7;  // accepted by the marker scan only
inline constexpr std::uint16_t COM_WSQ = 0xFFA8;

inline constexpr int MAX_DHT_TABLES = 8;       // Huffman table slots, ids 0..7
inline constexpr int MAX_HUFFBITS = 16;        // code lengths 1..16
inline constexpr int MAX_HUFFCOUNTS_WSQ = 256; // symbols per table (the limit check allows 257)
inline constexpr int MAX_HUFFCOEFF = 74;       // largest coefficient coded by its own symbol
inline constexpr int MAX_HUFFZRUN = 100;       // longest zero run coded by its own symbol

// The symbols of the entropy-coded data. 1..MAX_HUFFZRUN: a run of that many zero
// coefficients. The escapes are followed by a value v of escape_bits(symbol) bits: a
// coefficient +v or -v (101..104) or a run of v zeros (105, 106). 107..254: the coefficient
// symbol - SYM_VALUE_BIAS (-73..74). 0 and 255 are invalid.
inline constexpr int SYM_POSITIVE_8 = 101;
inline constexpr int SYM_NEGATIVE_8 = 102;
inline constexpr int SYM_POSITIVE_16 = 103;
inline constexpr int SYM_NEGATIVE_16 = 104;
inline constexpr int SYM_RUN_8 = 105;
inline constexpr int SYM_RUN_16 = 106;
inline constexpr int SYM_FIRST_VALUE = 107;
inline constexpr int SYM_LAST_VALUE = 254;
inline constexpr int SYM_VALUE_BIAS = 180;

inline constexpr bool is_escape_symbol(int symbol) {
  return symbol >= SYM_POSITIVE_8 && symbol <= SYM_RUN_16;
}
// Bits of the value behind an escape symbol: 8 or 16.
inline constexpr int escape_bits(int symbol) {
  return symbol == SYM_POSITIVE_8 || symbol == SYM_NEGATIVE_8 || symbol == SYM_RUN_8 ? 8 : 16;
}

inline constexpr int W_TREELEN = 20;  // nodes of the wavelet tree
inline constexpr int Q_TREELEN = 64;  // entries of the quantization tree
inline constexpr int NUM_SUBBANDS = 60;  // coded subbands (entries 60..63 never are)

// Subbands coded in each of the encoder's three blocks: 0..18, 19..51, 52..59.
inline constexpr int BLOCK2_FIRST_SUBBAND = 19;
inline constexpr int BLOCK3_FIRST_SUBBAND = 52;

}  // namespace ridgeview::codec
