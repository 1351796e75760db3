#include "platform/registry/sqlite_connection.h"

#include <sqlite3.h>

#include <cstring>

#include "platform/registry/registry.h"

namespace ridgeview::platform::sqlite_store {
namespace {

// The exact tables this program creates; an existing database must hold these and nothing
// else besides their automatic indexes.
constexpr const char* kCreateKeys =
    "CREATE TABLE registry_keys("
    "id INTEGER PRIMARY KEY, "
    "hive INTEGER NOT NULL, "
    "folded_path TEXT NOT NULL, "
    "path TEXT NOT NULL, "
    "UNIQUE(hive, folded_path))";
constexpr const char* kCreateValues =
    "CREATE TABLE registry_values("
    "key_id INTEGER NOT NULL, "
    "folded_name TEXT NOT NULL, "
    "name TEXT NOT NULL, "
    "type INTEGER NOT NULL, "
    "data BLOB NOT NULL, "
    "PRIMARY KEY(key_id, folded_name)) WITHOUT ROWID";

std::string Describe(sqlite3* db, const char* what) {
  std::string message = what;
  if (db != nullptr) {
    message += ": ";
    message += sqlite3_errmsg(db);
  }
  return message;
}

bool ReadInt(Connection& c, const char* sql, std::int64_t* out) {
  Statement s(c, sql);
  if (!s.ok() || !s.Step()) return false;
  *out = s.ColumnInt(0);
  return true;
}

// Gives a new (empty) database its tables, header marks and the two hive roots, in one
// transaction. Returns false when the file turned out not to be empty once locked.
bool CreateSchema(Connection& c, std::string* error) {
  if (!c.Begin()) {
    *error = Describe(c.db(), "cannot lock the new registry database");
    return false;
  }
  std::int64_t objects = -1;
  if (!ReadInt(c, "SELECT count(*) FROM sqlite_schema", &objects)) {
    c.Rollback();
    *error = Describe(c.db(), "cannot read the new registry database");
    return false;
  }
  if (objects != 0) {  // another process created it meanwhile: verify instead
    c.Rollback();
    return true;
  }
  const std::string marks = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
  const bool made = c.Exec(kCreateKeys) && c.Exec(kCreateValues) &&
                    c.Exec("INSERT INTO registry_keys(hive, folded_path, path) "
                           "VALUES(0, '', ''), (1, '', '')") &&
                    c.Exec(marks.c_str());
  if (!made) {
    *error = Describe(c.db(), "cannot create the registry tables");
    c.Rollback();
    return false;
  }
  if (!c.Commit()) {
    *error = Describe(c.db(), "cannot commit the registry tables");
    return false;
  }
  return true;
}

// True when the database holds exactly our two tables (and their automatic indexes).
bool SchemaIsOurs(Connection& c) {
  Statement s(c, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
  if (!s.ok()) return false;
  int tables = 0;
  while (s.Step()) {
    const auto text = [&](int column) {
      const auto bytes = s.ColumnBytes(column);
      return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    const std::string type = text(0), name = text(1), table = text(2), sql = text(3);
    if (type == "table" && name == "registry_keys" && sql == kCreateKeys) {
      ++tables;
    } else if (type == "table" && name == "registry_values" && sql == kCreateValues) {
      ++tables;
    } else if (type == "index" && sql.empty() && name.rfind("sqlite_autoindex_", 0) == 0 &&
               (table == "registry_keys" || table == "registry_values")) {
      // created by the UNIQUE and PRIMARY KEY constraints
    } else {
      return false;
    }
  }
  return s.Done() && tables == 2;
}

bool QuickCheckPasses(Connection& c) {
  Statement s(c, "PRAGMA quick_check(1)");
  if (!s.ok() || !s.Step()) return false;
  const auto bytes = s.ColumnBytes(0);
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) == "ok";
}

}  // namespace

std::shared_ptr<Connection> Connection::Open(const std::string& path, int busyTimeoutMs,
                                             std::string* error) {
  error->clear();
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                    SQLITE_OPEN_PRIVATECACHE;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = Describe(db, "cannot open the registry database");
    sqlite3_close_v2(db);
    return nullptr;
  }
  std::shared_ptr<Connection> c(new Connection(db));
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busyTimeoutMs);
  // Treat the file as untrusted input: no schema-defined code, no oversized rows, checked
  // cell sizes. These only restrict what a damaged or crafted file can make SQLite do.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, static_cast<int>(kMaxValueBytes) + 65536);
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
  // synchronous=FULL: a commit returns only after the journal and the database are on disk,
  // so a crash or power loss at any moment leaves either the old or the new values.
  if (!c->Exec("PRAGMA cell_size_check = ON; PRAGMA synchronous = FULL; "
               "PRAGMA mmap_size = 0; PRAGMA foreign_keys = OFF")) {
    *error = Describe(db, "cannot configure the registry database");
    return nullptr;
  }

  std::int64_t objects = 0, application = 0, version = 0;
  if (!ReadInt(*c, "SELECT count(*) FROM sqlite_schema", &objects) ||
      !ReadInt(*c, "PRAGMA application_id", &application) ||
      !ReadInt(*c, "PRAGMA user_version", &version)) {
    *error = Describe(db, "cannot read the registry database");
    return nullptr;
  }
  if (objects == 0 && application == 0 && version == 0) {
    // New or empty file. Rollback journal (the default made explicit): one small extra file
    // only while a write is in progress, and no shared-memory file, which some home folders
    // on network file systems cannot provide.
    if (!c->Exec("PRAGMA journal_mode = DELETE") || !CreateSchema(*c, error)) {
      if (error->empty()) *error = Describe(db, "cannot initialise the registry database");
      return nullptr;
    }
    if (!ReadInt(*c, "PRAGMA application_id", &application) ||
        !ReadInt(*c, "PRAGMA user_version", &version)) {
      *error = Describe(db, "cannot read the registry database");
      return nullptr;
    }
  }
  if (application != kApplicationId) {
    *error = "the file is not a Ridgeview registry database";
    return nullptr;
  }
  if (version != kSchemaVersion) {
    *error = "the registry database has an unknown layout version " + std::to_string(version);
    return nullptr;
  }
  if (!SchemaIsOurs(*c)) {
    *error = "the registry database holds unexpected tables or code";
    return nullptr;
  }
  if (!QuickCheckPasses(*c)) {
    *error = Describe(db, "the registry database is damaged");
    return nullptr;
  }
  return c;
}

Connection::~Connection() { sqlite3_close_v2(db_); }

bool Connection::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Connection::Begin() { return Exec("BEGIN IMMEDIATE"); }

bool Connection::Commit() {
  if (Exec("COMMIT")) return true;
  Rollback();
  return false;
}

void Connection::Rollback() {
  if (sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
}

Statement::Statement(Connection& connection, const char* sql) {
  if (sqlite3_prepare_v2(connection.db(), sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::BindInt(int index, std::int64_t value) {
  if (stmt_ != nullptr && sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) ok_ = false;
}

void Statement::BindText(int index, std::string_view text) {
  // A zero-length text needs a non-null pointer, or SQLite binds NULL.
  const char* data = text.empty() ? "" : text.data();
  if (stmt_ != nullptr &&
      sqlite3_bind_text64(stmt_, index, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
          SQLITE_OK) {
    ok_ = false;
  }
}

void Statement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
  static const std::uint8_t kNone = 0;
  const void* data = bytes.empty() ? &kNone : bytes.data();
  if (stmt_ != nullptr &&
      sqlite3_bind_blob64(stmt_, index, data, bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
    ok_ = false;
  }
}

bool Statement::Step() {
  done_ = false;
  if (!ok()) return false;
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  done_ = rc == SQLITE_DONE;
  if (!done_) ok_ = false;
  return false;
}

std::int64_t Statement::ColumnInt(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::span<const std::uint8_t> Statement::ColumnBytes(int column) const {
  // Ask for the pointer first, then the size, as SQLite requires after a conversion.
  const void* data = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

}  // namespace ridgeview::platform::sqlite_store
