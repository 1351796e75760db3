// The freedesktop base directories and desktop names that file associations are looked up
// in, resolved from the environment once per lookup so that a changed environment (a test's
// temporary home, a new session) is always honoured.
#pragma once

#include <string>
#include <vector>

#include "platform/registry/registry_location.h"

namespace ridgeview::platform {

struct XdgDirs {
  std::string configHome;               // $XDG_CONFIG_HOME or $HOME/.config
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS or /etc/xdg
  std::string dataHome;                 // $XDG_DATA_HOME or $HOME/.local/share
  std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS or /usr/local/share, /usr/share
  // $XDG_CURRENT_DESKTOP split at ':' and lower-cased ("GNOME:Unity" gives gnome, unity),
  // the prefixes of the desktop-specific mimeapps.list files.
  std::vector<std::string> desktops;

  // Data folders in lookup order: the user's first, then the system's.
  std::vector<std::string> AllDataDirs() const;
};

// Resolves the folders by the base directory rules: a variable that is unset, empty or not
// an absolute path counts as unset (relative entries of the lists are dropped too); trailing
// slashes are removed. The home comes from $HOME when it is absolute, else from the password
// database. An empty configHome or dataHome means no home could be found.
XdgDirs ResolveXdgDirs(const EnvironmentLookup& lookup);
XdgDirs ResolveXdgDirs();  // from the process environment

}  // namespace ridgeview::platform
