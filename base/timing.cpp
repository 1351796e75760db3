#include "base/timing.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace ridgeview::base {
namespace {

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// When the process started, on the boot-time clock: field 22 of /proc/self/stat, in clock
// ticks since boot. The command name (field 2) may hold blanks and parentheses, so the fields
// are counted from its closing parenthesis.
double StartOnBootClock() {
  std::ifstream in("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = stat.rfind(')');
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  if (close == std::string::npos || ticks_per_second <= 0) return Seconds(CLOCK_BOOTTIME);
  const char* p = stat.c_str() + close + 1;
  for (int field = 3; field < 22 && *p != '\0'; ++field) {
    while (*p == ' ') ++p;
    while (*p != ' ' && *p != '\0') ++p;
  }
  char* end = nullptr;
  const unsigned long long ticks = std::strtoull(p, &end, 10);
  if (end == p) return Seconds(CLOCK_BOOTTIME);
  return static_cast<double>(ticks) / static_cast<double>(ticks_per_second);
}

double StartSeconds() {
  static const double start = StartOnBootClock();
  return start;
}

}  // namespace

bool TimingEnabled() {
  static const bool enabled = [] {
    const char* v = std::getenv("RIDGEVIEW_TIMING");
    return v != nullptr && std::strcmp(v, "1") == 0;
  }();
  return enabled;
}

double MillisecondsSinceStart() { return (Seconds(CLOCK_BOOTTIME) - StartSeconds()) * 1000.0; }

void ReportTiming(const char* what) {
  if (!TimingEnabled()) return;
  std::fprintf(stderr, "ridgeview: timing: %s: %.1f ms after start (at %.6f)\n", what,
               MillisecondsSinceStart(), Seconds(CLOCK_REALTIME));
}

void ReportDuration(const char* what, double milliseconds) {
  if (!TimingEnabled()) return;
  std::fprintf(stderr, "ridgeview: timing: %s: %.2f ms (at %.1f ms after start)\n", what,
               milliseconds, MillisecondsSinceStart());
}

}  // namespace ridgeview::base
