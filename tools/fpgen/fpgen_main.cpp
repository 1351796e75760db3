// ridgeview-fpgen [-s SEED] WIDTHxHEIGHT OUT.pgm
// Writes a synthetic fingerprint image as binary PGM. Exit status: 0 written, 1 the file
// could not be written, 2 bad arguments.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/fpgen/fingerprint_generator.h"
#include "tools/fpgen/pgm_file.h"

namespace {

int Usage(const char* message) {
  if (message != nullptr) std::fprintf(stderr, "ridgeview-fpgen: %s\n", message);
  std::fprintf(stderr,
               "usage: ridgeview-fpgen [-s SEED] WIDTHxHEIGHT OUT.pgm\n"
               "  SEED: unsigned 64-bit number, decimal or 0x-hex (default 1)\n"
               "  WIDTHxHEIGHT: 1..%d each, at most %zu pixels\n",
               ridgeview::tools::kMaxFingerprintSide, ridgeview::tools::kMaxFingerprintPixels);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ridgeview::tools;
  std::uint64_t seed = 1;
  const char* positional[2] = {nullptr, nullptr};
  int positional_count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      Usage(nullptr);
      return 0;
    }
    if (arg == "-s") {
      if (i + 1 >= argc) return Usage("-s needs a seed");
      if (!ParseSeed(argv[++i], &seed)) return Usage("bad seed");
      continue;
    }
    if (positional_count == 2) return Usage("too many arguments");
    positional[positional_count++] = argv[i];
  }
  if (positional_count != 2) return Usage("expected WIDTHxHEIGHT and OUT.pgm");

  int width = 0;
  int height = 0;
  if (!ParseImageSize(positional[0], &width, &height)) return Usage("bad image size");
  const std::vector<std::uint8_t> pgm =
      EncodePgm(width, height, GenerateFingerprint(width, height, seed));
  std::string error;
  if (pgm.empty() || !WriteFileBytes(positional[1], pgm, &error)) {
    std::fprintf(stderr, "ridgeview-fpgen: cannot write %s: %s\n", positional[1],
                 error.empty() ? "no image" : error.c_str());
    return 1;
  }
  return 0;
}
