#include "platform/registry/registry_location.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace ridgeview::platform {
namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

bool IsAbsolute(const char* value) { return IsSet(value) && value[0] == '/'; }

std::string HomeFromPasswordDatabase() {
  long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 && hint < (1 << 20) ? static_cast<std::size_t>(hint) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || !IsAbsolute(found->pw_dir)) {
    return {};
  }
  return found->pw_dir;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string UserHomeFolder(const EnvironmentLookup& lookup) {
  if (const char* env = lookup("HOME"); IsAbsolute(env)) return env;
  return HomeFromPasswordDatabase();
}

std::string RegistryFolder(const EnvironmentLookup& lookup) {
  if (const char* own = lookup("RIDGEVIEW_CONFIG_DIR"); IsSet(own)) return own;
  if (const char* xdg = lookup("XDG_CONFIG_HOME"); IsAbsolute(xdg)) {
    return std::string(xdg) + "/ridgeview";
  }
  std::string home = UserHomeFolder(lookup);
  if (home.empty()) return {};
  if (home.back() == '/') home.pop_back();  // "/" as home gives "/.config"
  return home + "/.config/ridgeview";
}

std::string RegistryFolder() {
  return RegistryFolder([](const char* name) -> const char* { return std::getenv(name); });
}

bool MakePrivateFolder(const std::string& folder) {
  if (folder.empty()) return false;
  // Create each missing component in turn, from the root down.
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    const std::string prefix = folder.substr(0, i);
    if (prefix.back() == '/') continue;  // doubled separator
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsDirectory(folder);
}

std::unique_ptr<SqliteRegistry> OpenUserRegistry() {
  const std::string folder = RegistryFolder();
  // An empty path gives an unusable store. When the folder cannot be made, opening the file
  // in it fails and the store reports SQLite's reason.
  if (folder.empty()) return std::make_unique<SqliteRegistry>(std::string());
  MakePrivateFolder(folder);
  return std::make_unique<SqliteRegistry>(folder + "/" + kRegistryFileName);
}

}  // namespace ridgeview::platform
