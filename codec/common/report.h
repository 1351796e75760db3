// The codec's single channel for diagnostics: fixed one-line messages on the standard error
// stream, written just before a failure code is returned.
#pragma once

namespace ridgeview::codec {

// printf-style write to stderr.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ridgeview::codec
