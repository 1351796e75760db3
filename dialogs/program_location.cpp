#include "dialogs/program_location.h"

#include <climits>
#include <cstdlib>

namespace ridgeview::dialogs {
namespace {

std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The canonical form of an existing folder, or empty.
std::string Canonical(const std::string& folder) {
  if (folder.empty()) return {};
  char resolved[PATH_MAX];
  return realpath(folder.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

std::string ProgramFolder(const platform::EnvironmentLookup& lookup) {
  if (const char* own = lookup("RIDGEVIEW_PROGRAM_DIR"); own != nullptr && own[0] != '\0') {
    return TrimSlashes(own);
  }
  std::string home = TrimSlashes(platform::UserHomeFolder(lookup));
  if (home.empty()) return {};
  if (home == "/") home.clear();
  return home + "/.local/bin";
}

std::string ProgramFolder() {
  return ProgramFolder([](const char* name) -> const char* { return std::getenv(name); });
}

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

bool IsInProgramFolder(const std::string& programPath, const std::string& folder) {
  if (programPath.empty() || folder.empty()) return false;
  if (programPath == folder + "/" + FileNameOf(programPath)) return true;
  const std::string mine = Canonical(FolderOf(programPath));
  return !mine.empty() && mine == Canonical(folder);
}

std::string ShortcutPathFor(std::string_view programPath) {
  std::string out;
  out.reserve(programPath.size());
  std::size_t i = 0;
  while (i < programPath.size()) {
    if (programPath.substr(i, 4) == ".exe") {
      out += ".lnk";
      i += 4;
    } else {
      out.push_back(programPath[i++]);
    }
  }
  return out;
}

}  // namespace ridgeview::dialogs
