// Readers of the WSQ table and header segments (transform, quantization and Huffman tables,
// frame header, block header, comments) and the decoder tables they fill.
#pragma once

#include <cstdint>

#include "codec/common/codec_memory.h"
#include "codec/wsq/byte_stream.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {

// Synthesis filters: `lofilt` has `losize` taps, `hifilt` `hisize` taps.
struct transform_table {
  CodecPtr<float[]> lofilt;
  CodecPtr<float[]> hifilt;
  std::uint8_t losize = 0;
  std::uint8_t hisize = 0;
  bool lo_defined = false;
  bool hi_defined = false;
};

struct quantization_table {
  float center = 0.0f;
  float q[Q_TREELEN] = {};  // bin widths; 0 marks a subband without data
  float z[Q_TREELEN] = {};  // zero-bin widths
  bool defined = false;
};

struct huffman_slot {
  bool defined = false;
  std::uint8_t huffbits[MAX_HUFFBITS] = {};
  std::uint8_t huffvalues[MAX_HUFFCOUNTS_WSQ + 1] = {};
};

struct huffman_table_set {
  huffman_slot table[MAX_DHT_TABLES];
};

struct frame_header {
  std::uint8_t black = 0;
  std::uint8_t white = 0;
  std::uint16_t height = 0;
  std::uint16_t width = 0;
  float m_shift = 0.0f;
  float r_scale = 0.0f;
  std::uint8_t wsq_encoder = 0;
  std::uint16_t software = 0;
};

// Everything one decode reads from the file's table and header segments.
struct decoder_tables {
  transform_table dtt;
  quantization_table dqt;
  huffman_table_set dht;
  frame_header frm;
};

// Frees the filter arrays and clears every defined flag.
void release_decoder_tables(decoder_tables& tables);

// Each reader is called with the cursor just behind its marker and leaves it behind what it
// read. All return 0 or a named code (codec/common/codes.h) after writing its message; every
// read that runs past the end gives WSQ_END_OF_BUFFER_BYTE or WSQ_END_OF_BUFFER. Outputs are
// written only on success, with one exception noted at getc_transform_table.

// Reads the segment behind a DTT, DQT, DHT or COM marker (comments are read and dropped):
// the codes of the reader called, or WSQ_INVALID_TABLE for any other marker.
int getc_table_wsq(std::uint16_t marker, transform_table& dtt, quantization_table& dqt,
                   huffman_table_set& dht, ByteCursor& cursor, ByteCursor end);

// Replaces both filters of `dtt` and sets both defined flags. Fails with WSQ_EMPTY_FILTER
// for a filter of length 0 and WSQ_LOFILT_ALLOC, WSQ_HIFILT_ALLOC, WSQ_A_LOFILT_ALLOC,
// WSQ_A_HIFILT_ALLOC when memory is short. The exception to "outputs only on success": once
// the two lengths are read, a failure leaves both filter arrays of `dtt` empty (freed), its
// lengths and flags as they were.
int getc_transform_table(transform_table& dtt, ByteCursor& cursor, ByteCursor end);

// Replaces all 64 bin widths, zero-bin widths and the centre of `dqt` and sets its flag.
int getc_dqt_segment(quantization_table& dqt, ByteCursor& cursor, ByteCursor end);

// Stores each table of the segment in its slot and marks it defined: the codes of
// getc_huffman_table, WSQ_HUFFMAN_ID_RANGE for an id above 7, or WSQ_HUFFMAN_SLOT_TAKEN
// (without a message) when a second or later table of the segment names a slot already
// defined. `dht` changes only when the whole segment was read.
int getc_dht_segment(huffman_table_set& dht, ByteCursor& cursor, ByteCursor end);

// Reads one Huffman table: its id, the 16 counts (into a new 16-byte array) and the symbols
// (into a new zero-filled array of max_count + 1 bytes), both handed to the caller. With
// read_length the segment length is read first and sets bytes_left; every field read is
// subtracted from it. Fails with WSQ_NO_HUFFMAN_BYTES when no bytes are left,
// WSQ_TOO_MANY_HUFFVALUES when the counts add up to more than max_count + 1, and
// WSQ_HUFFBITS_ALLOC or WSQ_HUFFVALUES_ALLOC when memory is short.
int getc_huffman_table(std::uint8_t* table_id, CodecPtr<std::uint8_t[]>& huffbits,
                       CodecPtr<std::uint8_t[]>& huffvalues, int max_count, ByteCursor& cursor,
                       ByteCursor end, bool read_length, int* bytes_left);

// The frame header's fields, height before width in the file.
int getc_sof_header(frame_header& frm, ByteCursor& cursor, ByteCursor end);
// The block header's Huffman table id.
int getc_sob_header(std::uint8_t* table_id, ByteCursor& cursor, ByteCursor end);

// A new zero-terminated copy of the comment text (L - 2 bytes), handed to the caller.
// WSQ_COMMENT_LENGTH for a length field below 2, WSQ_COMMENT_ALLOC when memory is short.
int getc_comment(CodecPtr<char[]>& text, ByteCursor& cursor, ByteCursor end);

// Reads a scaled number (scale byte, then a 16-bit value) as V / 10^S in single precision.
int getc_scaled_u16(float* out, ByteCursor& cursor, ByteCursor end);

}  // namespace ridgeview::codec
