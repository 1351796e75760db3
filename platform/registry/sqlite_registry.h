// The persistent registry: one SQLite database file holding both hives.
//
// Durability: every write (a SetValues batch, a DeleteValue, the creation of a key) is one
// SQLite transaction, committed with a rollback journal and synchronous=FULL, so a crash or a
// kill at any moment leaves either the old or the new values, never a mix and never a broken
// file.
//
// A file that cannot be used (not a database, damaged, another program's, a newer layout, a
// directory, an unreadable folder) makes every OpenKey fail, so callers fall back to their
// defaults and skip their writes. The file is never modified, moved or deleted in that case:
// it may be only temporarily unreadable, or belong to a newer version of this program, and
// it holds the file associations this program must be able to restore. LastError() says why
// the store is unusable, for the caller to report if it wants.
//
// Another process holding the database locked makes an operation wait up to the busy
// timeout and then fail with RegStatus::Failed (or OpenKey return an empty handle).
#pragma once

#include <memory>
#include <string>

#include "platform/registry/registry.h"

namespace ridgeview::platform {

namespace sqlite_store {
class Connection;
}

inline constexpr int kDefaultBusyTimeoutMs = 500;

class SqliteRegistry final : public Registry {
 public:
  // Opens (creating when missing) the database file at `databasePath`; the folder must
  // exist. Never throws and never fails outright: an unusable file gives an unusable store.
  explicit SqliteRegistry(std::string databasePath, int busyTimeoutMs = kDefaultBusyTimeoutMs);
  ~SqliteRegistry() override;

  // Opens the key. When the database could not be opened before (for example it was locked
  // by another process), opening it is tried again first.
  KeyHandle OpenKey(Hive hive, std::string_view path, KeyDisposition how) override;

  // Whether the database is open and verified (tries to open it when it is not).
  bool IsUsable();
  // Why the last attempt to open the database failed; empty when it is open.
  const std::string& LastError() const { return lastError_; }
  const std::string& DatabasePath() const { return path_; }

 private:
  bool EnsureOpen();

  std::string path_;
  int busyTimeoutMs_;
  std::shared_ptr<sqlite_store::Connection> connection_;
  std::string lastError_;
};

}  // namespace ridgeview::platform
