#include "codec/common/report.h"

#include <cstdarg>
#include <cstdio>

namespace ridgeview::codec {

void report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

}  // namespace ridgeview::codec
