#include "codec/wsq/decode/entropy_decoder.h"

#include <cstdio>
#include <cstring>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {
namespace {

constexpr std::uint8_t kBitMask[9] = {0x00, 0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF};

// A 0xFF byte in coded data is data when a stuffed 0x00 follows it, else a marker's first byte.
constexpr std::uint8_t kMarkerByte = 0xFF;

// The count checks of the decode, numbered as their messages show them: before each symbol,
// and after a run of symbols 1..100, of symbol 105 and of symbol 106.
enum LimitCheck { kBeforeSymbol = 1, kShortRun = 2, kRun8 = 3, kRun16 = 4 };

int past_image_buffer(LimitCheck check) {
  report(msg::WSQ_PAST_IMAGE_BUFFER, static_cast<int>(check));
  std::fflush(stderr);
  return WSQ_PAST_IMAGE_BUFFER;
}

// A bit string that matches no code of 16 bits or fewer.
int no_code() {
  report(msg::WSQ_NO_CODE_MATCHES);
  return WSQ_NO_CODE_MATCHES;
}

// The symbol of `code`, a code of `length` bits; false when the limits point outside the
// symbol list (tables whose counts overflow the code space give such limits).
bool lookup_symbol(const huff_decode_limits& limits, const std::uint8_t* huffvalues,
                   int length, std::int32_t code, int* symbol) {
  const std::int32_t index = limits.value_start[length] + code - limits.code_min[length];
  if (index < 0 || index > MAX_HUFFCOUNTS_WSQ) return false;
  *symbol = huffvalues[index];
  return true;
}

// Builds the block's decode limits from a defined slot.
int build_block_limits(const huffman_slot& slot, int table_id, huff_decode_limits& limits) {
  HuffcodeTable codes;
  int code_count = 0;
  if (int ret = build_huffsizes(codes, &code_count, slot.huffbits, MAX_HUFFCOUNTS_WSQ)) {
    return ret;
  }
  assign_huffcodes(codes.get());
  if (check_all_ones_codes(codes.get(), code_count) != 0) {
    report(msg::WSQ_ALL_ONES_WARNING, table_id);
  }
  build_decode_limits(codes.get(), limits, slot.huffbits);
  return 0;
}

// Table-driven decoding of the common case. When the next 8 bytes of coded data lie inside
// the buffer and none of them is 0xFF (no stuffed byte, no marker), a symbol and its escape
// bits (at most 32 bits in all) come from a 64-bit window, with exactly the result the
// bit-by-bit reader gives; afterwards the reader's state is what it would have been.
// Anywhere else the bit-by-bit reader runs.
class FastSymbols {
 public:
  static constexpr int kLookBits = 10;
  static constexpr int kNotHere = 1;       // Decode: the bit-by-bit reader must take it
  static constexpr int kRunPastLimit = 2;  // DecodeCommon: a run passed the limit

  // Entry per kLookBits-bit prefix: (code length << 8) | symbol for codes of up to kLookBits
  // bits, kLonger for longer codes, kNoCode when the prefix matches no usable code.
  void Build(const huff_decode_limits& limits, const std::uint8_t* huffvalues) {
    limits_ = &limits;
    values_ = huffvalues;
    for (int prefix = 0; prefix < (1 << kLookBits); ++prefix) {
      std::int32_t code = prefix >> (kLookBits - 1);
      int n = 1;
      while (code > limits.code_max[n] && n < kLookBits) {
        code = code * 2 + ((prefix >> (kLookBits - 1 - n)) & 1);
        ++n;
      }
      table_[prefix] = code > limits.code_max[n] ? kLonger : Entry(n, code);
      common_[prefix] = CommonAction(table_[prefix]);
    }
  }

  // Decodes one symbol and, for the escape symbols, its escape value. Returns 0,
  // WSQ_NO_CODE_MATCHES, or kNotHere.
  int Decode(bit_reader& r, int* symbol, std::uint16_t* escape) const {
    if (r.end - r.cursor < 8) return kNotHere;
    std::uint64_t raw;
    std::memcpy(&raw, r.cursor, 8);
    if (HasMarkerByte(raw)) return kNotHere;
    // The unread bits, most significant first: the current byte's, then 7 whole bytes.
    const std::uint64_t next = __builtin_bswap64(raw) >> 8;
    const std::uint64_t window = ((std::uint64_t{r.current} << 56) | next) << (8 - r.bit_count);
    const std::uint16_t entry = table_[window >> (64 - kLookBits)];
    int length = 0;
    if (entry == kNoCode) return no_code();
    if (entry != kLonger) {
      length = entry >> 8;
      *symbol = entry & 0xFF;
    } else {
      std::int32_t code = static_cast<std::int32_t>(window >> (64 - kLookBits));
      int n = kLookBits;
      while (code > limits_->code_max[n]) {
        if (n == MAX_HUFFBITS) return no_code();
        code = code * 2 + static_cast<std::int32_t>((window >> (63 - n)) & 1);
        ++n;
      }
      if (!lookup_symbol(*limits_, values_, n, code, symbol)) return no_code();
      length = n;
    }
    if (is_escape_symbol(*symbol)) {
      const int width = escape_bits(*symbol);
      *escape = static_cast<std::uint16_t>((window << length) >> (64 - width));
      length += width;
    }
    Consume(r, length);
    return 0;
  }

  // Decodes the common symbols (single coefficients 107..254 and zero runs 1..100 of codes
  // up to kLookBits bits) for as long as the window conditions hold and the count has not
  // passed the limit, storing them as the general loop would. Returns 0, or kRunPastLimit.
  // Everything else is left to the general loop.
  int DecodeCommon(bit_reader& r, std::int16_t* coefficients, std::uint64_t& written,
                   std::uint64_t limit) const {
    // The unread bits, most significant first: the current byte's, then whole bytes loaded
    // from the cursor on, never a 0xFF byte (stuffed or a marker) nor past the end. Bits
    // below the `have` valid ones are always 0.
    const std::uint8_t* const next = r.cursor;
    std::uint64_t window = r.bit_count > 0 ? std::uint64_t{r.current} << (64 - r.bit_count) : 0;
    int have = r.bit_count;
    std::size_t loaded = 0;
    int consumed = 0;
    int result = 0;
    bool more = true;  // false once a 0xFF byte or the end stops the loading
    while (written <= limit) {
      if (have <= 56 && more) {
        const std::uint8_t* from = next + loaded;
        if (r.end - from >= 8) {
          // As many whole bytes as fit, up to the first 0xFF byte.
          std::uint64_t raw;
          std::memcpy(&raw, from, 8);
          const std::uint64_t ff = MarkerBytes(raw);
          int take = (64 - have) / 8;
          if (ff != 0) {
            const int first_ff = __builtin_ctzll(ff) / 8;  // exact for the lowest byte
            if (first_ff < take) {
              take = first_ff;
              more = false;
            }
          }
          if (take > 0) {
            const int bits = take * 8;
            const std::uint64_t bytes = (__builtin_bswap64(raw) >> (64 - bits)) << (64 - bits);
            window |= bytes >> have;
            have += bits;
            loaded += static_cast<std::size_t>(take);
          }
        } else {
          while (have <= 56 && from < r.end && *from != kMarkerByte) {
            window |= std::uint64_t{*from} << (56 - have);
            have += 8;
            ++loaded;
            ++from;
          }
          more = from < r.end && *from != kMarkerByte;
        }
      }
      // The common symbols carry no further bits: a code of up to 16 bits is all they need.
      if (have < MAX_HUFFBITS) break;
      const std::uint32_t action = common_[window >> (64 - kLookBits)];
      if (action == 0) break;
      const int length = static_cast<int>(action & kLengthMask);
      window <<= length;
      have -= length;
      consumed += length;
      const auto value = static_cast<std::int16_t>(action >> 16);
      if ((action & kCoefficient) != 0) {
        coefficients[written++] = value;
      } else {
        written += static_cast<std::uint64_t>(value);
        if (written > limit) {
          result = kRunPastLimit;
          break;
        }
      }
    }
    Consume(r, consumed);
    return result;
  }

 private:
  static constexpr std::uint16_t kLonger = 0;
  static constexpr std::uint16_t kNoCode = 0xFFFF;

  // The high bit of each byte of `raw` that is 0xFF (exact for the lowest such byte).
  static std::uint64_t MarkerBytes(std::uint64_t raw) {
    // A byte is 0xFF exactly when that byte of ~raw is zero.
    const std::uint64_t inv = ~raw;
    return (inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull;
  }
  static bool HasMarkerByte(std::uint64_t raw) { return MarkerBytes(raw) != 0; }

  std::uint16_t Entry(int n, std::int32_t code) const {
    int symbol = 0;
    if (!lookup_symbol(*limits_, values_, n, code, &symbol)) return kNoCode;
    return static_cast<std::uint16_t>((n << 8) | symbol);
  }

  // Moves the reader past `bits` bits, loading whole bytes as the bit-by-bit reader would.
  static void Consume(bit_reader& r, int bits) {
    if (bits <= r.bit_count) {
      r.bit_count -= bits;
      r.current &= kBitMask[r.bit_count];
      return;
    }
    const int extra = bits - r.bit_count;
    const int bytes = (extra + 7) / 8;
    r.cursor += bytes;
    r.bit_count = bytes * 8 - extra;
    r.current = static_cast<std::uint8_t>(r.cursor[-1] & kBitMask[r.bit_count]);
  }

  // What DecodeCommon does with a prefix: 0 when the general loop must decode it; else the
  // code length (low bits), kCoefficient for a single coefficient, and in the high half the
  // coefficient (symbol - 180) or the zero-run length (symbols 1..100).
  static constexpr std::uint32_t kLengthMask = 0x1F;
  static constexpr std::uint32_t kCoefficient = 0x20;
  static std::uint32_t CommonAction(std::uint16_t entry) {
    if (entry == kNoCode || entry == kLonger) return 0;
    const int symbol = entry & 0xFF;
    const std::uint32_t length = entry >> 8;
    if (symbol >= SYM_FIRST_VALUE && symbol <= SYM_LAST_VALUE) {
      const auto value = static_cast<std::uint16_t>(static_cast<std::int16_t>(symbol - SYM_VALUE_BIAS));
      return (std::uint32_t{value} << 16) | kCoefficient | length;
    }
    if (symbol >= 1 && symbol <= MAX_HUFFZRUN) {
      return (static_cast<std::uint32_t>(symbol) << 16) | length;
    }
    return 0;
  }

  const huff_decode_limits* limits_ = nullptr;
  const std::uint8_t* values_ = nullptr;
  std::uint16_t table_[1 << kLookBits] = {};
  std::uint32_t common_[1 << kLookBits] = {};
};

// Everything one call of huffman_decode_data_mem works with.
struct EntropyDecode {
  EntropyDecode(std::int16_t* coefficients_, decoder_tables& tables_,
                const quantization_tree_entry* q_tree_, ByteCursor end, bool table_driven_)
      : coefficients(coefficients_), tables(tables_), q_tree(q_tree_),
        limit(std::uint64_t{tables_.frm.width} * tables_.frm.height),
        table_driven(table_driven_) {
    reader.end = end;
  }

  std::int16_t* coefficients;
  decoder_tables& tables;
  const quantization_tree_entry* q_tree;
  std::uint64_t written = 0;
  std::uint64_t limit;  // w x h, less the subbands without data once the DQT is known
  bool limit_adjusted = false;
  int block = 0;
  // The current block's code.
  huff_decode_limits limits{};
  const std::uint8_t* huffvalues = nullptr;
  bool table_driven;
  FastSymbols fast;
  bit_reader reader;
};

// Subbands whose bin width is 0 carry no data: the count limit leaves them out, once per
// decode, with the quantization table present at the first block that has one.
void adjust_limit(EntropyDecode& d) {
  if (d.limit_adjusted || !d.tables.dqt.defined) return;
  for (int k = 0; k < Q_TREELEN; ++k) {
    if (d.tables.dqt.q[k] == 0.0f) {
      d.limit -= std::uint64_t(d.q_tree[k].lx) * std::uint64_t(d.q_tree[k].ly);
    }
  }
  d.limit_adjusted = true;
}

// Reads what stands before a block's coded data, `marker` being the marker already read:
// table and comment segments, then the SOB header. Prepares the block's code and leaves the
// reader at the start of the coded data.
int read_block_header(EntropyDecode& d, std::uint16_t marker, ByteCursor& cursor,
                      ByteCursor end) {
  ++d.block;
  decoder_tables& t = d.tables;
  while (marker != SOB_WSQ) {
    if (int ret = getc_table_wsq(marker, t.dtt, t.dqt, t.dht, cursor, end)) return ret;
    if (int ret = getc_marker_wsq(&marker, MarkerMode::TABLES_OR_SOB, cursor, end)) return ret;
  }
  adjust_limit(d);
  std::uint8_t table_id = 0;
  if (int ret = getc_sob_header(&table_id, cursor, end)) return ret;
  if (table_id >= MAX_DHT_TABLES || !t.dht.table[table_id].defined) {
    report(msg::WSQ_HUFFMAN_TABLE_UNDEFINED, table_id);
    return WSQ_HUFFMAN_TABLE_UNDEFINED;
  }
  const huffman_slot& slot = t.dht.table[table_id];
  if (int ret = build_block_limits(slot, table_id, d.limits)) return ret;
  d.huffvalues = slot.huffvalues;
  if (d.table_driven) d.fast.Build(d.limits, d.huffvalues);
  d.reader.cursor = cursor;
  d.reader.bit_count = 0;
  return 0;
}

// A decoded symbol; the escape value is read along with it on the table-driven path.
struct DecodedSymbol {
  int symbol = 0;
  bool escape_read = false;
  std::uint16_t escape = 0;
};

// Stores what a symbol stands for (after the count check before it).
int store_symbol(EntropyDecode& d, const DecodedSymbol& s) {
  const int symbol = s.symbol;
  if (symbol == 0 || symbol == 255) {
    report(msg::WSQ_INVALID_SYMBOL, symbol, symbol);
    return WSQ_INVALID_SYMBOL;
  }
  if (symbol >= SYM_FIRST_VALUE) {
    d.coefficients[d.written++] = static_cast<std::int16_t>(symbol - SYM_VALUE_BIAS);
    return 0;
  }
  std::uint16_t value = static_cast<std::uint16_t>(symbol);  // a run of 1..100 zeros
  LimitCheck check = kShortRun;
  if (is_escape_symbol(symbol)) {
    value = s.escape;
    if (!s.escape_read) {
      if (int ret = getc_nextbits_wsq(&value, nullptr, d.reader, escape_bits(symbol))) return ret;
    }
    if (symbol <= SYM_NEGATIVE_16) {
      const bool negative = symbol == SYM_NEGATIVE_8 || symbol == SYM_NEGATIVE_16;
      // A 16-bit value keeps its low 16 bits in the signed coefficient.
      d.coefficients[d.written++] =
          static_cast<std::int16_t>(negative ? -static_cast<int>(value) : value);
      return 0;
    }
    check = symbol == SYM_RUN_8 ? kRun8 : kRun16;
  }
  // A zero run: the array is zero-filled, so the run only moves the count.
  d.written += value;
  if (d.written > d.limit) return past_image_buffer(check);
  return 0;
}

// Decodes the block's symbols until a marker ends it (0 with *marker set) or one fails.
int decode_block(EntropyDecode& d, std::uint16_t* marker) {
  *marker = 0;
  for (;;) {
    if (d.table_driven &&
        d.fast.DecodeCommon(d.reader, d.coefficients, d.written, d.limit) ==
            FastSymbols::kRunPastLimit) {
      return past_image_buffer(kShortRun);
    }
    DecodedSymbol s;
    int ret = d.table_driven ? d.fast.Decode(d.reader, &s.symbol, &s.escape)
                             : FastSymbols::kNotHere;
    s.escape_read = ret != FastSymbols::kNotHere;
    if (!s.escape_read) {
      ret = decode_huff_symbol(&s.symbol, d.limits, d.huffvalues, d.reader, marker);
    }
    if (ret) return ret;
    if (s.symbol == kMarkerMet) return 0;
    if (d.written > d.limit) return past_image_buffer(kBeforeSymbol);
    if ((ret = store_symbol(d, s))) return ret;
  }
}

}  // namespace

int getc_nextbits_wsq(std::uint16_t* bits, std::uint16_t* marker, bit_reader& reader,
                      int bits_requested) {
  if (reader.bit_count == 0) {
    if (int ret = getc_byte(&reader.current, reader.cursor, reader.end)) return ret;
    reader.bit_count = 8;
    if (reader.current == kMarkerByte) {
      std::uint8_t next = 0;
      if (int ret = getc_byte(&next, reader.cursor, reader.end)) return ret;
      if (next != 0) {
        if (bits_requested == 1 && marker != nullptr) {
          *marker = static_cast<std::uint16_t>((kMarkerByte << 8) | next);
          *bits = 1;
          return 0;
        }
        report(msg::WSQ_NO_STUFFED_ZERO);
        return WSQ_NO_STUFFED_ZERO;
      }
    }
  }
  if (bits_requested <= reader.bit_count) {
    *bits = static_cast<std::uint16_t>((reader.current >> (reader.bit_count - bits_requested)) &
                                       kBitMask[bits_requested]);
    reader.bit_count -= bits_requested;
    reader.current &= kBitMask[reader.bit_count];
    return 0;
  }
  const int need = bits_requested - reader.bit_count;
  const std::uint16_t high = static_cast<std::uint16_t>(reader.current << need);
  reader.bit_count = 0;
  std::uint16_t low = 0;
  if (int ret = getc_nextbits_wsq(&low, nullptr, reader, need)) return ret;
  *bits = static_cast<std::uint16_t>(high | low);
  return 0;
}

int decode_huff_symbol(int* symbol, const huff_decode_limits& limits,
                       const std::uint8_t* huffvalues, bit_reader& reader,
                       std::uint16_t* marker) {
  std::int32_t code = 0;
  for (int n = 1;; ++n) {
    std::uint16_t bit = 0;
    if (int ret = getc_nextbits_wsq(&bit, marker, reader, 1)) return ret;
    if (*marker != 0) {
      *symbol = kMarkerMet;
      return 0;
    }
    code = code * 2 + bit;
    if (code <= limits.code_max[n]) {
      if (!lookup_symbol(limits, huffvalues, n, code, symbol)) return no_code();
      return 0;
    }
    if (n == MAX_HUFFBITS) return no_code();
  }
}

int huffman_decode_data_mem(std::int16_t* coefficients, std::size_t capacity,
                            decoder_tables& tables, const quantization_tree_entry* q_tree,
                            ByteCursor& cursor, ByteCursor end, bool table_driven) {
  std::uint16_t marker = 0;
  if (int ret = getc_marker_wsq(&marker, MarkerMode::TABLES_OR_SOB, cursor, end)) return ret;
  EntropyDecode d(coefficients, tables, q_tree, end, table_driven);
  // The capacity holds one value more than the image so that the single coefficient allowed
  // when the count equals the limit always lands inside the array.
  if (capacity < d.limit + 1) return past_image_buffer(kBeforeSymbol);

  while (marker != EOI_WSQ) {
    if (int ret = read_block_header(d, marker, cursor, end)) return ret;
    const int ret = decode_block(d, &marker);
    cursor = d.reader.cursor;
    if (ret) return ret;
    // Comments may follow the third block's data, up to EOI.
    while (marker == COM_WSQ && d.block == 3) {
      if (int r = getc_table_wsq(marker, tables.dtt, tables.dqt, tables.dht, cursor, end)) {
        return r;
      }
      if (int r = getc_marker_wsq(&marker, MarkerMode::ANY, cursor, end)) return r;
    }
  }
  return 0;
}

}  // namespace ridgeview::codec
