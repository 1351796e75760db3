#include "codec/wsq/decode/header_reader.h"

#include <climits>
#include <cstring>

#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/wsq.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int read_frame_headers(decoder_tables& tables, ByteCursor& cursor, ByteCursor end) {
  std::uint16_t marker = 0;
  if (int ret = getc_marker_wsq(&marker, MarkerMode::SOI, cursor, end)) return ret;
  if (int ret = getc_marker_wsq(&marker, MarkerMode::TABLES_OR_SOF, cursor, end)) return ret;
  while (marker != SOF_WSQ) {
    if (int ret = getc_table_wsq(marker, tables.dtt, tables.dqt, tables.dht, cursor, end)) {
      return ret;
    }
    if (int ret = getc_marker_wsq(&marker, MarkerMode::TABLES_OR_SOF, cursor, end)) return ret;
  }
  if (int ret = getc_sof_header(tables.frm, cursor, end)) return ret;
  if (tables.frm.width == 0 || tables.frm.height == 0) {
    report(msg::WSQ_EMPTY_FRAME, tables.frm.width, tables.frm.height);
    return WSQ_EMPTY_FRAME;
  }
  return 0;
}

int parse_decimal(const char* text) {
  while (is_space(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*text - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int find_nistcom_wsq(FetPtr& list, const std::uint8_t* data, std::size_t length) {
  ByteCursor cursor = data;
  const ByteCursor end = data + length;
  std::uint16_t marker = 0;
  if (int ret = getc_marker_wsq(&marker, MarkerMode::SOI, cursor, end)) return ret;
  for (;;) {
    if (int ret = getc_marker_wsq(&marker, MarkerMode::ANY, cursor, end)) return ret;
    if (marker == SOB_WSQ) {
      list.reset();
      return 0;
    }
    // Compare only the bytes that exist behind the length field.
    const bool nistcom = marker == COM_WSQ && end - cursor >= 10 &&
                         std::memcmp(cursor + 2, "NIST_COM", 8) == 0;
    if (nistcom) {
      CodecPtr<char[]> text;
      if (int ret = getc_comment(text, cursor, end)) return ret;
      FetPtr parsed;
      if (int ret = string2fet(parsed, text.get())) return ret;
      list = std::move(parsed);
      return 0;
    }
    if (int ret = getc_skip_marker_segment(marker, cursor, end)) return ret;
  }
}

int find_ppi_wsq(int* ppi, const std::uint8_t* data, std::size_t length) {
  FetPtr list;
  if (int ret = find_nistcom_wsq(list, data, length)) return ret;
  if (!list) {
    *ppi = kUnknownPpi;
    return 0;
  }
  CodecString value;
  if (int ret = extractfet_ret(value, "PPI", list.get())) return ret;
  *ppi = value ? parse_decimal(value.get()) : kUnknownPpi;
  return 0;
}

int wsq_read_header_info(WsqHeaderInfo* info, const unsigned char* data, std::size_t length) {
  codec_clear_last_refusal();
  decoder_tables tables;
  ByteCursor cursor = data;
  if (int ret = read_frame_headers(tables, cursor, data + length)) return ret;
  int ppi = kUnknownPpi;
  if (int ret = find_ppi_wsq(&ppi, data, length)) return ret;
  info->width = tables.frm.width;
  info->height = tables.frm.height;
  info->ppi = ppi;
  info->encoder = tables.frm.wsq_encoder;
  info->software = tables.frm.software;
  return 0;
}

}  // namespace ridgeview::codec
