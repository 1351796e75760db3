// Name rules shared by every registry implementation: validation of key paths, value names,
// types and sizes, and the case folding that makes two spellings the same name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"

namespace ridgeview::platform {

// A key path is valid when it is empty (the hive itself) or consists of components separated
// by single backslashes, each 1 to kMaxKeyComponentBytes bytes long, with no NUL byte, no
// leading, trailing or doubled backslash, and at most kMaxKeyPathBytes bytes in all.
bool ValidateKeyPath(std::string_view path);

// A value name is valid when it has at most kMaxValueNameBytes bytes and no NUL byte. The
// empty name is the key's default value. Backslashes are ordinary characters in value names.
bool ValidateValueName(std::string_view name);

// Types that may be stored: String, ExpandString, Binary, Dword.
bool IsStorableType(ValueType type);

// Checks every entry of a batch (name, type, size); InvalidArgument on the first bad one.
RegStatus ValidateWrites(std::span<const ValueWrite> writes);

// ASCII case folding: 'A'..'Z' become 'a'..'z', every other byte is kept. Two names are the
// same name exactly when their folded forms are equal.
std::string FoldName(std::string_view name);

// The folded key paths of `path` and of each of its ancestors, shortest first. The empty
// path (the hive itself) has no entries; "A\B" gives {"a", "a\b"}. `path` must be valid.
std::vector<std::string> FoldedAncestry(std::string_view path);

// A whole value read with a second query when needed: nullopt when it does not exist or
// cannot be read.
struct StoredValue {
  ValueType type = ValueType::None;
  std::vector<std::uint8_t> bytes;
};
std::optional<StoredValue> ReadWholeValue(RegistryKey& key, std::string_view name);

// Readable name of a hive ("HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT").
const char* HiveName(Hive hive);

}  // namespace ridgeview::platform
