#include "tools/ridgeview-wsq/wsq_info.h"

#include <cstdio>

namespace ridgeview::tools {

const char* SegmentName(unsigned marker) {
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
    case RIDGEVIEW_WSQ_SEGMENT_DATA: return "data";
    default: return "unknown";
  }
}

std::string InfoText(const ridgeview_wsq_info& info) {
  std::string text = "width: " + std::to_string(info.width) +
                     "\nheight: " + std::to_string(info.height) +
                     "\nppi: " + std::to_string(info.ppi) +
                     "\nencoder: " + std::to_string(info.encoder) +
                     "\nsoftware: " + std::to_string(info.software) + "\n";
  for (std::size_t i = 0; i < info.nistcom_count; ++i) {
    text += std::string(info.nistcom[i].name) + ": " + info.nistcom[i].value + "\n";
  }
  for (std::size_t i = 0; i < info.segment_count; ++i) {
    const ridgeview_wsq_segment& s = info.segments[i];
    char line[96];
    std::snprintf(line, sizeof line, "segment: %s %zu %zu\n", SegmentName(s.marker), s.offset,
                  s.length);
    text += line;
  }
  return text;
}

namespace {

// The info record of a file, released when it goes.
class InfoRecord {
 public:
  InfoRecord() = default;
  InfoRecord(const InfoRecord&) = delete;
  InfoRecord& operator=(const InfoRecord&) = delete;
  ~InfoRecord() { ridgeview_wsq_info_free(&info_); }
  int Read(std::span<const std::uint8_t> file, ridgeview_wsq_error& error) {
    return ridgeview_wsq_read_info(file.data(), file.size(), &info_, &error);
  }
  const ridgeview_wsq_info& get() const { return info_; }

 private:
  ridgeview_wsq_info info_{};
};

}  // namespace

int DescribeWsq(std::span<const std::uint8_t> file, std::string& text,
                ridgeview_wsq_error& error) {
  InfoRecord info;
  if (int ret = info.Read(file, error)) return ret;
  text = InfoText(info.get());
  return 0;
}

}  // namespace ridgeview::tools
