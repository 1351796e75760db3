#include "platform/desktop/xdg_dirs.h"

#include <cstdlib>

namespace ridgeview::platform {
namespace {

std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The variable's value when it is an absolute path, else empty.
std::string AbsoluteVariable(const EnvironmentLookup& lookup, const char* name) {
  const char* value = lookup(name);
  if (value == nullptr || value[0] != '/') return {};
  return TrimSlashes(value);
}

std::vector<std::string> AbsoluteList(const EnvironmentLookup& lookup, const char* name) {
  std::vector<std::string> out;
  const char* value = lookup(name);
  if (value == nullptr) return out;
  const std::string all = value;
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    const std::string item = all.substr(start, end - start);
    if (!item.empty() && item[0] == '/') out.push_back(TrimSlashes(item));
    start = end + 1;
  }
  return out;
}

std::string Home(const EnvironmentLookup& lookup) {
  const std::string home = TrimSlashes(UserHomeFolder(lookup));
  return home == "/" ? std::string() : home;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::vector<std::string> XdgDirs::AllDataDirs() const {
  std::vector<std::string> all;
  if (!dataHome.empty()) all.push_back(dataHome);
  all.insert(all.end(), dataDirs.begin(), dataDirs.end());
  return all;
}

XdgDirs ResolveXdgDirs(const EnvironmentLookup& lookup) {
  XdgDirs dirs;
  const std::string home = Home(lookup);
  dirs.configHome = AbsoluteVariable(lookup, "XDG_CONFIG_HOME");
  if (dirs.configHome.empty() && !home.empty()) dirs.configHome = home + "/.config";
  dirs.dataHome = AbsoluteVariable(lookup, "XDG_DATA_HOME");
  if (dirs.dataHome.empty() && !home.empty()) dirs.dataHome = home + "/.local/share";
  dirs.configDirs = AbsoluteList(lookup, "XDG_CONFIG_DIRS");
  if (dirs.configDirs.empty()) dirs.configDirs = {"/etc/xdg"};
  dirs.dataDirs = AbsoluteList(lookup, "XDG_DATA_DIRS");
  if (dirs.dataDirs.empty()) dirs.dataDirs = {"/usr/local/share", "/usr/share"};

  if (const char* current = lookup("XDG_CURRENT_DESKTOP"); current != nullptr) {
    const std::string all = current;
    std::size_t start = 0;
    while (start < all.size()) {
      std::size_t end = all.find(':', start);
      if (end == std::string::npos) end = all.size();
      const std::string name = all.substr(start, end - start);
      if (!name.empty() && name.find('/') == std::string::npos) dirs.desktops.push_back(Lower(name));
      start = end + 1;
    }
  }
  return dirs;
}

XdgDirs ResolveXdgDirs() {
  return ResolveXdgDirs([](const char* name) -> const char* { return std::getenv(name); });
}

}  // namespace ridgeview::platform
