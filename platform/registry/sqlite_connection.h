// One open connection to the registry database, and the small statement helper the store is
// built from. Internal to the SQLite registry.
//
// Opening never changes an existing file unless it already is a registry database of this
// program: a file that is not a database, is damaged, belongs to another program, has a newer
// layout, or holds objects this program did not create (triggers, views) is refused and left
// exactly as it was. Only a new or empty file is given the schema.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ridgeview::platform::sqlite_store {

// Marks the file as ours (the header's application id field): "RDGV".
inline constexpr std::int32_t kApplicationId = 0x52444756;
// Layout version (the header's user version field).
inline constexpr std::int32_t kSchemaVersion = 1;

class Connection {
 public:
  // Opens `path`, creating the file when missing. On failure returns nullptr and puts a
  // one-line reason in *error. `busyTimeoutMs` bounds every wait for another process's lock.
  static std::shared_ptr<Connection> Open(const std::string& path, int busyTimeoutMs,
                                          std::string* error);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* db() const { return db_; }

  // Runs SQL without results. False on any error.
  bool Exec(const char* sql);

  // Transactions. Begin takes the write lock at once (BEGIN IMMEDIATE), so a busy database
  // fails here, before anything is changed. Commit rolls back when the commit itself fails.
  bool Begin();
  bool Commit();
  void Rollback();

 private:
  explicit Connection(sqlite3* db) : db_(db) {}
  sqlite3* db_;
};

// A prepared statement, finalized on destruction. Binding helpers take the 1-based index.
class Statement {
 public:
  Statement(Connection& connection, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr && ok_; }

  void BindInt(int index, std::int64_t value);
  void BindText(int index, std::string_view text);
  void BindBlob(int index, std::span<const std::uint8_t> bytes);

  // Steps once: true when a row is available. Done() tells whether the statement finished
  // without error after Step returned false.
  bool Step();
  bool Done() const { return done_; }

  std::int64_t ColumnInt(int column) const;
  // Bytes of a blob or text column; empty for NULL or zero length.
  std::span<const std::uint8_t> ColumnBytes(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool ok_ = true;
  bool done_ = false;
};

}  // namespace ridgeview::platform::sqlite_store
