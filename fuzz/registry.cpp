// Fuzz target: the fuzzer's bytes become the registry database file. The store opens it,
// the six view settings are read, written back changed, and read again, and a file
// association key is opened, read and written. Whatever the bytes, nothing may crash, hang
// or leak; a file the store refuses must simply give defaults.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/registry_names.h"
#include "platform/registry/sqlite_registry.h"
#include "settings/view_settings.h"

namespace {

// One private folder per process, on a memory file system when there is one, so that the
// store's flushes to disk cost nothing. Removed when the process exits; the name lives in a
// plain buffer so that it outlasts every destructor run at exit.
char g_folder[4096];

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

const char* Folder() {
  if (g_folder[0] != '\0') return g_folder;
  std::string base = "/dev/shm";
  if (access(base.c_str(), W_OK) != 0) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
  }
  const std::string pattern = base + "/ridgeview-fuzz-registry-XXXXXX";
  if (pattern.size() >= sizeof g_folder) std::abort();
  pattern.copy(g_folder, pattern.size());
  g_folder[pattern.size()] = '\0';
  if (mkdtemp(g_folder) == nullptr) std::abort();
  std::atexit(RemoveFolder);
  return g_folder;
}

void RemoveDatabase(const std::string& path) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::remove((path + suffix).c_str());
  }
}

void ExerciseAssociation(ridgeview::platform::Registry& registry) {
  using namespace ridgeview::platform;
  KeyHandle key = registry.OpenKey(Hive::ClassesRoot, "wsqimage\\Shell\\Open\\Command",
                                   KeyDisposition::OpenExisting);
  if (!key) return;
  std::uint8_t buffer[520];
  const QueryResult r = key->QueryValue("", buffer, sizeof buffer);
  if (r.status == RegStatus::Ok || r.status == RegStatus::MoreData) {
    const std::uint8_t command[] = {'r', 0, ' ', 0, '%', 0, '1', 0, 0, 0};
    key->SetValue("", ValueType::String, command);
  }
  ReadWholeValue(*key, "");
  key->DeleteValue("wsqimage");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = std::string(Folder()) + "/registry.sqlite3";
  RemoveDatabase(path);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  {
    ridgeview::platform::SqliteRegistry registry(path, 0);
    using namespace ridgeview::settings;
    ViewSettings s = ReadSettings(registry);
    s.titleBar = !s.titleBar;
    s.imagePath += "/x.wsq";
    s.scroll.x /= 2;
    s.zoom = s.zoom * 2.0;
    WriteSettings(registry, s);
    ReadSettings(registry);
    ExerciseAssociation(registry);
  }
  RemoveDatabase(path);
  return 0;
}
