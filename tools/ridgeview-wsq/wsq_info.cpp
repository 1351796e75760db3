#include "tools/ridgeview-wsq/wsq_info.h"

#include <cstdio>

#include "tools/ridgeview-wsq/json_text.h"

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

std::string InfoJson(const std::string& file, std::size_t size, const ridgeview_wsq_info& info) {
  std::string nistcom = "[";
  for (std::size_t i = 0; i < info.nistcom_count; ++i) {
    if (i > 0) nistcom += ", ";
    nistcom += JsonObject()
                   .Add("name", info.nistcom[i].name)
                   .Add("value", info.nistcom[i].value)
                   .Text();
  }
  std::string segments = "[";
  for (std::size_t i = 0; i < info.segment_count; ++i) {
    const ridgeview_wsq_segment& s = info.segments[i];
    if (i > 0) segments += ", ";
    segments += JsonObject()
                    .Add("marker", SegmentName(s.marker))
                    .Add("offset", static_cast<std::int64_t>(s.offset))
                    .Add("length", static_cast<std::int64_t>(s.length))
                    .Text();
  }
  return JsonObject()
      .Add("file", file)
      .Add("size", static_cast<std::int64_t>(size))
      .Add("width", info.width)
      .Add("height", info.height)
      .Add("ppi", info.ppi)
      .Add("encoder", info.encoder)
      .Add("software", info.software)
      .AddRaw("nistcom", nistcom + "]")
      .AddRaw("segments", segments + "]")
      .Text();
}

std::string FailureJson(const std::string& file, int code, const std::string& message) {
  return JsonObject()
      .Add("file", file)
      .Add("code", code)
      .Add("name", ridgeview_wsq_code_name(code))
      .Add("message", message)
      .Text();
}

std::string UnreadableJson(const std::string& file, const std::string& reason) {
  return JsonObject()
      .Add("file", file)
      .AddNull("code")
      .Add("name", "UNREADABLE")
      .Add("message", reason)
      .Text();
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

int DescribeWsqJson(const std::string& file, std::span<const std::uint8_t> bytes,
                    std::string& json) {
  InfoRecord info;
  ridgeview_wsq_error error;
  if (int ret = info.Read(bytes, error)) {
    json = FailureJson(file, ret, error.message);
    return ret;
  }
  json = InfoJson(file, bytes.size(), info.get());
  return 0;
}

}  // namespace ridgeview::tools
