// The part of a WSQ file before its coded data: SOI, the table and comment segments, the
// frame header, and the resolution in the NIST_COM comment. The decode driver reads it
// before decoding; wsq_read_header_info (codec/wsq/wsq.h) reads only it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/nistcom/fet.h"
#include "codec/wsq/byte_stream.h"
#include "codec/wsq/segment_readers.h"

namespace ridgeview::codec {

// The resolution of a file without a NIST_COM "PPI" value.
inline constexpr int kUnknownPpi = -1;

// Reads SOI, then table and comment segments into `tables` until the frame header, which it
// reads into tables.frm; the cursor is left behind the frame header. Returns 0, the codes of
// getc_marker_wsq (WSQ_END_OF_BUFFER, WSQ_NO_SOI, WSQ_NO_SOF_OR_TABLE), of getc_table_wsq
// and of getc_sof_header, or WSQ_EMPTY_FRAME for a width or height of 0. Tables read before
// a failure stay in `tables` (the caller releases them either way).
int read_frame_headers(decoder_tables& tables, ByteCursor& cursor, ByteCursor end);

// The first NIST_COM comment before the first SOB as a feature list (left empty when there
// is none), scanning the file from its start with a cursor of its own. Returns 0, or the
// codes of a failed read (WSQ_END_OF_BUFFER, WSQ_NO_SOI, WSQ_NO_MARKER, WSQ_INVALID_MARKER,
// WSQ_SEGMENT_PAST_END, those of getc_comment) or of string2fet. The list belongs to the
// caller; it is written only on success.
int find_nistcom_wsq(FetPtr& list, const std::uint8_t* data, std::size_t length);

// Resolution from the NIST_COM "PPI" entry: kUnknownPpi without a NIST_COM comment or with
// an empty value. Returns 0, the codes of find_nistcom_wsq, or those of extractfet_ret
// (FET_NOT_FOUND for a comment without a "PPI" entry). *ppi is written only on success.
int find_ppi_wsq(int* ppi, const std::uint8_t* data, std::size_t length);

// Reads a decimal integer as C's atoi does (leading white space, a sign, digits up to the
// first other character, 0 without digits); saturates instead of overflowing.
int parse_decimal(const char* text);

}  // namespace ridgeview::codec
