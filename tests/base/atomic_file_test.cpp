#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ridgeview::base {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteRaw(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::size_t EntryCount(const fs::path& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ridgeview-atomic-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    target_ = dir_ / "image.bmp";
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  fs::path target_;
  const Bytes old_ = Bytes(1000, 0xAB);
  const Bytes new_ = Bytes(5000, 0x5A);
};

TEST_F(AtomicFile, CreatesAndReplacesKeepingPermissions) {
  ASSERT_TRUE(WriteFileAtomically(target_, old_));
  EXPECT_EQ(ReadAll(target_), old_);
  ::chmod(target_.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(target_, new_));
  EXPECT_EQ(ReadAll(target_), new_);
  EXPECT_EQ(fs::status(target_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(EntryCount(dir_), 1u);  // no temporary file left
}

TEST_F(AtomicFile, SymbolicLinkIsKeptAndItsFileReplaced) {
  WriteRaw(target_, old_);
  const fs::path link = dir_ / "link.bmp";
  fs::create_symlink(target_, link);
  ASSERT_TRUE(WriteFileAtomically(link, new_));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(target_), new_);
}

// Simulated full disk: the write stops with ENOSPC after 4096 bytes.
ssize_t WriteUntilFull(int fd, const void* data, std::size_t size) {
  static thread_local std::size_t written = 0;
  if (size == 0) return 0;
  if (written >= 4096) {
    written = 0;  // ready for the next test
    errno = ENOSPC;
    return -1;
  }
  const std::size_t n = std::min<std::size_t>(size, 4096 - written);
  written += n;
  return ::write(fd, data, n);
}
int FailingFsync(int) {
  errno = EIO;
  return -1;
}
int FailingRename(const char*, const char*) {
  errno = EXDEV;
  return -1;
}

TEST_F(AtomicFile, AnyFailingStepKeepsTheOldFile) {
  WriteRaw(target_, old_);
  struct Case { const char* what; AtomicWriteOps ops; int error; };
  AtomicWriteOps full = DefaultAtomicWriteOps();
  full.write = WriteUntilFull;
  AtomicWriteOps noSync = DefaultAtomicWriteOps();
  noSync.fsync = FailingFsync;
  AtomicWriteOps noRename = DefaultAtomicWriteOps();
  noRename.rename = FailingRename;
  for (const Case& c : {Case{"disk full", full, ENOSPC}, Case{"fsync", noSync, EIO},
                        Case{"rename", noRename, EXDEV}}) {
    errno = 0;
    EXPECT_FALSE(WriteFileAtomically(target_, new_, c.ops)) << c.what;
    EXPECT_EQ(errno, c.error) << c.what;
    EXPECT_EQ(ReadAll(target_), old_) << c.what;
    EXPECT_EQ(EntryCount(dir_), 1u) << c.what;
  }
}

TEST_F(AtomicFile, StagedFilesAppearOnlyWhenCommitted) {
  WriteRaw(target_, old_);
  {
    StagedFile dropped;
    ASSERT_TRUE(dropped.Stage(target_, new_, DefaultAtomicWriteOps()));
    EXPECT_EQ(EntryCount(dir_), 2u);  // the old file and the temporary one
    EXPECT_EQ(ReadAll(target_), old_);
  }  // destroyed uncommitted: the temporary file goes, the old file stays
  EXPECT_EQ(EntryCount(dir_), 1u);
  EXPECT_EQ(ReadAll(target_), old_);

  StagedFile first;
  ASSERT_TRUE(first.Stage(target_, new_, DefaultAtomicWriteOps()));
  StagedFile moved = std::move(first);
  EXPECT_FALSE(first.staged());
  errno = 0;
  EXPECT_FALSE(first.Commit());
  EXPECT_EQ(errno, EBADF);
  ASSERT_TRUE(moved.Commit());
  EXPECT_FALSE(moved.Commit());  // only once
  EXPECT_EQ(ReadAll(target_), new_);
  EXPECT_EQ(EntryCount(dir_), 1u);

  AtomicWriteOps noSync = DefaultAtomicWriteOps();
  noSync.fsync = FailingFsync;
  StagedFile failing;
  ASSERT_TRUE(failing.Stage(target_, old_, noSync));
  errno = 0;
  EXPECT_FALSE(failing.Commit());
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(ReadAll(target_), new_);
  EXPECT_EQ(EntryCount(dir_), 1u);
}

TEST_F(AtomicFile, UnwritableTargetsFailCleanly) {
  EXPECT_FALSE(WriteFileAtomically(dir_ / "missing" / "x.bmp", new_));
  EXPECT_FALSE(WriteFileAtomically(dir_, new_));  // a folder (no file name)
  fs::create_directory(dir_ / "sub");
  EXPECT_FALSE(WriteFileAtomically(dir_ / "sub", new_));  // rename over a folder fails
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
  EXPECT_EQ(EntryCount(dir_), 1u);
}

// A real full file system: a 64 KiB tmpfs mounted in a private mount namespace of a child
// process (root only; skipped where namespaces are not allowed).
TEST_F(AtomicFile, RealFullFileSystemKeepsTheOldFile) {
  const fs::path mountPoint = dir_ / "small";
  fs::create_directory(mountPoint);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
      ::_exit(77);
    }
    const fs::path file = mountPoint / "scan.bmp";
    const Bytes old(40 * 1024, 0x11);
    const Bytes bigger(48 * 1024, 0x22);  // old + new cannot both fit
    int code = 0;
    if (!WriteFileAtomically(file, old)) code = 1;
    else if (WriteFileAtomically(file, bigger)) code = 2;
    else if (errno != ENOSPC) code = 3;
    else if (ReadAll(file) != old) code = 4;
    else if (EntryCount(mountPoint) != 1) code = 5;
    ::umount(mountPoint.c_str());
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) {
    GTEST_SKIP() << "cannot mount a private tmpfs here";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace ridgeview::base

namespace ridgeview::base {
namespace {

// Bytes staged in pieces land as their concatenation; a piece that cannot be written leaves
// the old file and no temporary one.
TEST_F(AtomicFile, PiecesAreWrittenInOrderOrNotAtAll) {
  const Bytes head = {'P', '5', '\n'};
  const std::span<const std::uint8_t> pieces[] = {head, new_, {}, old_};
  StagedFile file;
  ASSERT_TRUE(file.Stage(target_, pieces, DefaultAtomicWriteOps()));
  ASSERT_TRUE(file.Commit());
  Bytes expected = head;
  expected.insert(expected.end(), new_.begin(), new_.end());
  expected.insert(expected.end(), old_.begin(), old_.end());
  EXPECT_EQ(ReadAll(target_), expected);

  AtomicWriteOps full = DefaultAtomicWriteOps();
  full.write = WriteUntilFull;
  StagedFile failing;
  errno = 0;
  EXPECT_FALSE(failing.Stage(target_, pieces, full));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(ReadAll(target_), expected);
  EXPECT_EQ(EntryCount(dir_), 1u);
}

}  // namespace
}  // namespace ridgeview::base
