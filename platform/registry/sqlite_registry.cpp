#include "platform/registry/sqlite_registry.h"

#include <sqlite3.h>

#include <cstring>
#include <optional>
#include <utility>

#include "platform/registry/registry_names.h"
#include "platform/registry/sqlite_connection.h"

namespace ridgeview::platform {
namespace {

using sqlite_store::Connection;
using sqlite_store::Statement;

std::optional<std::int64_t> FindKey(Connection& c, Hive hive, const std::string& folded) {
  Statement s(c, "SELECT id FROM registry_keys WHERE hive = ?1 AND folded_path = ?2");
  s.BindInt(1, static_cast<std::int64_t>(hive));
  s.BindText(2, folded);
  if (!s.Step()) return std::nullopt;
  return s.ColumnInt(0);
}

// Inserts the key and every missing ancestor (and the hive root) in one transaction.
std::optional<std::int64_t> CreateKey(Connection& c, Hive hive, std::string_view path) {
  if (!c.Begin()) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> chain;  // folded, spelled
  chain.emplace_back(std::string(), std::string());
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i == 0) continue;  // the empty path: only the root
      const std::string spelled(path.substr(0, i));
      chain.emplace_back(FoldName(spelled), spelled);
    }
  }
  for (const auto& [folded, spelled] : chain) {
    Statement s(c, "INSERT OR IGNORE INTO registry_keys(hive, folded_path, path) "
                   "VALUES(?1, ?2, ?3)");
    s.BindInt(1, static_cast<std::int64_t>(hive));
    s.BindText(2, folded);
    s.BindText(3, spelled);
    s.Step();
    if (!s.Done()) {
      c.Rollback();
      return std::nullopt;
    }
  }
  const std::optional<std::int64_t> id = FindKey(c, hive, chain.back().first);
  if (!id || !c.Commit()) {
    c.Rollback();
    return std::nullopt;
  }
  return id;
}

class SqliteKey final : public RegistryKey {
 public:
  SqliteKey(std::shared_ptr<Connection> connection, std::int64_t id)
      : c_(std::move(connection)), id_(id) {}

  QueryResult QueryValue(std::string_view name, void* buffer, std::uint32_t capacity) override {
    QueryResult result;
    if (!ValidateValueName(name)) {
      result.status = RegStatus::InvalidArgument;
      return result;
    }
    Statement s(*c_, "SELECT type, data FROM registry_values "
                     "WHERE key_id = ?1 AND folded_name = ?2");
    s.BindInt(1, id_);
    s.BindText(2, FoldName(name));
    if (!s.Step()) {
      result.status = s.Done() ? RegStatus::NotFound : RegStatus::Failed;
      return result;
    }
    const std::int64_t type = s.ColumnInt(0);
    const std::span<const std::uint8_t> data = s.ColumnBytes(1);
    // Only what this store writes is answered; anything else means an edited or damaged row.
    if (type < 0 || type > 0xFFFFFFFF || data.size() > kMaxValueBytes) {
      result.status = RegStatus::Failed;
      return result;
    }
    result.type = static_cast<ValueType>(type);
    result.size = static_cast<std::uint32_t>(data.size());
    if (buffer != nullptr && result.size > capacity) {
      result.status = RegStatus::MoreData;
      return result;
    }
    if (buffer != nullptr && !data.empty()) std::memcpy(buffer, data.data(), data.size());
    result.status = RegStatus::Ok;
    return result;
  }

  RegStatus SetValues(std::span<const ValueWrite> writes) override {
    if (const RegStatus valid = ValidateWrites(writes); valid != RegStatus::Ok) return valid;
    if (writes.empty()) return RegStatus::Ok;
    if (!c_->Begin()) return RegStatus::Failed;
    for (const ValueWrite& w : writes) {
      Statement s(*c_, "INSERT INTO registry_values(key_id, folded_name, name, type, data) "
                       "VALUES(?1, ?2, ?3, ?4, ?5) "
                       "ON CONFLICT(key_id, folded_name) DO UPDATE SET "
                       "type = excluded.type, data = excluded.data");
      s.BindInt(1, id_);
      s.BindText(2, FoldName(w.name));
      s.BindText(3, w.name);
      s.BindInt(4, static_cast<std::int64_t>(w.type));
      s.BindBlob(5, w.data);
      s.Step();
      if (!s.Done()) {
        c_->Rollback();
        return RegStatus::Failed;
      }
    }
    return c_->Commit() ? RegStatus::Ok : RegStatus::Failed;
  }

  RegStatus DeleteValue(std::string_view name) override {
    if (!ValidateValueName(name)) return RegStatus::InvalidArgument;
    if (!c_->Begin()) return RegStatus::Failed;
    Statement s(*c_, "DELETE FROM registry_values WHERE key_id = ?1 AND folded_name = ?2");
    s.BindInt(1, id_);
    s.BindText(2, FoldName(name));
    s.Step();
    if (!s.Done()) {
      c_->Rollback();
      return RegStatus::Failed;
    }
    const bool removed = sqlite3_changes(c_->db()) == 1;
    if (!c_->Commit()) return RegStatus::Failed;
    return removed ? RegStatus::Ok : RegStatus::NotFound;
  }

 private:
  std::shared_ptr<Connection> c_;
  std::int64_t id_;
};

}  // namespace

SqliteRegistry::SqliteRegistry(std::string databasePath, int busyTimeoutMs)
    : path_(std::move(databasePath)), busyTimeoutMs_(busyTimeoutMs) {
  EnsureOpen();
}

SqliteRegistry::~SqliteRegistry() = default;

bool SqliteRegistry::EnsureOpen() {
  if (connection_) return true;
  if (path_.empty()) {
    lastError_ = "no place for the registry database";
    return false;
  }
  connection_ = Connection::Open(path_, busyTimeoutMs_, &lastError_);
  if (connection_) lastError_.clear();
  return connection_ != nullptr;
}

bool SqliteRegistry::IsUsable() { return EnsureOpen(); }

KeyHandle SqliteRegistry::OpenKey(Hive hive, std::string_view path, KeyDisposition how) {
  if (!ValidateKeyPath(path)) return nullptr;
  if (hive != Hive::ClassesRoot && hive != Hive::CurrentUser) return nullptr;
  if (!EnsureOpen()) return nullptr;
  std::optional<std::int64_t> id = FindKey(*connection_, hive, FoldName(path));
  if (!id && how == KeyDisposition::CreateIfMissing) id = CreateKey(*connection_, hive, path);
  if (!id) return nullptr;
  return std::make_unique<SqliteKey>(connection_, *id);
}

}  // namespace ridgeview::platform
