#include "platform/registry/registry_names.h"

namespace ridgeview::platform {

// The one non-virtual member of the key interface, shared by every implementation.
RegStatus RegistryKey::SetValue(std::string_view name, ValueType type,
                                std::span<const std::uint8_t> data) {
  const ValueWrite one{name, type, data};
  return SetValues(std::span<const ValueWrite>(&one, 1));
}

bool ValidateKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (path.size() > kMaxKeyPathBytes) return false;
  std::size_t component = 0;
  for (const char c : path) {
    if (c == '\0') return false;
    if (c == '\\') {
      if (component == 0) return false;  // leading or doubled separator
      component = 0;
    } else if (++component > kMaxKeyComponentBytes) {
      return false;
    }
  }
  return component != 0;  // no trailing separator
}

bool ValidateValueName(std::string_view name) {
  return name.size() <= kMaxValueNameBytes && name.find('\0') == std::string_view::npos;
}

bool IsStorableType(ValueType type) {
  switch (type) {
    case ValueType::String:
    case ValueType::ExpandString:
    case ValueType::Binary:
    case ValueType::Dword:
      return true;
    case ValueType::None:
      break;
  }
  return false;
}

RegStatus ValidateWrites(std::span<const ValueWrite> writes) {
  for (const ValueWrite& w : writes) {
    if (!ValidateValueName(w.name) || !IsStorableType(w.type) || w.data.size() > kMaxValueBytes ||
        (w.data.data() == nullptr && !w.data.empty())) {
      return RegStatus::InvalidArgument;
    }
  }
  return RegStatus::Ok;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::vector<std::string> FoldedAncestry(std::string_view path) {
  std::vector<std::string> out;
  if (path.empty()) return out;
  const std::string folded = FoldName(path);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (folded[i] == '\\') out.push_back(folded.substr(0, i));
  }
  out.push_back(folded);
  return out;
}

std::optional<StoredValue> ReadWholeValue(RegistryKey& key, std::string_view name) {
  // The value may change between the size query and the read (another process); retry a
  // few times rather than loop forever.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const QueryResult probe = key.QueryValue(name, nullptr, 0);
    if (probe.status != RegStatus::Ok) return std::nullopt;
    StoredValue value;
    value.bytes.resize(probe.size);
    // A zero-size value still needs a non-null buffer to be read rather than sized.
    std::uint8_t dummy = 0;
    void* dest = value.bytes.empty() ? &dummy : value.bytes.data();
    const QueryResult got = key.QueryValue(name, dest, probe.size);
    if (got.status == RegStatus::MoreData) continue;
    if (got.status != RegStatus::Ok) return std::nullopt;
    value.type = got.type;
    value.bytes.resize(got.size);
    return value;
  }
  return std::nullopt;
}

const char* HiveName(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Hive::CurrentUser:
      return "HKEY_CURRENT_USER";
  }
  return "HKEY_UNKNOWN";
}

}  // namespace ridgeview::platform
