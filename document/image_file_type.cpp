#include "document/image_file_type.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace ridgeview::document {

namespace {

bool StartsWith(std::span<const std::uint8_t> head, std::initializer_list<std::uint8_t> signature) {
  if (head.size() < signature.size()) return false;
  std::size_t i = 0;
  for (const std::uint8_t byte : signature) {
    if (head[i++] != byte) return false;
  }
  return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

ImageFileType SniffImageType(std::span<const std::uint8_t> head) {
  if (StartsWith(head, {0xFF, 0xA0})) return ImageFileType::kWsq;
  if (StartsWith(head, {'B', 'M'})) return ImageFileType::kBmp;
  if (StartsWith(head, {0xFF, 0xD8, 0xFF})) return ImageFileType::kJpeg;
  if (StartsWith(head, {0x89, 'P', 'N', 'G'})) return ImageFileType::kPng;
  if (StartsWith(head, {'G', 'I', 'F', '8'})) return ImageFileType::kGif;
  return ImageFileType::kUnknown;
}

ImageFileType ImageTypeFromName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return ImageFileType::kUnknown;
  const std::string_view extension = name.substr(dot + 1);
  struct Known {
    std::string_view extension;
    ImageFileType type;
  };
  static constexpr Known kKnown[] = {
      {"wsq", ImageFileType::kWsq},  {"bmp", ImageFileType::kBmp}, {"jpg", ImageFileType::kJpeg},
      {"jpeg", ImageFileType::kJpeg}, {"png", ImageFileType::kPng}, {"gif", ImageFileType::kGif},
  };
  for (const Known& k : kKnown) {
    if (EqualsIgnoringCase(extension, k.extension)) return k.type;
  }
  return ImageFileType::kUnknown;
}

std::vector<std::uint8_t> ReadFileHead(const std::string& path) {
  // Opened without blocking, so a pipe with no writer cannot hang the program, and read
  // only when it is a regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  std::vector<std::uint8_t> head(kSniffBytes);
  std::size_t done = 0;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    while (done < head.size()) {
      const ssize_t n = ::read(fd, head.data() + done, head.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  head.resize(done);
  return head;
}

ImageFileType ImageFileTypeOf(const std::string& path) {
  const ImageFileType byContent = SniffImageType(ReadFileHead(path));
  return byContent != ImageFileType::kUnknown ? byContent : ImageTypeFromName(path);
}

bool IsImageByContent(const std::string& path) {
  return SniffImageType(ReadFileHead(path)) != ImageFileType::kUnknown;
}

}  // namespace ridgeview::document
