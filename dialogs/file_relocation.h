// Moving the executable into the program folder and leaving a shortcut at its old place.
// A move never replaces an existing file and never leaves a half-moved one: it is a rename
// on one file system, and a copy (flushed to disk) followed by removing the original across
// file systems.
#pragma once

#include <string>

namespace ridgeview::dialogs {

// The system calls the mover makes, replaceable so that tests can act out a move across
// file systems (EXDEV) or a failing step on any single file system.
struct FileMoveOps {
  // Renames `from` to `to`, failing with EEXIST when `to` exists. 0 or -1 with errno.
  int (*renameNoReplace)(const char* from, const char* to);
};

// renameat2 with RENAME_NOREPLACE; on a file system that does not support the flag, a hard
// link followed by unlinking the original (which also refuses an existing target).
FileMoveOps DefaultFileMoveOps();

// Moves the regular file `from` to `to`. Returns 0, or the errno of the failure:
//   EEXIST  `to` exists (it is left untouched);
//   other   the file could not be moved; `from` is left in place and nothing is created.
// When the rename reports EXDEV the file is copied instead: `to` is created exclusively with
// the original's permission bits, written, flushed (fsync) and closed, its folder flushed,
// and only then is `from` removed; when removing fails the copy is deleted again.
int MoveFileNoReplace(const std::string& from, const std::string& to);
int MoveFileNoReplace(const std::string& from, const std::string& to, const FileMoveOps& ops);

// Creates the shortcut: a symbolic link at `linkPath` pointing at `target`. Returns 0 or the
// errno (ENOENT when the link's folder does not exist, EEXIST when something is there).
int CreateShortcut(const std::string& linkPath, const std::string& target);

// Creates `folder` and its missing parents with mode 0755. True when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace ridgeview::dialogs
