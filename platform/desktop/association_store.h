// A MIME type's open command read from and written to the desktop's associations: the
// operations behind the registry view of desktop_associations.h, in plain strings.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop/xdg_dirs.h"

namespace ridgeview::platform {

struct AssociationContext {
  XdgDirs dirs;
  EnvironmentLookup environment;  // HOME, PATH for program lookups
  std::string programPath;        // Ridgeview's executable; its command maps to ridgeview.desktop
  std::function<bool(const std::string&, const XdgDirs&)> install;
};

enum class AssociationResult { Ok, NotFound, Failed };

// The type's current open command ("program %1"), or none when it has no default.
std::optional<std::string> DefaultCommand(std::string_view mimeType,
                                          const AssociationContext& context);

// Makes `command` the type's open command as desktop_associations.h describes; an empty
// command removes the user's default.
AssociationResult SetDefaultCommand(std::string_view mimeType, const std::string& command,
                                    const AssociationContext& context);

// Removes the type's lines from [Default Applications] of $XDG_CONFIG_HOME/mimeapps.list.
// NotFound when there were none.
AssociationResult RemoveUserDefault(std::string_view mimeType, const AssociationContext& context);

// The ID of the user entry made for a command that no installed entry has:
// "ridgeview-restored-<16 hex digits of a 64-bit FNV-1a hash of the command>.desktop".
std::string RestoredEntryId(std::string_view command);

}  // namespace ridgeview::platform
