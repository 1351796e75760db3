// A progress line for long batches: "12 of 40 files, 3.4 files/s, 8 s left" on stderr,
// rewritten in place with a carriage return, and erased at the end, so that what the batch
// prints stays as it is without the line. Shown only on a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

namespace ridgeview::tools {

// The text of the line after `done` of `total` files in `seconds`; rate and time left once a
// file is done.
std::string ProgressText(std::size_t done, std::size_t total, double seconds);

// Whether stderr is a terminal, where a line rewritten in place makes sense.
bool StderrIsTerminal();

// Safe to use from several threads. A disabled line writes nothing of its own.
class ProgressLine {
 public:
  ProgressLine(std::size_t total, bool enabled, std::FILE* out = stderr);
  ~ProgressLine();  // erases the line
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // One more file is done. Redraws at most ten times a second, and for the last file.
  void FileDone();
  // Writes `text` (whole lines) to the stream above the line: erases it, writes, redraws.
  void Write(const std::string& text);

 private:
  void Draw();   // with mutex_ held
  void Erase();  // with mutex_ held

  std::mutex mutex_;
  std::FILE* out_;
  const std::size_t total_;
  const bool enabled_;
  std::size_t done_ = 0;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace ridgeview::tools
