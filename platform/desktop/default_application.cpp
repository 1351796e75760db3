#include "platform/desktop/default_application.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/desktop/mimeapps_list.h"

namespace ridgeview::platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxFiles = 20000;
constexpr std::size_t kMaxListBytes = 4u << 20;

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Collects the desktop files under `folder`; the ID is the relative path with '/' as '-'.
void Scan(const fs::path& folder, const std::string& prefix, int depth,
          std::vector<std::pair<std::string, std::string>>& found) {
  if (depth > kMaxDepth || found.size() >= kMaxFiles) return;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  std::vector<fs::directory_entry> items;
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    items.push_back(*it);
    if (items.size() >= kMaxFiles) break;
  }
  // Directory order is arbitrary; a sorted walk makes "first found" reproducible.
  std::sort(items.begin(), items.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) {
              return a.path().filename() < b.path().filename();
            });
  for (const fs::directory_entry& item : items) {
    if (found.size() >= kMaxFiles) return;
    const std::string name = item.path().filename().string();
    std::error_code kindError;
    if (item.is_directory(kindError)) {
      Scan(item.path(), prefix + name + "-", depth + 1, found);
    } else if (EndsWith(name, ".desktop") && item.is_regular_file(kindError)) {
      found.emplace_back(prefix + name, item.path().string());
    }
  }
}

// The first usable entry among `ids`.
const DesktopEntry* FirstUsable(const std::vector<std::string>& ids, DesktopCatalog& catalog,
                                const EnvironmentLookup& lookup) {
  for (const std::string& id : ids) {
    const DesktopEntry* entry = catalog.Find(id);
    if (entry != nullptr && IsUsableEntry(*entry, lookup)) return entry;
  }
  return nullptr;
}

const DesktopEntry* FromListFile(const std::string& path, std::string_view group,
                                 std::string_view mimeType, DesktopCatalog& catalog,
                                 const EnvironmentLookup& lookup) {
  std::string text;
  if (!ReadSmallFile(path, text, kMaxListBytes)) return nullptr;
  return FirstUsable(ListedApplications(text, group, mimeType), catalog, lookup);
}

const DesktopEntry* FromMimeappsFolder(const std::string& folder, const XdgDirs& dirs,
                                       std::string_view mimeType, DesktopCatalog& catalog,
                                       const EnvironmentLookup& lookup) {
  for (const std::string& desktop : dirs.desktops) {
    if (const DesktopEntry* entry = FromListFile(folder + "/" + desktop + "-mimeapps.list",
                                                 kDefaultApplicationsGroup, mimeType, catalog,
                                                 lookup)) {
      return entry;
    }
  }
  return FromListFile(folder + "/mimeapps.list", kDefaultApplicationsGroup, mimeType, catalog,
                      lookup);
}

}  // namespace

DesktopCatalog::DesktopCatalog(const XdgDirs& dirs) {
  for (const std::string& dataDir : dirs.AllDataDirs()) {
    std::vector<std::pair<std::string, std::string>> found;
    Scan(fs::path(dataDir) / "applications", "", 0, found);
    for (auto& [id, path] : found) {
      if (slots_.count(id) != 0) continue;
      order_.push_back(id);
      slots_.emplace(id, Slot{std::move(path), false, std::nullopt});
    }
  }
}

const DesktopEntry* DesktopCatalog::Load(Slot& slot, const std::string& id) {
  if (!slot.loaded) {
    slot.entry = ReadDesktopEntry(slot.path, id);
    slot.loaded = true;
  }
  return slot.entry ? &*slot.entry : nullptr;
}

const DesktopEntry* DesktopCatalog::Find(std::string_view id) {
  const auto it = slots_.find(id);
  return it == slots_.end() ? nullptr : Load(it->second, it->first);
}

std::vector<const DesktopEntry*> DesktopCatalog::All() {
  std::vector<const DesktopEntry*> all;
  for (const std::string& id : order_) {
    if (const DesktopEntry* entry = Find(id)) all.push_back(entry);
  }
  return all;
}

const DesktopEntry* FindDefaultApplication(std::string_view mimeType, const XdgDirs& dirs,
                                           DesktopCatalog& catalog,
                                           const EnvironmentLookup& lookup) {
  std::vector<std::string> configFolders;
  if (!dirs.configHome.empty()) configFolders.push_back(dirs.configHome);
  configFolders.insert(configFolders.end(), dirs.configDirs.begin(), dirs.configDirs.end());
  for (const std::string& folder : configFolders) {
    if (const DesktopEntry* entry = FromMimeappsFolder(folder, dirs, mimeType, catalog, lookup)) {
      return entry;
    }
  }
  const std::vector<std::string> dataFolders = dirs.AllDataDirs();
  for (const std::string& folder : dataFolders) {
    if (const DesktopEntry* entry =
            FromMimeappsFolder(folder + "/applications", dirs, mimeType, catalog, lookup)) {
      return entry;
    }
  }
  for (const std::string& folder : dataFolders) {
    if (const DesktopEntry* entry =
            FromListFile(folder + "/applications/defaults.list", kDefaultApplicationsGroup,
                         mimeType, catalog, lookup)) {
      return entry;
    }
    if (const DesktopEntry* entry = FromListFile(folder + "/applications/mimeinfo.cache",
                                                 "MIME Cache", mimeType, catalog, lookup)) {
      return entry;
    }
  }
  const DesktopEntry* best = nullptr;
  for (const DesktopEntry* entry : catalog.All()) {
    if (std::find(entry->mimeTypes.begin(), entry->mimeTypes.end(), mimeType) ==
            entry->mimeTypes.end() ||
        !IsUsableEntry(*entry, lookup)) {
      continue;
    }
    if (best == nullptr || entry->initialPreference > best->initialPreference) best = entry;
  }
  return best;
}

bool IsKnownMimeType(std::string_view mimeType, const XdgDirs& dirs) {
  if (mimeType.empty()) return false;
  for (const std::string& folder : dirs.AllDataDirs()) {
    std::string text;
    if (!ReadSmallFile(folder + "/mime/types", text, kMaxListBytes)) continue;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      if (std::string_view(text).substr(start, end - start) == mimeType) return true;
      start = end + 1;
    }
  }
  return false;
}

}  // namespace ridgeview::platform
