// Where the user's registry database lives, and opening it there.
//
// The folder is, in order of preference:
//   1. $RIDGEVIEW_CONFIG_DIR, when set and not empty (used as given, also when relative);
//   2. $XDG_CONFIG_HOME/ridgeview, when XDG_CONFIG_HOME is set to an absolute path (a
//      relative value is ignored, as the XDG base directory rules require);
//   3. $HOME/.config/ridgeview, when HOME is an absolute path;
//   4. <home folder from the password database>/.config/ridgeview.
// The database file in it is named registry.sqlite3.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry/sqlite_registry.h"

namespace ridgeview::platform {

inline constexpr char kRegistryFileName[] = "registry.sqlite3";

// Looks up an environment variable: its value, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The user's home folder: $HOME when it is an absolute path, else the password database's
// entry when that is absolute; empty when neither is. Returned as found (trailing slashes
// kept).
std::string UserHomeFolder(const EnvironmentLookup& lookup);

// The folder by the rules above; empty when no rule gives one.
std::string RegistryFolder(const EnvironmentLookup& lookup);
std::string RegistryFolder();  // from the process environment

// Creates `folder` and any missing parents, each new one private to the user (mode 0700).
// True when the folder exists afterwards.
bool MakePrivateFolder(const std::string& folder);

// The user's registry: resolves the folder from the environment, creates it when missing
// and opens registry.sqlite3 in it. Never null; when no folder can be had the store is
// unusable (every OpenKey fails) and LastError() says why.
std::unique_ptr<SqliteRegistry> OpenUserRegistry();

}  // namespace ridgeview::platform
