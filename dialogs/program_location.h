// Where Ridgeview's executable is and where it belongs. File-type registration wants the
// executable in the program folder (the user's ~/.local/bin, the folder desktop entries can
// rely on); these helpers name that folder and the paths the Move dialog works with.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/registry_location.h"

namespace ridgeview::dialogs {

// The program folder: $RIDGEVIEW_PROGRAM_DIR when set and not empty (tests), else
// $HOME/.local/bin (the home from the password database when HOME is not absolute). Trailing
// slashes are removed. Empty when no home can be found.
std::string ProgramFolder(const platform::EnvironmentLookup& lookup);
std::string ProgramFolder();  // from the process environment

// The part of `path` after its last '/' (the whole path when it has none).
std::string FileNameOf(std::string_view path);

// The part of `path` before its last '/'; empty when it has none.
std::string FolderOf(std::string_view path);

// Whether the executable at `programPath` lies directly in `folder`: the path is exactly
// folder + "/" + its file name (case-sensitive), or the two folders are the same folder
// once symbolic links are resolved (so a home reached through a link does not ask to move
// the program onto itself).
bool IsInProgramFolder(const std::string& programPath, const std::string& folder);

// Where the shortcut to a moved executable goes: the old full path with every ".exe"
// replaced by ".lnk" (case-sensitive, left to right). A Linux executable without ".exe"
// keeps its own path, so the link takes the old file's place.
std::string ShortcutPathFor(std::string_view programPath);

}  // namespace ridgeview::dialogs
