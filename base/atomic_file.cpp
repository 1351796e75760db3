#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace ridgeview::base {

namespace {

// Creates a new file next to `target` with O_EXCL, so an existing file is never reused.
// Mode 0666 lets the umask decide the permissions of a new file.
int CreateTemporary(const std::filesystem::path& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const std::string stem = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    tempPath = (folder / (stem + "-" + std::to_string(counter.fetch_add(1)) + "-" +
                          std::to_string(ticks & 0xFFFFFF)))
                   .string();
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, const AtomicWriteOps& ops) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ops.write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (n == 0) {
      errno = EIO;  // no progress: treat as a failed write rather than loop forever
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Best effort: makes renames into the folder durable.
void SyncFolderWith(const std::filesystem::path& folder, const AtomicWriteOps& ops) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ops.fsync(fd);
    ::close(fd);
  }
}

}  // namespace

AtomicWriteOps DefaultAtomicWriteOps() { return AtomicWriteOps{::write, ::fsync, ::rename}; }

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  return WriteFileAtomically(path, bytes, DefaultAtomicWriteOps());
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         const AtomicWriteOps& ops) {
  StagedFile file;
  return file.Stage(path, bytes, ops) && file.Commit();
}

StagedFile::StagedFile(StagedFile&& other) noexcept { *this = std::move(other); }

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    Abandon();
    fd_ = other.fd_;
    temp_ = std::move(other.temp_);
    target_ = std::move(other.target_);
    ops_ = other.ops_;
    other.fd_ = -1;
  }
  return *this;
}

StagedFile::~StagedFile() { Abandon(); }

void StagedFile::Abandon() {
  if (fd_ < 0) return;
  const int saved = errno;
  ::close(fd_);
  ::unlink(temp_.c_str());
  fd_ = -1;
  errno = saved;
}

bool StagedFile::Stage(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                       const AtomicWriteOps& ops) {
  const std::span<const std::uint8_t> pieces[] = {bytes};
  return Stage(path, pieces, ops);
}

bool StagedFile::Stage(const std::filesystem::path& path,
                       std::span<const std::span<const std::uint8_t>> pieces,
                       const AtomicWriteOps& ops) {
  Abandon();
  if (path.empty() || !path.has_filename()) {
    errno = EINVAL;
    return false;
  }
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    if (ec) {
      errno = ec.value();
      return false;
    }
    target = resolved;
  }

  std::string tempPath;
  const int fd = CreateTemporary(target, tempPath);
  if (fd < 0) {
    return false;
  }
  // An existing file keeps its permission bits (and, where allowed, its owner).
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    ::fchmod(fd, old.st_mode & 07777);
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not permitted for an ordinary user on another's file; the new file is then ours.
    }
  }
  fd_ = fd;
  temp_ = std::move(tempPath);
  target_ = std::move(target);
  ops_ = ops;
  for (const std::span<const std::uint8_t> bytes : pieces) {
    if (!WriteAll(fd_, bytes, ops_)) {
      Abandon();
      return false;
    }
  }
  return true;
}

void SyncFolderToDisk(const std::filesystem::path& folder) {
  SyncFolderWith(folder, DefaultAtomicWriteOps());
}

std::filesystem::path StagedFile::folder() const {
  return target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
}

bool StagedFile::Commit(bool sync_folder) {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  bool ok = ops_.fsync(fd_) == 0;
  int failure = ok ? 0 : errno;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && ops_.rename(temp_.c_str(), target_.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    ::unlink(temp_.c_str());
    errno = failure;
    return false;
  }
  if (sync_folder) SyncFolderWith(folder(), ops_);
  return true;
}

}  // namespace ridgeview::base
