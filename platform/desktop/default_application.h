// Which program opens a MIME type on this desktop, found the way xdg-mime and the desktops
// find it, and whether a MIME type is known to the shared MIME database at all.
//
// Lookup order of a type's default application:
//   1. [Default Applications] of mimeapps.list in $XDG_CONFIG_HOME, then in each of
//      $XDG_CONFIG_DIRS, then in $XDG_DATA_HOME/applications and each of
//      $XDG_DATA_DIRS/applications; in every folder the desktop-specific files
//      (<desktop>-mimeapps.list for each name of $XDG_CURRENT_DESKTOP) come before the plain
//      one. The first listed ID whose entry is installed and usable wins.
//   2. defaults.list, then mimeinfo.cache, of each data folder's applications/ (user first).
//   3. Every installed entry whose MimeType lists the type: the highest InitialPreference,
//      the first found among equals.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/desktop_entry.h"
#include "platform/desktop/xdg_dirs.h"

namespace ridgeview::platform {

// The installed desktop entries: every *.desktop under applications/ of the data folders
// (the user's first); an ID found in an earlier folder hides the same ID in a later one.
// Entries are read when first asked for. Scanning stops at a depth of 8 folders and after
// 20000 files, so a looping or huge tree cannot stall the program.
class DesktopCatalog {
 public:
  explicit DesktopCatalog(const XdgDirs& dirs);

  // The entry with this ID, or null when it is not installed or cannot be parsed.
  const DesktopEntry* Find(std::string_view id);
  // Every parseable entry, in lookup order.
  std::vector<const DesktopEntry*> All();

 private:
  struct Slot {
    std::string path;
    bool loaded = false;
    std::optional<DesktopEntry> entry;
  };
  const DesktopEntry* Load(Slot& slot, const std::string& id);

  std::vector<std::string> order_;  // IDs in lookup order
  std::map<std::string, Slot, std::less<>> slots_;
};

// The usable entry that opens `mimeType` by default, or null when there is none.
const DesktopEntry* FindDefaultApplication(std::string_view mimeType, const XdgDirs& dirs,
                                           DesktopCatalog& catalog,
                                           const EnvironmentLookup& lookup);

// Whether the shared MIME database of any data folder (the user's first) lists the type in
// its compiled `mime/types` file.
bool IsKnownMimeType(std::string_view mimeType, const XdgDirs& dirs);

}  // namespace ridgeview::platform
