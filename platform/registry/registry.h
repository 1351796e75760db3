// The registry: a small hierarchical store of typed values, in the shape the rest of the
// program expects from a desktop registry. Keys live under one of two hives and are named by
// backslash-separated paths ("Software\WTL\Ridgeview"); each key holds named values, each
// value a type tag and the exact bytes it was given.
//
// Names: key paths and value names are compared case-insensitively by ASCII case folding
// ("software\wtl\RIDGEVIEW" is the same key). Bytes outside ASCII are compared exactly, so
// "Ä" and "ä" are different names. The spelling used when a key or value was first created
// is kept. The empty value name "" is the key's default (unnamed) value.
//
// Implementations: SqliteRegistry (the persistent store, sqlite_registry.h), MemoryRegistry
// (for tests of other subsystems, memory_registry.h) and HiveRouter (sends each hive to its
// own backend, hive_router.h).
//
// Threads: a registry and the keys opened from it are used from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace ridgeview::platform {

enum class Hive : std::uint8_t {
  ClassesRoot = 0,  // HKEY_CLASSES_ROOT: file associations
  CurrentUser = 1,  // HKEY_CURRENT_USER: the user's settings
};

// Type tags of stored values. The numbers are part of the stored data and never change.
enum class ValueType : std::uint32_t {
  None = 0,          // only reported for values that do not exist
  String = 1,        // UTF-16LE text, normally with its terminating zero unit
  ExpandString = 2,  // the same, holding environment references (never expanded here)
  Binary = 3,        // raw bytes
  Dword = 4,         // 32-bit little-endian number
};

enum class RegStatus {
  Ok,
  NotFound,         // no such key or value
  MoreData,         // the caller's buffer is smaller than the value; nothing was copied
  InvalidArgument,  // malformed name or path, unknown type, or data over kMaxValueBytes
  Failed,           // the store could not be read or written (corrupt, busy, I/O error)
};

// Limits, checked before anything is stored.
inline constexpr std::size_t kMaxKeyPathBytes = 4096;     // whole path
inline constexpr std::size_t kMaxKeyComponentBytes = 255;  // one component between '\'
inline constexpr std::size_t kMaxValueNameBytes = 16383;
inline constexpr std::uint32_t kMaxValueBytes = 1u << 20;  // 1 MiB per value

// Outcome of QueryValue. `type` and `size` describe the stored value whenever status is Ok
// or MoreData; otherwise they are None and 0.
struct QueryResult {
  RegStatus status = RegStatus::NotFound;
  ValueType type = ValueType::None;
  std::uint32_t size = 0;
};

// One value of a batch write.
struct ValueWrite {
  std::string_view name;
  ValueType type = ValueType::Binary;
  std::span<const std::uint8_t> data;
};

// An open key. Destroying the handle closes it. Access is always read and write. A key
// handle keeps what it needs alive by itself, so it may outlive the registry it came from.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Copies the value's bytes into `buffer`, which holds `capacity` bytes.
  //  - Ok: copied; result.size bytes of the buffer are written, the rest untouched.
  //  - MoreData: the value is larger than `capacity`; result.size is the size needed and the
  //    buffer is left untouched.
  //  - buffer == nullptr asks for type and size only: Ok without copying.
  //  - NotFound, InvalidArgument (bad name), Failed: the buffer is untouched.
  virtual QueryResult QueryValue(std::string_view name, void* buffer, std::uint32_t capacity) = 0;

  // Stores every value of `writes` in one transaction: either all of them are stored or,
  // on any failure, none is. Every entry is validated before anything is written. When a
  // name appears twice the later entry wins. Storing over an existing value replaces its
  // type and bytes and keeps the spelling of its name. An empty batch is Ok.
  virtual RegStatus SetValues(std::span<const ValueWrite> writes) = 0;

  // Removes one value. NotFound when it does not exist.
  virtual RegStatus DeleteValue(std::string_view name) = 0;

  // A single-value SetValues.
  RegStatus SetValue(std::string_view name, ValueType type, std::span<const std::uint8_t> data);

 protected:
  RegistryKey() = default;
};

using KeyHandle = std::unique_ptr<RegistryKey>;

enum class KeyDisposition {
  OpenExisting,     // fail when the key does not exist
  CreateIfMissing,  // create the key and every missing ancestor
};

class Registry {
 public:
  virtual ~Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Opens `path` under `hive` for reading and writing. The empty path is the hive itself.
  // Returns an empty handle when the path is malformed (see ValidateKeyPath), when the key
  // does not exist and may not be created, or when the store cannot be used at all.
  virtual KeyHandle OpenKey(Hive hive, std::string_view path, KeyDisposition how) = 0;

 protected:
  Registry() = default;
};

}  // namespace ridgeview::platform
