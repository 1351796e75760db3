#include "document/wsq_load.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "base/timing.h"
#include "document/codec_budget.h"
#include "document/image_file_type.h"
#include "document/pixel_convert.h"
#include "ridgeview/wsq.h"

namespace ridgeview::document {

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
         a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
}

namespace {

FileStamp StampFrom(const struct stat& info) {
  FileStamp s;
  s.device = info.st_dev;
  s.inode = info.st_ino;
  s.size = info.st_size;
  s.modified = info.st_mtim;
  s.changed = info.st_ctim;
  return s;
}

enum class ReadStatus { kOk, kUnreadable, kNoMemory };

// An open file descriptor, closed on every path.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads the whole regular file at `path` into `bytes`. Only regular files are read: a folder,
// a device or a pipe is unreadable (opening without blocking, so a pipe with no writer cannot
// hang the program). A file larger than `limit`, or whose bytes cannot be allocated, gives
// kNoMemory before anything is read. `stamp` gets the file's stamp as opened. A file that shrinks while being read yields what was
// read; one that grows yields its first `size` bytes.
ReadStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                         FileStamp& stamp) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    return ReadStatus::kUnreadable;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    return ReadStatus::kUnreadable;
  }
  stamp = StampFrom(info);
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    return ReadStatus::kNoMemory;
  }
  try {
    bytes.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return ReadStatus::kNoMemory;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return ReadStatus::kUnreadable;
    }
    if (n == 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return ReadStatus::kOk;
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return StampFrom(info);
}

WsqLoad LoadWsq(const std::string& path) {
  WsqLoad load;
  std::vector<std::uint8_t> file;
  switch (ReadWholeFile(path, ridgeview_wsq_memory_budget(), file, load.stamp)) {
    case ReadStatus::kOk:
      break;
    case ReadStatus::kNoMemory:
      load.outcome = WsqLoad::Outcome::kNoMemoryForFile;
      return load;
    case ReadStatus::kUnreadable:
      load.outcome = WsqLoad::Outcome::kUnreadable;
      return load;
  }
  base::ReportTiming("file read");

  ridgeview_wsq_image decoded{};
  ridgeview_wsq_error error;
  // One image at a time: the codec's threads are all its own (0: all).
  const int ret = ridgeview_wsq_decode(file.data(), file.size(), 0, &decoded, &error);
  load.codecText = error.message;
  base::ReportTiming("decoded");
  const std::unique_ptr<unsigned char, void (*)(void*)> pixels(decoded.pixels,
                                                               ridgeview_wsq_free);
  // The file's bytes are not needed any more; free them before the image is made. The codec
  // keeps its large work blocks for a next call on this thread; one image is loaded at a
  // time, so they go back to the system now.
  std::vector<std::uint8_t>().swap(file);
  ridgeview_wsq_release_cached_memory();
  const int width = decoded.width;
  const int height = decoded.height;
  const int ppi = decoded.ppi;
  if (ret != 0 || !pixels || width <= 0 || height <= 0) {
    load.outcome = WsqLoad::Outcome::kNotDecoded;
    return load;
  }
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::optional<Image> image =
      GrayToImage(std::span<const std::uint8_t>(pixels.get(), count), width, height);
  try {
    if (image && IsValidImage(*image)) load.image = std::make_unique<Image>(std::move(*image));
  } catch (const std::bad_alloc&) {
  }
  if (!load.image) {
    load.outcome = WsqLoad::Outcome::kNoMemoryForPixels;
    return load;
  }
  base::ReportTiming("gray expanded to 24 bits");
  // The scan's resolution travels with the image as its pixels per metre (the view's
  // millimetres): 500 ppi is 19685 per metre.
  if (ppi > 0 && ppi <= 100000) {
    const auto perMetre = static_cast<std::int32_t>(ppi / 0.0254 + 0.5);
    load.image->xPixelsPerMetre = perMetre;
    load.image->yPixelsPerMetre = perMetre;
  }
  load.outcome = WsqLoad::Outcome::kLoaded;
  return load;
}

namespace {

// The preload running in this process, if any (see WsqPreload's constructor).
std::mutex g_currentMutex;
WsqPreload* g_current = nullptr;

}  // namespace

WsqPreload::WsqPreload(const std::string& path) {
  if (path.empty() || ImageFileTypeOf(path) != ImageFileType::kWsq) return;
  const std::lock_guard<std::mutex> lock(g_currentMutex);
  if (g_current != nullptr) return;
  path_ = path;
  try {
    thread_ = std::thread([this] {
      FitCodecBudgetToMachine();
      WsqLoad load = LoadWsq(path_);
      const std::lock_guard<std::mutex> hold(mutex_);
      result_ = std::move(load);
    });
  } catch (const std::system_error&) {
    return;  // no thread: the file loads the ordinary way
  }
  g_current = this;
}

WsqPreload::~WsqPreload() {
  {
    const std::lock_guard<std::mutex> lock(g_currentMutex);
    if (g_current == this) g_current = nullptr;
  }
  if (thread_.joinable()) thread_.join();
}

void WsqPreload::Wait() {
  const std::lock_guard<std::mutex> lock(g_currentMutex);
  if (thread_.joinable()) thread_.join();
}

std::optional<WsqLoad> WsqPreload::Take(const std::string& path) {
  const std::lock_guard<std::mutex> lock(g_currentMutex);
  WsqPreload* p = g_current;
  if (p == nullptr || p->path_ != path) return std::nullopt;
  if (p->thread_.joinable()) p->thread_.join();
  std::optional<WsqLoad> result;
  {
    const std::lock_guard<std::mutex> hold(p->mutex_);
    result.swap(p->result_);
  }
  if (!result || result->outcome != WsqLoad::Outcome::kLoaded) return std::nullopt;
  const std::optional<FileStamp> now = StampOf(path);
  if (!now || !(*now == result->stamp)) return std::nullopt;
  return result;
}

}  // namespace ridgeview::document
