#include "codec/wsq/encode/huffman_generation.h"

#include <cstdint>
#include <cstdlib>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {

int coefficient_symbol(std::int16_t v, int max_coeff) {
  if (v <= max_coeff && v > -max_coeff) return v + SYM_VALUE_BIAS;
  if (v > 0) return v <= 255 ? SYM_POSITIVE_8 : SYM_POSITIVE_16;
  return v >= -255 ? SYM_NEGATIVE_8 : SYM_NEGATIVE_16;
}

int zero_run_symbol(std::uint32_t run, int max_zrun) {
  if (run <= static_cast<std::uint32_t>(max_zrun)) return static_cast<int>(run);
  return run <= 255 ? SYM_RUN_8 : SYM_RUN_16;
}

SymbolList::SymbolList(std::size_t limit) {
  if (limit > 0 && limit <= SIZE_MAX / sizeof(std::uint32_t)) {
    items_ = static_cast<std::uint32_t*>(std::malloc(limit * sizeof(std::uint32_t)));
  }
  capacity_ = items_ != nullptr ? limit : 0;
  complete_ = items_ != nullptr;
}

SymbolList::~SymbolList() { std::free(items_); }

int count_block(SymbolCounts& counts, int max_count, const std::int16_t* coefficients,
                std::size_t count, int max_coeff, int max_zrun, SymbolList* list) {
  SymbolCounts c = codec_alloc_array<std::int64_t>(static_cast<std::size_t>(max_count) + 1);
  if (!c) {
    report(msg::WSQ_ENC_COUNTS_ALLOC);
    return WSQ_ENC_COUNTS_ALLOC;
  }
  c[max_count] = 1;  // the reserved symbol
  if (list != nullptr && list->complete()) {
    for_each_block_symbol(coefficients, count, max_coeff, max_zrun,
                          [&](int symbol, std::uint32_t extra) {
                            ++c[symbol];
                            list->Add(symbol, extra);
                          });
  } else {
    for_each_block_symbol(coefficients, count, max_coeff, max_zrun,
                          [&](int symbol, std::uint32_t) { ++c[symbol]; });
  }
  counts = std::move(c);
  return 0;
}

void find_least_frequent_pair(int* first, int* second, const std::int64_t* counts,
                              int max_count) {
  // "<=" lets a later (higher) symbol win a tie.
  int s1 = -1;
  for (int i = 0; i <= max_count; ++i) {
    if (counts[i] != 0 && (s1 < 0 || counts[i] <= counts[s1])) s1 = i;
  }
  int s2 = -1;
  for (int i = 0; i <= max_count; ++i) {
    if (i != s1 && counts[i] != 0 && (s2 < 0 || counts[i] <= counts[s2])) s2 = i;
  }
  *first = s1;
  *second = s2;
}

int find_huff_sizes(CodeSizes& codesize, std::int64_t* counts, int max_count) {
  const auto n = static_cast<std::size_t>(max_count) + 1;
  CodeSizes sizes = codec_alloc_array<int>(n);
  if (!sizes) {
    report(msg::WSQ_ENC_CODESIZE_ALLOC);
    return WSQ_ENC_CODESIZE_ALLOC;
  }
  CodecPtr<int[]> others(static_cast<int*>(codec_malloc(n * sizeof(int))));
  if (!others) {
    report(msg::WSQ_ENC_OTHERS_ALLOC);
    return WSQ_ENC_OTHERS_ALLOC;
  }
  for (std::size_t i = 0; i < n; ++i) others[i] = -1;

  // Each merge deepens both subtrees by one; `others` chains the members of a subtree.
  for (;;) {
    int s1, s2;
    find_least_frequent_pair(&s1, &s2, counts, max_count);
    if (s2 == -1) break;
    counts[s1] += counts[s2];
    counts[s2] = 0;
    int m = s1;
    ++sizes[m];
    while (others[m] != -1) {
      m = others[m];
      ++sizes[m];
    }
    others[m] = s2;
    m = s2;
    ++sizes[m];
    while (others[m] != -1) {
      m = others[m];
      ++sizes[m];
    }
  }
  codesize = std::move(sizes);
  return 0;
}

int find_num_huff_sizes(ByteArray& bits, int* adjust, const int* codesize, int max_count) {
  ByteArray b = codec_alloc_array<std::uint8_t>(MAX_CODE_LENGTH);
  if (!b) {
    report(msg::WSQ_ENC_BITS_ALLOC);
    return WSQ_ENC_BITS_ALLOC;
  }
  int adj = 0;
  for (int s = 0; s < max_count; ++s) {
    const int len = codesize[s];
    if (len == 0) continue;
    if (len > MAX_CODE_LENGTH) {
      report(msg::WSQ_ENC_CODE_TOO_LONG, len, s, MAX_CODE_LENGTH);
      return WSQ_ENC_CODE_TOO_LONG;
    }
    ++b[len - 1];
    if (len > MAX_HUFFBITS) adj = 1;
  }
  bits = std::move(b);
  *adjust = adj;
  return 0;
}

int sort_huffbits(std::uint8_t* bits) {
  CodecPtr<std::int16_t[]> tbits(
      static_cast<std::int16_t*>(codec_malloc(MAX_CODE_LENGTH * sizeof(std::int16_t))));
  if (!tbits) {
    report(msg::WSQ_ENC_TBITS_ALLOC);
    return WSQ_ENC_TBITS_ALLOC;
  }
  for (int i = 0; i < MAX_CODE_LENGTH; ++i) tbits[i] = bits[i];

  // Index i stands for length i + 1. Two codes of length i + 1 become one of length i and
  // the next shorter code j + 1 splits into two of length j + 2.
  for (int i = MAX_CODE_LENGTH - 1; i >= MAX_HUFFBITS; --i) {
    while (tbits[i] > 0) {
      int j = i - 2;
      while (j > 0 && tbits[j] == 0) --j;  // a full tree always has a shorter code
      tbits[i] = static_cast<std::int16_t>(tbits[i] - 2);
      tbits[i - 1] = static_cast<std::int16_t>(tbits[i - 1] + 1);
      tbits[j + 1] = static_cast<std::int16_t>(tbits[j + 1] + 2);
      tbits[j] = static_cast<std::int16_t>(tbits[j] - 1);
    }
    tbits[i] = 0;
  }
  int i = MAX_HUFFBITS - 1;
  while (i > 0 && tbits[i] == 0) --i;
  tbits[i] = static_cast<std::int16_t>(tbits[i] - 1);

  for (int k = 0; k < MAX_CODE_LENGTH; ++k) bits[k] = static_cast<std::uint8_t>(tbits[k]);
  return 0;
}

int sort_code_sizes(ByteArray& huffvalues, const int* codesize, int max_count) {
  ByteArray values = codec_alloc_array<std::uint8_t>(static_cast<std::size_t>(max_count) + 1);
  if (!values) {
    report(msg::WSQ_ENC_HUFFVALUES_ALLOC);
    return WSQ_ENC_HUFFVALUES_ALLOC;
  }
  int k = 0;
  for (int len = 1; len <= MAX_CODE_LENGTH; ++len) {
    for (int s = 0; s < max_count; ++s) {
      if (codesize[s] == len) values[k++] = static_cast<std::uint8_t>(s);
    }
  }
  huffvalues = std::move(values);
  return 0;
}

int generate_huffman_table(HuffcodeTable& code_by_symbol, ByteArray& huffbits,
                           ByteArray& huffvalues, const std::int16_t* coefficients,
                           const std::size_t* block_sizes, int num_blocks,
                           SymbolList* lists) {
  const int max_count = MAX_HUFFCOUNTS_WSQ;
  SymbolCounts counts;
  int ret = count_block(counts, max_count, coefficients, block_sizes[0], MAX_HUFFCOEFF,
                        MAX_HUFFZRUN, lists != nullptr ? &lists[0] : nullptr);
  if (ret != 0) return ret;
  if (num_blocks > 1) {
    SymbolCounts second;
    ret = count_block(second, max_count, coefficients + block_sizes[0], block_sizes[1],
                      MAX_HUFFCOEFF, MAX_HUFFZRUN, lists != nullptr ? &lists[1] : nullptr);
    if (ret != 0) return ret;
    for (int s = 0; s < max_count; ++s) counts[s] += second[s];
  }

  CodeSizes codesize;
  ret = find_huff_sizes(codesize, counts.get(), max_count);
  counts.reset();
  if (ret != 0) return ret;

  ByteArray bits;
  int adjust = 0;
  ret = find_num_huff_sizes(bits, &adjust, codesize.get(), max_count);
  if (ret != 0) return ret;
  if (adjust) {
    ret = sort_huffbits(bits.get());
    if (ret != 0) return ret;
  }

  ByteArray values;
  ret = sort_code_sizes(values, codesize.get(), max_count);
  codesize.reset();
  if (ret != 0) return ret;

  HuffcodeTable codes;
  int code_count = 0;
  ret = build_huffsizes(codes, &code_count, bits.get(), max_count);
  if (ret != 0) return ret;
  assign_huffcodes(codes.get());
  if (check_all_ones_codes(codes.get(), code_count) != 0) {
    report(msg::WSQ_ENC_ALL_ONES_CODE);
    return WSQ_ENC_ALL_ONES_CODE;
  }

  HuffcodeTable by_symbol;
  ret = build_huffcode_table(by_symbol, codes.get(), code_count, values.get(), max_count);
  if (ret != 0) return ret;
  code_by_symbol = std::move(by_symbol);
  huffbits = std::move(bits);
  huffvalues = std::move(values);
  return 0;
}

}  // namespace ridgeview::codec
