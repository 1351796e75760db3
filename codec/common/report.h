// The codec's single channel for diagnostics: fixed one-line messages on the standard error
// stream, written just before a failure code is returned.
#pragma once

#include <string>

namespace ridgeview::codec {

// printf-style write to stderr, or to the thread's ReportCapture while one is active.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While it lives, the messages the codec writes on this thread are kept here instead of
// going to stderr: a caller that shows failures its own way (one line per file, say) gets
// the message without a duplicate on stderr. Captures nest; the innermost one gets them.
// Other threads are not affected.
class ReportCapture {
 public:
  ReportCapture();
  ~ReportCapture();
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  // Everything written, in order.
  const std::string& text() const { return text_; }
  // The last message written (one report call): the one that came with a failure code.
  const std::string& last_message() const { return last_; }
  // The first line of the last message, without its line end; "" when nothing was written.
  std::string failure_line() const;

 private:
  friend void report(const char* format, ...);
  void Add(const char* message);

  ReportCapture* outer_;
  std::string text_;
  std::string last_;
};

}  // namespace ridgeview::codec
