// Desktop entries (.desktop files) as the file-association backend reads them: the few keys
// of the [Desktop Entry] group that decide which program opens a file type, and the mapping
// between an Exec line and the registry's form of an open command ("program %1").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_location.h"

namespace ridgeview::platform {

struct DesktopEntry {
  std::string id;    // desktop file ID, e.g. "picshow.desktop" or "kde4-foo.desktop"
  std::string path;  // where the file was read from
  std::string name;  // Name (unlocalised)
  std::string exec;  // Exec, with the value escapes (\s \n \t \r \\) resolved
  std::vector<std::string> mimeTypes;
  int initialPreference = 0;
  bool hidden = false;     // Hidden=true: the entry counts as deleted
  bool application = true; // Type is Application (or missing)
};

// Parses the [Desktop Entry] group of a desktop file. Keys of other groups, localised keys
// (Name[de]) and comments are ignored. None when the text has no [Desktop Entry] group.
std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text);

// Reads and parses a file of at most 1 MiB; none when it cannot be read or parsed. `id` and
// `path` are stored in the result.
std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id);

// The open command of an Exec line: each file field code (%f, %F, %u, %U) becomes %1; every
// other character, including other field codes and "%%", is kept. "picshow %f" gives
// "picshow %1".
std::string ExecToCommand(std::string_view exec);

// The Exec line of an open command: each "%1" becomes "%f"; "%%" stays as it is.
std::string CommandToExec(std::string_view command);

// A value escaped for writing into a desktop file: backslash, newline, tab and carriage
// return become \\ \n \t \r, and a leading blank becomes \s.
std::string EscapeDesktopValue(std::string_view value);

// The program an Exec line starts: its first word, with Exec quoting ("...", backslash
// escapes inside quotes) removed. Empty when the line is empty or its quoting is broken.
std::string ExecProgram(std::string_view exec);

// Whether the program named by an Exec line can be started: an absolute path must be an
// executable regular file; a bare name must be one in a folder of $PATH (as `which` finds it).
bool ExecProgramExists(std::string_view exec, const EnvironmentLookup& lookup);

// Whether an entry may stand as a type's default: not hidden, an application, with an Exec
// line whose program exists.
bool IsUsableEntry(const DesktopEntry& entry, const EnvironmentLookup& lookup);

// Reads a whole small file into `out`; false when it cannot be read or is larger than
// `limit` bytes.
bool ReadSmallFile(const std::string& path, std::string& out, std::size_t limit);

}  // namespace ridgeview::platform
