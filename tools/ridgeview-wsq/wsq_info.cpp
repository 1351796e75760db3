#include "tools/ridgeview-wsq/wsq_info.h"

#include <cstdio>

#include "codec/nistcom/fet.h"
#include "codec/wsq/decode/header_reader.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::tools {
namespace {

const char* marker_name(unsigned marker) {
  switch (marker) {
    case 0xFFA0: return "SOI";
    case 0xFFA1: return "EOI";
    case 0xFFA2: return "SOF";
    case 0xFFA3: return "SOB";
    case 0xFFA4: return "DTT";
    case 0xFFA5: return "DQT";
    case 0xFFA6: return "DHT";
    case 0xFFA7: return "DRT";
    case 0xFFA8: return "COM";
    default: return nullptr;
  }
}

std::string line(const std::string& name, std::size_t offset, std::size_t length) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "segment: %s %zu %zu\n", name.c_str(), offset, length);
  return buf;
}

}  // namespace

std::string ListSegments(std::span<const std::uint8_t> f) {
  std::string out;
  std::size_t pos = 0;
  while (pos + 1 < f.size()) {
    const unsigned marker = (f[pos] << 8) | f[pos + 1];
    const char* name = marker_name(marker);
    if (name == nullptr) {
      out += line("unknown", pos, f.size() - pos);
      break;
    }
    if (marker == 0xFFA0 || marker == 0xFFA1) {
      out += line(name, pos, 2);
      pos += 2;
      if (marker == 0xFFA1) break;
      continue;
    }
    if (pos + 3 >= f.size()) {
      out += line(name, pos, f.size() - pos);
      break;
    }
    const std::size_t length = 2 + ((f[pos + 2] << 8) | f[pos + 3]);
    out += line(name, pos, std::min(length, f.size() - pos));
    pos += length;
    if (marker == 0xFFA3) {
      // Coded data runs to the next 0xFF that is not followed by a stuffed zero.
      std::size_t end = pos;
      while (end + 1 < f.size() && !(f[end] == 0xFF && f[end + 1] != 0)) ++end;
      if (end + 1 >= f.size()) end = f.size();
      out += line("data", pos, end - pos);
      pos = end;
    }
  }
  return out;
}

int DescribeWsq(std::span<const std::uint8_t> file, std::string& text) {
  using namespace ridgeview::codec;
  WsqHeaderInfo info;
  if (int ret = wsq_read_header_info(&info, file.data(), file.size())) return ret;
  text = "width: " + std::to_string(info.width) + "\nheight: " + std::to_string(info.height) +
         "\nppi: " + std::to_string(info.ppi) + "\nencoder: " + std::to_string(info.encoder) +
         "\nsoftware: " + std::to_string(info.software) + "\n";
  FetPtr list;
  if (int ret = find_nistcom_wsq(list, file.data(), file.size())) return ret;
  if (list) {
    for (int i = 0; i < list->count; ++i) {
      text += std::string(list->names[i]) + ": " + (list->values[i] ? list->values[i] : "") +
              "\n";
    }
  }
  text += ListSegments(file);
  return 0;
}

}  // namespace ridgeview::tools
