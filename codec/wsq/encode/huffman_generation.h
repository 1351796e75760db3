// Huffman tables built from the symbols the encoder is about to code: symbol counting over
// one or two blocks of quantized coefficients, optimal code lengths with a reserved symbol
// that keeps the all-ones code free, folding of lengths above 16, and the lists a DHT
// segment carries.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstddef>
#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/huffman_tables.h"

namespace ridgeview::codec {

// Symbols 0..255 of the WSQ alphabet plus the reserved symbol 256 (count 1, never coded).
inline constexpr int HUFF_ALPHABET = MAX_HUFFCOUNTS_WSQ + 1;
inline constexpr int MAX_CODE_LENGTH = 32;  // entries of the unadjusted length counts

// Symbol counters, wide enough for any image the encoder accepts.
using SymbolCounts = CodecPtr<std::int64_t[]>;
using CodeSizes = CodecPtr<int[]>;
using ByteArray = CodecPtr<std::uint8_t[]>;

// Symbol of a non-zero coefficient v: v + 180 for -(max_coeff - 1) <= v <= max_coeff, else
// the escape 101 / 103 (positive, up to 255 / above) or 102 / 104 (negative). The format
// fixes max_coeff at 74.
int coefficient_symbol(std::int16_t v, int max_coeff);
// Symbol of a zero run of 1..65535: the run itself up to max_zrun (100), 105 up to 255,
// else 106.
int zero_run_symbol(std::uint32_t run, int max_zrun);

// The symbols of a block in the order counting met them, kept so that coding the block need
// not walk its coefficients again. It holds at most `limit` symbols; its memory is not among
// the codec's counted allocations: when it cannot be had, or the block has more symbols, it
// is incomplete and the coder walks the coefficients instead.
class SymbolList {
 public:
  explicit SymbolList(std::size_t limit);
  ~SymbolList();
  SymbolList(const SymbolList&) = delete;
  SymbolList& operator=(const SymbolList&) = delete;

  void Add(int symbol, std::uint32_t extra) {
    if (size_ < capacity_) {
      items_[size_++] = static_cast<std::uint32_t>(symbol) | (extra << 9);
    } else {
      complete_ = false;
    }
  }
  bool complete() const { return complete_; }
  std::size_t size() const { return size_; }
  // Entry i: the symbol in the low 9 bits, its extra value above them.
  const std::uint32_t* items() const { return items_; }

 private:
  std::uint32_t* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  bool complete_ = true;
};

// Calls emit(symbol, extra) for each symbol of a block in order; extra is the value that
// follows an escape symbol (the magnitude for 101..104, the run length for 105 and 106).
// Zero runs are maximal, cut after 65535 zeros, and end at the end of the block.
// Length of the stretch of zero coefficients that starts at coefficients[i].
inline std::size_t zero_stretch(const std::int16_t* coefficients, std::size_t i,
                                std::size_t count) {
  const std::size_t start = i;
#if defined(__SSE2__)
  // Eight coefficients at a time while all eight are zero, then the first non-zero one.
  const __m128i zero = _mm_setzero_si128();
  while (i + 8 <= count) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, zero)));
    if (mask != 0xFFFFu) return i - start + static_cast<std::size_t>(__builtin_ctz(~mask) / 2);
    i += 8;
  }
#endif
  while (i < count && coefficients[i] == 0) ++i;
  return i - start;
}

template <class Emit>
void for_each_block_symbol(const std::int16_t* coefficients, std::size_t count, int max_coeff,
                           int max_zrun, Emit&& emit) {
  std::size_t i = 0;
  while (i < count) {
    const int v = coefficients[i];
    if (v == 0) {
      // A stretch of z zeros: runs of 65535 while that many remain, then the rest.
      std::size_t z = zero_stretch(coefficients, i, count);
      i += z;
      for (; z > 65535; z -= 65535) emit(zero_run_symbol(65535, max_zrun), 65535u);
      emit(zero_run_symbol(static_cast<std::uint32_t>(z), max_zrun),
           static_cast<std::uint32_t>(z));
      continue;
    }
    emit(coefficient_symbol(coefficients[i], max_coeff),
         static_cast<std::uint32_t>(v < 0 ? -v : v));
    ++i;
  }
}

// All return 0 or a named code (codec/common/codes.h) after writing its message; arrays
// handed out belong to the caller and are written only on success.

// 257 counters: symbol counts of the block, entry 256 = 1. WSQ_ENC_COUNTS_ALLOC when out of
// memory. With `list`, the symbols are also recorded there.
int count_block(SymbolCounts& counts, int max_count, const std::int16_t* coefficients,
                std::size_t count, int max_coeff, int max_zrun, SymbolList* list = nullptr);

// The two live symbols (non-zero count) with the smallest counts, the highest symbol on
// ties; -1 for a missing one.
void find_least_frequent_pair(int* first, int* second, const std::int64_t* counts,
                              int max_count);

// Code length of every symbol 0..max_count by repeated merging; consumes counts.
// WSQ_ENC_CODESIZE_ALLOC / WSQ_ENC_OTHERS_ALLOC when out of memory.
int find_huff_sizes(CodeSizes& codesize, std::int64_t* counts, int max_count);

// 32 counts of code lengths 1..32 over symbols 0..max_count - 1 (the reserved symbol is not
// counted); *adjust = 1 when a length exceeds 16. WSQ_ENC_BITS_ALLOC when out of memory,
// WSQ_ENC_CODE_TOO_LONG when a length exceeds 32.
int find_num_huff_sizes(ByteArray& bits, int* adjust, const int* codesize, int max_count);

// Folds lengths above 16 into lengths 1..16 and drops the extra code of the longest
// length, in place. WSQ_ENC_TBITS_ALLOC when out of memory (bits are then untouched).
int sort_huffbits(std::uint8_t* bits);

// Symbols 0..max_count - 1 that have a code, by length, then by symbol (257 bytes).
// WSQ_ENC_HUFFVALUES_ALLOC when out of memory.
int sort_code_sizes(ByteArray& huffvalues, const int* codesize, int max_count);

// Table for one block (num_blocks 1) or for two consecutive blocks (num_blocks 2) of
// coefficients. On success: the code table by symbol (257 entries), huffbits (32 bytes, the
// first 16 are the DHT counts) and huffvalues (257 bytes). WSQ_ENC_ALL_ONES_CODE when a
// code would be all 1-bits; the codes of the steps above, WSQ_HUFFSIZES_ALLOC and
// WSQ_HUFFCODE_TABLE_ALLOC pass through. Outputs are written only on success.
// With `lists` (one per block), each block's symbols are recorded for its coding.
int generate_huffman_table(HuffcodeTable& code_by_symbol, ByteArray& huffbits,
                           ByteArray& huffvalues, const std::int16_t* coefficients,
                           const std::size_t* block_sizes, int num_blocks,
                           SymbolList* lists = nullptr);

}  // namespace ridgeview::codec
