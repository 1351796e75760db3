#include "tools/ridgeview-wsq/progress_line.h"

#include <unistd.h>

#include <cmath>

namespace ridgeview::tools {
namespace {

// "8 s", "2:05", "1:02:05".
std::string Duration(double seconds) {
  const long s = std::lround(seconds);
  char text[32];
  if (s < 60) {
    std::snprintf(text, sizeof text, "%ld s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  }
  return text;
}

// Erases the line the cursor is on: back to its start, clear to its end.
constexpr char kEraseLine[] = "\r\033[K";

}  // namespace

std::string ProgressText(std::size_t done, std::size_t total, double seconds) {
  std::string text = std::to_string(done) + " of " + std::to_string(total) + " files";
  if (done == 0 || seconds <= 0.0) return text;
  const double rate = static_cast<double>(done) / seconds;
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %.1f files/s", rate);
  text += figures;
  if (done < total) {
    text += ", " + Duration(static_cast<double>(total - done) / rate) + " left";
  }
  return text;
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

ProgressLine::ProgressLine(std::size_t total, bool enabled, std::FILE* out)
    : out_(out), total_(total), enabled_(enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  Draw();
}

ProgressLine::~ProgressLine() {
  std::lock_guard<std::mutex> lock(mutex_);
  Erase();
}

void ProgressLine::FileDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++done_;
  const auto now = std::chrono::steady_clock::now();
  if (done_ == total_ || now - last_draw_ >= std::chrono::milliseconds(100)) Draw();
}

void ProgressLine::Write(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Erase();
  std::fputs(text.c_str(), out_);
  Draw();
}

void ProgressLine::Draw() {
  if (!enabled_) return;
  last_draw_ = std::chrono::steady_clock::now();
  const std::chrono::duration<double> elapsed = last_draw_ - start_;
  std::fprintf(out_, "%sridgeview-wsq: %s", kEraseLine,
               ProgressText(done_, total_, elapsed.count()).c_str());
  std::fflush(out_);
}

void ProgressLine::Erase() {
  if (!enabled_) return;
  std::fputs(kEraseLine, out_);
  std::fflush(out_);
}

}  // namespace ridgeview::tools
