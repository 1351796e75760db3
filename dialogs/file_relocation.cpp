#include "dialogs/file_relocation.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace ridgeview::dialogs {
namespace {

int RenameNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot rename without replacing: a hard link refuses an existing
  // target just as well.
  if (link(from, to) != 0) return -1;
  if (unlink(from) != 0) {
    const int failure = errno;
    unlink(to);
    errno = failure;
    return -1;
  }
  return 0;
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SyncFolder(const std::string& path) {
  const int fd = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies `from` to a new file `to`, then removes `from`. 0 or errno.
int CopyThenUnlink(const std::string& from, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat info {};
  if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int failure = S_ISREG(info.st_mode) ? errno : EINVAL;  // fstat failing leaves mode 0
    close(in);
    return failure == 0 ? EIO : failure;
  }
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
  if (out < 0) {
    const int failure = errno;
    close(in);
    return failure;
  }
  std::vector<char> buffer(1 << 16);
  int failure = 0;
  for (;;) {
    const ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      failure = errno;
      break;
    }
    if (got == 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) {
      failure = errno;
      break;
    }
  }
  // The umask may have narrowed the mode given to open.
  if (failure == 0 && fchmod(out, info.st_mode & 07777) != 0) failure = errno;
  if (failure == 0 && fsync(out) != 0) failure = errno;
  if (close(out) != 0 && failure == 0) failure = errno;
  close(in);
  if (failure == 0) {
    SyncFolder(to);
    if (unlink(from.c_str()) != 0) failure = errno;
  }
  if (failure != 0) {
    unlink(to.c_str());
    return failure;
  }
  SyncFolder(from);
  return 0;
}

}  // namespace

FileMoveOps DefaultFileMoveOps() { return FileMoveOps{RenameNoReplace}; }

int MoveFileNoReplace(const std::string& from, const std::string& to) {
  return MoveFileNoReplace(from, to, DefaultFileMoveOps());
}

int MoveFileNoReplace(const std::string& from, const std::string& to, const FileMoveOps& ops) {
  if (from.empty() || to.empty()) return EINVAL;
  struct stat info {};
  if (lstat(from.c_str(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  if (ops.renameNoReplace(from.c_str(), to.c_str()) == 0) {
    SyncFolder(to);
    return 0;
  }
  const int failure = errno;
  if (failure != EXDEV) return failure;
  return CopyThenUnlink(from, to);
}

int CreateShortcut(const std::string& linkPath, const std::string& target) {
  if (linkPath.empty() || target.empty()) return EINVAL;
  return symlink(target.c_str(), linkPath.c_str()) == 0 ? 0 : errno;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    const std::string prefix = folder.substr(0, i);
    if (prefix.back() == '/') continue;
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace ridgeview::dialogs
