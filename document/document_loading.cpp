// Loading: the choice of decoder by the file's content, the WSQ branch, the operations that
// install a loaded image in the document (open, clear, reload) and the steps through its
// folder.
#include "document/document_operations.h"

#include "base/timing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "document/bmp_file.h"
#include "document/codec_budget.h"
#include "document/command_ids.h"
#include "document/image_file_type.h"
#include "document/pixel_convert.h"
#include "ridgeview/wsq.h"

namespace ridgeview::document {

namespace {

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
// kNoMemory before anything is read. A file that shrinks while being read yields what was
// read; one that grows yields its first `size` bytes.
ReadStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    return ReadStatus::kUnreadable;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    return ReadStatus::kUnreadable;
  }
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

std::string DisplayNameForPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

Document::Document(DocumentView& view, CommandStates& commands, MessageService& messages,
                   PictureLoader& pictures, ClipboardService& clipboard)
    : view_(view), commands_(commands), messages_(messages), pictures_(pictures),
      clipboard_(clipboard) {
  static std::once_flag budgetFitted;
  std::call_once(budgetFitted, FitCodecBudgetToMachine);
}

std::unique_ptr<Image> Document::Own(std::optional<Image> image) {
  if (!image || !IsValidImage(*image)) {
    return nullptr;
  }
  try {
    return std::make_unique<Image>(std::move(*image));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void Document::ShowError(const std::string& text) {
  messages_.Show(text, kProgramName, MessageIcon::Error);
}

void Document::EnableImageCommands(bool enabled) {
  commands_.Enable(command::kZoomTrack, enabled);
  commands_.Enable(command::kSave, enabled);
  commands_.Enable(command::kCopy, enabled);
  commands_.Enable(command::kProperties, enabled);
}

std::unique_ptr<Image> Document::LoadWsqFile(const std::string& path) {
  std::vector<std::uint8_t> file;
  switch (ReadWholeFile(path, ridgeview_wsq_memory_budget(), file)) {
    case ReadStatus::kOk:
      break;
    case ReadStatus::kNoMemory:
      ShowError(kMsgBufferMalloc);
      return nullptr;
    case ReadStatus::kUnreadable:
      return nullptr;
  }
  base::ReportTiming("file read");

  ridgeview_wsq_image decoded{};
  ridgeview_wsq_error error;
  // The viewer shows one image at a time: the codec's threads are all its own (0: all).
  const int ret = ridgeview_wsq_decode(file.data(), file.size(), 0, &decoded, &error);
  // What the codec has to say goes to stderr, as it would have without the library between.
  std::fputs(error.message, stderr);
  base::ReportTiming("decoded");
  const std::unique_ptr<unsigned char, void (*)(void*)> pixels(decoded.pixels,
                                                               ridgeview_wsq_free);
  // The file's bytes are not needed any more; free them before the image is made. The codec
  // keeps its large work blocks for a next call; a viewer opens one image at a time, so they
  // go back to the system now.
  std::vector<std::uint8_t>().swap(file);
  ridgeview_wsq_release_cached_memory();
  const int width = decoded.width;
  const int height = decoded.height;
  const int ppi = decoded.ppi;
  if (ret != 0 || !pixels || width <= 0 || height <= 0) {
    return nullptr;
  }
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::unique_ptr<Image> image = Own(GrayToImage(
      std::span<const std::uint8_t>(pixels.get(), count), width, height));
  if (!image) {
    ShowError(kMsgPixelDataMalloc);
    return nullptr;
  }
  base::ReportTiming("gray expanded to 24 bits");
  // The scan's resolution travels with the image as its pixels per metre (the view's
  // millimetres): 500 ppi is 19685 per metre.
  if (ppi > 0 && ppi <= 100000) {
    const auto perMetre = static_cast<std::int32_t>(ppi / 0.0254 + 0.5);
    image->xPixelsPerMetre = perMetre;
    image->yPixelsPerMetre = perMetre;
  }
  wsqOrigin_ = true;
  return image;
}

std::unique_ptr<Image> Document::LoadImageFile(const std::string& path) {
  wsqOrigin_ = false;
  std::unique_ptr<Image> image;
  switch (ImageFileTypeOf(path)) {
    case ImageFileType::kWsq:
      image = LoadWsqFile(path);
      break;
    case ImageFileType::kBmp:
      image = Own(LoadBmpFile(path));
      break;
    case ImageFileType::kJpeg:
    case ImageFileType::kPng:
    case ImageFileType::kGif:
      image = Own(pictures_.Load(path));
      break;
    case ImageFileType::kUnknown:
      break;
  }
  if (!image) {
    ShowError(kMsgCannotLoad + path);
  }
  return image;
}

bool Document::OpenImageFile(const std::string& path, double zoom, int x, int y) {
  if (!path.empty()) {
    folderWalk_.SetPosition(path);
    NoteFolderOf(path);
  }
  base::ReportTiming("loading starts");
  std::unique_ptr<Image> image = path.empty() ? nullptr : LoadImageFile(path);
  const bool loaded = image != nullptr;
  if (loaded) {
    base::ReportTiming("image loaded");
    imagePath_ = path;
    view_.SetImage(std::move(image), DisplayNameForPath(path), zoom, x, y);
    base::ReportTiming("image handed to the view");
    EnableImageCommands(true);
  } else {
    ClearImage();
  }
  return loaded;
}

bool Document::OpenNeighbourImage(FolderStep step) {
  const std::optional<std::string> next = folderWalk_.Neighbour(step);
  return next && OpenImageFile(*next, 1.0, -1, -1);
}

void Document::CloseImage() {
  ClearImage();
  folderWalk_.Forget();
}

void Document::NoteFolderOf(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  lastFolder_ = (ec ? std::filesystem::path(path) : absolute).parent_path().string();
}

void Document::ClearImage() {
  imagePath_.clear();
  wsqOrigin_ = false;
  view_.SetImage(nullptr, std::nullopt, 1.0, -1, -1);
  EnableImageCommands(false);
}

void Document::ReloadImage() {
  std::unique_ptr<Image> image = imagePath_.empty() ? nullptr : LoadImageFile(imagePath_);
  if (image && view_.ReplaceBitmap(std::move(image))) {
    return;
  }
  ClearImage();
}

}  // namespace ridgeview::document
