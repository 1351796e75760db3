// Reading and decoding a WSQ file into the document's 24-bit image, with no message shown (the
// caller says what went wrong), and the same work started early on a thread of its own.
//
// At start-up the program knows the file it will show long before its window exists: the
// toolkit, the settings and the widgets take tens of milliseconds. WsqPreload reads and decodes
// the file meanwhile; the document takes the result when it opens that very file, still as it
// was read. Anything else (another file, a file changed since, a failed load) is loaded the
// ordinary way, which also shows the messages, so a preload changes nothing but the time.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "document/image.h"

namespace ridgeview::document {

// What identifies the contents of a file without reading it again.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  timespec changed{};
  friend bool operator==(const FileStamp& a, const FileStamp& b);
};

// The stamp of the file at `path` now; none when it cannot be had.
std::optional<FileStamp> StampOf(const std::string& path);

struct WsqLoad {
  enum class Outcome {
    kLoaded,
    kUnreadable,         // not a readable regular file
    kNoMemoryForFile,    // the file's bytes do not fit in memory
    kNotDecoded,         // the codec refused it (its text says why)
    kNoMemoryForPixels,  // decoded, but the 24-bit image could not be made
  };
  Outcome outcome = Outcome::kUnreadable;
  std::unique_ptr<Image> image;  // kLoaded only; the scan's resolution as pixels per metre
  std::string codecText;         // what the codec reported, for stderr
  FileStamp stamp;               // the file as it was read
};

// Reads the WSQ file at `path` whole and decodes it on all the processors the process has.
// Safe on any thread.
WsqLoad LoadWsq(const std::string& path);

class WsqPreload {
 public:
  // Starts reading and decoding `path` on a thread when it holds a WSQ image; an empty path
  // or another kind of file starts nothing. One preload at a time per process.
  explicit WsqPreload(const std::string& path);
  // Waits for the thread; a result nobody took is freed.
  ~WsqPreload();
  WsqPreload(const WsqPreload&) = delete;
  WsqPreload& operator=(const WsqPreload&) = delete;

  // Waits until the file is loaded (or nothing was started).
  void Wait();

  // The loaded image of `path` when the running preload read that file, loaded it and the
  // file has not changed since; waits for the thread first. A result is given out once.
  static std::optional<WsqLoad> Take(const std::string& path);

 private:
  std::mutex mutex_;
  std::string path_;
  std::optional<WsqLoad> result_;
  std::thread thread_;
};

}  // namespace ridgeview::document
