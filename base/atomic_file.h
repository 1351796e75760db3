// Replacing a file so that a failed or interrupted save never leaves a truncated file and
// never destroys the previous one.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace ridgeview::base {

// The system calls the writer makes, replaceable so that tests can make any of them fail
// (a full disk, an I/O error) without a real failing file system.
struct AtomicWriteOps {
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
};

// The real system calls.
AtomicWriteOps DefaultAtomicWriteOps();

// Writes `bytes` to `path`, creating or replacing it:
//   1. a new temporary file is created in the same folder (named ".<name>.tmp-<unique>",
//      with the existing file's permission bits, or 0666 less the umask for a new file);
//   2. all bytes are written to it, then it is flushed to the disk (fsync) and closed;
//   3. it is renamed over `path` (atomic within one file system), and the folder is synced.
// If any step fails the temporary file is removed and `path` is left exactly as it was
// (absent, or with its old contents); false is returned and errno tells the first failure
// (ENOSPC for a full disk). When `path` is a symbolic link, the file it points to is
// replaced and the link kept.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// WriteFileAtomically in two halves, so that a program writing many files can go on working
// while the disk catches up: Stage does step 1 and writes the bytes; Commit flushes them,
// closes and renames (steps 2 and 3). Nothing appears at the target before Commit succeeds;
// a file destroyed (or moved from) before that removes its temporary file. Each half returns
// false with errno set, leaving the target as it was.
// Flushes `folder` to the disk, so that renames into it are durable (best effort).
void SyncFolderToDisk(const std::filesystem::path& folder);

class StagedFile {
 public:
  StagedFile() = default;
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  bool Stage(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
             const AtomicWriteOps& ops);
  // The same for bytes in pieces (a header and a body, say), written one after the other
  // without first being copied together.
  bool Stage(const std::filesystem::path& path,
             std::span<const std::span<const std::uint8_t>> pieces, const AtomicWriteOps& ops);
  // With sync_folder false the rename is not yet made durable: the caller syncs the folder
  // (SyncFolderToDisk) once after committing many files into it.
  bool Commit(bool sync_folder = true);
  bool staged() const { return fd_ >= 0; }
  // The folder the file goes to once committed.
  std::filesystem::path folder() const;

 private:
  void Abandon();

  int fd_ = -1;
  std::string temp_;
  std::filesystem::path target_;
  AtomicWriteOps ops_{};
};
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         const AtomicWriteOps& ops);

}  // namespace ridgeview::base
