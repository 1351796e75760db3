#include "tools/ridgeview-wsq/gray_image_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace ridgeview::tools {
namespace {

bool is_space(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Next header number, skipping white space and '#' comments. -1 when there is none.
long next_number(std::span<const std::uint8_t> bytes, std::size_t& pos) {
  for (;;) {
    while (pos < bytes.size() && is_space(bytes[pos])) ++pos;
    if (pos < bytes.size() && bytes[pos] == '#') {
      while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      continue;
    }
    break;
  }
  long value = 0;
  const std::size_t start = pos;
  while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9') {
    value = value * 10 + (bytes[pos] - '0');
    if (value > 1000000) return -1;
    ++pos;
  }
  return pos == start ? -1 : value;
}

}  // namespace

std::optional<PgmLayout> ParsePgmHeader(std::span<const std::uint8_t> bytes, std::string& error) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '5') {
    error = "not a binary PGM (P5) file";
    return std::nullopt;
  }
  std::size_t pos = 2;
  const long width = next_number(bytes, pos);
  const long height = next_number(bytes, pos);
  const long maxval = next_number(bytes, pos);
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    error = "PGM size missing or outside 1..65535";
    return std::nullopt;
  }
  if (maxval != 255) {
    error = "PGM maxval must be 255";
    return std::nullopt;
  }
  if (pos >= bytes.size() || !is_space(bytes[pos])) {
    error = "PGM header not followed by pixels";
    return std::nullopt;
  }
  ++pos;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (bytes.size() - pos < count) {
    error = "PGM file is shorter than its pixels";
    return std::nullopt;
  }
  return PgmLayout{static_cast<int>(width), static_cast<int>(height), pos};
}


std::optional<GrayImage> ParsePgm(std::span<const std::uint8_t> bytes, std::string& error) {
  const std::optional<PgmLayout> layout = ParsePgmHeader(bytes, error);
  if (!layout) return std::nullopt;
  const std::size_t count =
      static_cast<std::size_t>(layout->width) * static_cast<std::size_t>(layout->height);
  GrayImage image;
  image.width = layout->width;
  image.height = layout->height;
  image.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(layout->offset),
                      bytes.begin() + static_cast<std::ptrdiff_t>(layout->offset + count));
  return image;
}

std::string PgmHeader(int width, int height) {
  return "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
}

std::vector<std::uint8_t> FormatPgm(const GrayImage& image) {
  const std::string header = PgmHeader(image.width, image.height);
  std::vector<std::uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), image.pixels.begin(), image.pixels.end());
  return out;
}

bool ReadWholeFile(const std::string& path, FileBytes& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = std::string("cannot tell the file's size: ") + std::strerror(errno);
    ::close(fd);
    return false;
  }
  // A regular file is read in one go into a buffer of its size (one more byte tells whether
  // it grew meanwhile); anything else (a pipe) is read until its end.
  std::size_t capacity = S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 65536;
  bytes.resize(capacity);
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("read error: ") + std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(done);
  return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  int w = 0, h = 0;
  auto r1 = std::from_chars(begin, begin + x, w);
  auto r2 = std::from_chars(begin + x + 1, end, h);
  if (r1.ec != std::errc() || r1.ptr != begin + x || r2.ec != std::errc() || r2.ptr != end) {
    return false;
  }
  if (w < 1 || h < 1 || w > 65535 || h > 65535) return false;
  width = w;
  height = h;
  return true;
}

}  // namespace ridgeview::tools
