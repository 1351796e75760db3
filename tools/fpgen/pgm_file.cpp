#include "tools/fpgen/pgm_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/fpgen/fingerprint_generator.h"

namespace ridgeview::tools {
namespace {

// Decimal digits to a positive int not above kMaxFingerprintSide.
bool ParseSide(std::string_view digits, int* value) {
  if (digits.empty() || digits.size() > 9) return false;
  int v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v <= 0 || v > kMaxFingerprintSide) return false;
  *value = v;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseImageSize(std::string_view text, int* width, int* height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return false;
  int w = 0;
  int h = 0;
  if (!ParseSide(text.substr(0, x), &w) || !ParseSide(text.substr(x + 1), &h)) return false;
  if (!IsValidFingerprintSize(w, h)) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseSeed(std::string_view text, std::uint64_t* seed) {
  std::uint64_t v = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    if (text.size() > 16) return false;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      v = (v << 4) | static_cast<std::uint64_t>(d);
    }
  } else {
    if (text.empty()) return false;
    for (char c : text) {
      if (c < '0' || c > '9') return false;
      const auto d = static_cast<std::uint64_t>(c - '0');
      if (v > (UINT64_MAX - d) / 10) return false;
      v = v * 10 + d;
    }
  }
  *seed = v;
  return true;
}

std::vector<std::uint8_t> EncodePgm(int width, int height,
                                    const std::vector<std::uint8_t>& pixels) {
  if (width <= 0 || height <= 0) return {};
  if (pixels.size() / static_cast<std::size_t>(width) != static_cast<std::size_t>(height) ||
      pixels.size() % static_cast<std::size_t>(width) != 0) {
    return {};
  }
  char header[64];
  const int n = std::snprintf(header, sizeof header, "P5\n%d %d\n255\n", width, height);
  std::vector<std::uint8_t> out(header, header + n);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int write_errno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    *error = std::strerror(written ? errno : write_errno);
    return false;
  }
  return true;
}

}  // namespace ridgeview::tools
