// Builds small WSQ byte streams segment by segment for decoder tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ridgeview::wsq_test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}

inline void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// Marker, length field (payload + 2), payload.
inline Bytes segment(unsigned marker, const Bytes& payload) {
  Bytes b;
  put16(b, marker);
  put16(b, static_cast<unsigned>(payload.size() + 2));
  append(b, payload);
  return b;
}

inline Bytes soi() { return {0xFF, 0xA0}; }
inline Bytes eoi() { return {0xFF, 0xA1}; }

// The transform table of the standard 9/7 filter pair.
inline Bytes standard_dtt() {
  return {0xFF, 0xA4, 0x00, 0x3A, 0x09, 0x07,
          0x00, 0x09, 0x32, 0xD3, 0x25, 0xCD, 0x00, 0x0A, 0xE0, 0xF3, 0x19, 0x9A,
          0x01, 0x0A, 0x41, 0xEF, 0xF1, 0x9A, 0x01, 0x0B, 0x8E, 0x27, 0x64, 0xCD,
          0x00, 0x0B, 0xE1, 0x79, 0xA3, 0x33,
          0x00, 0x09, 0x2E, 0xFF, 0x56, 0x00, 0x01, 0x0A, 0xF9, 0x33, 0xD3, 0x33,
          0x01, 0x0B, 0xF2, 0x87, 0x21, 0x9A, 0x00, 0x0A, 0x26, 0x77, 0xDA, 0x33};
}

// Quantization table with centre 0.44; q[k] = q_value / 10 and z = 1.2 q for the listed
// subbands (scale 1), 0 elsewhere.
inline Bytes dqt(const std::vector<int>& coded_subbands, unsigned q_value = 20) {
  Bytes p = {2, 0, 44};
  for (int k = 0; k < 64; ++k) {
    bool coded = false;
    for (int c : coded_subbands) coded = coded || c == k;
    p.push_back(coded ? 1 : 0);
    put16(p, coded ? q_value : 0);
    p.push_back(coded ? 1 : 0);
    put16(p, coded ? q_value * 12 / 10 : 0);
  }
  return segment(0xFFA5, p);
}

// One Huffman table: id, 16 counts, symbols.
inline Bytes dht_table(int id, const std::vector<int>& counts, const Bytes& symbols) {
  Bytes p = {static_cast<std::uint8_t>(id)};
  for (int i = 0; i < 16; ++i) {
    p.push_back(static_cast<std::uint8_t>(i < static_cast<int>(counts.size()) ? counts[i] : 0));
  }
  append(p, symbols);
  return p;
}

inline Bytes dht(int id, const std::vector<int>& counts, const Bytes& symbols) {
  return segment(0xFFA6, dht_table(id, counts, symbols));
}

// Frame header: m_shift 128 (scale 0), r_scale 1 (scale 0).
inline Bytes sof(unsigned width, unsigned height) {
  Bytes p = {0, 255};
  put16(p, height);
  put16(p, width);
  p.push_back(0);
  put16(p, 128);
  p.push_back(0);
  put16(p, 1);
  p.push_back(2);
  put16(p, 0);
  return segment(0xFFA2, p);
}

inline Bytes sob(int table_id) { return segment(0xFFA3, {static_cast<std::uint8_t>(table_id)}); }

inline Bytes comment(const std::string& text) {
  return segment(0xFFA8, Bytes(text.begin(), text.end()));
}

// Packs a string of '0'/'1' characters MSB first, padding the last byte with 1-bits and
// stuffing a 0x00 after every 0xFF.
inline Bytes bits(const std::string& s) {
  Bytes out;
  unsigned byte = 0;
  int n = 0;
  auto flush = [&]() {
    out.push_back(static_cast<std::uint8_t>(byte));
    if (byte == 0xFF) out.push_back(0);
    byte = 0;
    n = 0;
  };
  for (char c : s) {
    if (c != '0' && c != '1') continue;
    byte = (byte << 1) | (c == '1');
    if (++n == 8) flush();
  }
  if (n > 0) {
    while (n < 8) {
      byte = (byte << 1) | 1;
      ++n;
    }
    flush();
  }
  return out;
}

}  // namespace ridgeview::wsq_test
