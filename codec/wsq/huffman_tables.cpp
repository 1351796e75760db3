#include "codec/wsq/huffman_tables.h"

#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {

int build_huffsizes(HuffcodeTable& huffcode_table, int* code_count,
                    const std::uint8_t* huffbits, int max_count) {
  // Room for max_count + 1 codes plus the terminating entry of size 0.
  const int room = max_count + 1;
  HuffcodeTable table = codec_alloc_array<huffcode_entry>(static_cast<std::size_t>(room) + 1);
  if (!table) {
    report(msg::WSQ_HUFFSIZES_ALLOC);
    return WSQ_HUFFSIZES_ALLOC;
  }
  int k = 0;
  for (int n = 1; n <= MAX_HUFFBITS; ++n) {
    for (int i = 0; i < huffbits[n - 1] && k < room; ++i) {
      table[k++].huff_size = static_cast<std::int16_t>(n);
    }
  }
  table[k].huff_size = 0;
  *code_count = k;
  huffcode_table = std::move(table);
  return 0;
}

void assign_huffcodes(huffcode_entry* table) {
  if (table[0].huff_size == 0) return;
  std::uint16_t code = 0;
  std::int16_t size = table[0].huff_size;
  int p = 0;
  for (;;) {
    do {
      table[p].huff_code = code;
      code = static_cast<std::uint16_t>(code + 1);
      ++p;
    } while (table[p].huff_size == size);
    if (table[p].huff_size == 0) return;
    // Sizes ascend along the list, so this loop ends at the next entry's size.
    do {
      code = static_cast<std::uint16_t>(code << 1);
      ++size;
    } while (table[p].huff_size != size);
  }
}

int check_all_ones_codes(const huffcode_entry* table, int code_count) {
  for (int i = 0; i < code_count; ++i) {
    const int size = table[i].huff_size;
    if (size <= 0) return WSQ_ALL_ONES_CODE;
    const std::uint64_t ones = (std::uint64_t{1} << (size > 32 ? 32 : size)) - 1;
    if ((table[i].huff_code & ones) == ones) return WSQ_ALL_ONES_CODE;
  }
  return 0;
}

void build_decode_limits(const huffcode_entry* table, huff_decode_limits& limits,
                         const std::uint8_t* huffbits) {
  std::memset(&limits, 0, sizeof limits);
  int k = 0;
  for (int n = 1; n <= MAX_HUFFBITS; ++n) {
    if (huffbits[n - 1] == 0) {
      limits.code_max[n] = -1;
    } else {
      limits.value_start[n] = k;
      limits.code_min[n] = static_cast<std::int32_t>(table[k].huff_code);
      k += huffbits[n - 1] - 1;
      limits.code_max[n] = static_cast<std::int32_t>(table[k].huff_code);
      ++k;
    }
  }
}

int build_huffcode_table(HuffcodeTable& code_by_symbol, const huffcode_entry* table,
                         int code_count, const std::uint8_t* huffvalues, int max_count) {
  HuffcodeTable out = codec_alloc_array<huffcode_entry>(static_cast<std::size_t>(max_count) + 1);
  if (!out) {
    report(msg::WSQ_HUFFCODE_TABLE_ALLOC);
    return WSQ_HUFFCODE_TABLE_ALLOC;
  }
  for (int i = 0; i < code_count; ++i) {
    const int symbol = huffvalues[i];
    if (symbol > max_count) continue;
    out[symbol].huff_code = table[i].huff_code;
    out[symbol].huff_size = table[i].huff_size;
  }
  code_by_symbol = std::move(out);
  return 0;
}

}  // namespace ridgeview::codec
