#include "platform/registry/memory_registry.h"

#include <cstring>
#include <map>
#include <utility>

#include "platform/registry/registry_names.h"

namespace ridgeview::platform {

namespace memory_store {

struct State {
  struct Value {
    std::string name;  // spelling at creation
    ValueType type = ValueType::None;
    std::vector<std::uint8_t> bytes;
  };
  struct Key {
    std::map<std::string, Value> values;  // by folded name
  };
  // By hive and folded path. The hive roots (empty path) always exist.
  std::map<std::pair<Hive, std::string>, Key> keys;
  std::vector<std::string> journal;
  bool failOpens = false;
  bool failWrites = false;
};

}  // namespace memory_store

namespace {

class MemoryKey final : public RegistryKey {
 public:
  MemoryKey(std::shared_ptr<memory_store::State> state, std::pair<Hive, std::string> id)
      : state_(std::move(state)), id_(std::move(id)) {}
  ~MemoryKey() override { state_->journal.push_back("close"); }

  QueryResult QueryValue(std::string_view name, void* buffer, std::uint32_t capacity) override {
    state_->journal.push_back("query " + std::string(name));
    QueryResult result;
    if (!ValidateValueName(name)) {
      result.status = RegStatus::InvalidArgument;
      return result;
    }
    const auto& values = state_->keys[id_].values;
    const auto it = values.find(FoldName(name));
    if (it == values.end()) return result;  // NotFound
    const auto size = static_cast<std::uint32_t>(it->second.bytes.size());
    result.type = it->second.type;
    result.size = size;
    if (buffer != nullptr && size > capacity) {
      result.status = RegStatus::MoreData;
      return result;
    }
    if (buffer != nullptr && size > 0) std::memcpy(buffer, it->second.bytes.data(), size);
    result.status = RegStatus::Ok;
    return result;
  }

  RegStatus SetValues(std::span<const ValueWrite> writes) override {
    std::string line = "write ";
    for (std::size_t i = 0; i < writes.size(); ++i) {
      if (i > 0) line += ',';
      line += writes[i].name;
    }
    state_->journal.push_back(std::move(line));
    if (const RegStatus valid = ValidateWrites(writes); valid != RegStatus::Ok) return valid;
    if (state_->failWrites) return RegStatus::Failed;
    auto& values = state_->keys[id_].values;
    for (const ValueWrite& w : writes) {
      auto [it, inserted] = values.try_emplace(FoldName(w.name));
      if (inserted) it->second.name = std::string(w.name);
      it->second.type = w.type;
      it->second.bytes.assign(w.data.begin(), w.data.end());
    }
    return RegStatus::Ok;
  }

  RegStatus DeleteValue(std::string_view name) override {
    state_->journal.push_back("delete " + std::string(name));
    if (!ValidateValueName(name)) return RegStatus::InvalidArgument;
    if (state_->failWrites) return RegStatus::Failed;
    return state_->keys[id_].values.erase(FoldName(name)) == 1 ? RegStatus::Ok
                                                                 : RegStatus::NotFound;
  }

 private:
  std::shared_ptr<memory_store::State> state_;
  std::pair<Hive, std::string> id_;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : state_(std::make_shared<memory_store::State>()) {
  state_->keys[{Hive::ClassesRoot, std::string()}];
  state_->keys[{Hive::CurrentUser, std::string()}];
}

MemoryRegistry::~MemoryRegistry() = default;

KeyHandle MemoryRegistry::OpenKey(Hive hive, std::string_view path, KeyDisposition how) {
  const bool create = how == KeyDisposition::CreateIfMissing;
  state_->journal.push_back(std::string(create ? "create " : "open ") + HiveName(hive) +
                            (path.empty() ? "" : "\\") + std::string(path));
  if (state_->failOpens || !ValidateKeyPath(path)) return nullptr;
  if (hive != Hive::ClassesRoot && hive != Hive::CurrentUser) return nullptr;
  const std::vector<std::string> ancestry = FoldedAncestry(path);
  std::pair<Hive, std::string> id{hive, FoldName(path)};
  if (state_->keys.find(id) == state_->keys.end()) {
    if (!create) return nullptr;
    for (const std::string& folded : ancestry) state_->keys[{hive, folded}];
  }
  return std::make_unique<MemoryKey>(state_, std::move(id));
}

const std::vector<std::string>& MemoryRegistry::Journal() const { return state_->journal; }

void MemoryRegistry::ClearJournal() { state_->journal.clear(); }

void MemoryRegistry::SetFailOpens(bool fail) { state_->failOpens = fail; }

void MemoryRegistry::SetFailWrites(bool fail) { state_->failWrites = fail; }

}  // namespace ridgeview::platform
