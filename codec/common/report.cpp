#include "codec/common/report.h"

#include <cstdarg>
#include <cstdio>

namespace ridgeview::codec {
namespace {

thread_local ReportCapture* t_capture = nullptr;

}  // namespace

void report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  if (t_capture == nullptr) {
    std::vfprintf(stderr, format, args);
  } else {
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    t_capture->Add(line);
  }
  va_end(args);
}

ReportCapture::ReportCapture() : outer_(t_capture) { t_capture = this; }

ReportCapture::~ReportCapture() { t_capture = outer_; }

void ReportCapture::Add(const char* message) {
  // A message that cannot be kept (no memory) is dropped: reporting must never fail.
  try {
    last_ = message;
    text_ += message;
  } catch (...) {
  }
}

std::string ReportCapture::failure_line() const {
  return last_.substr(0, last_.find('\n'));
}

}  // namespace ridgeview::codec
