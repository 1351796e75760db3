// HKEY_CLASSES_ROOT answered from the desktop's file associations. Plugged into a
// HiveRouter for that hive, it lets the registration code read and write
// "<ProgID>\Shell\Open\Command" while what really changes is which program the desktop
// opens the type with.
//
// The keys: for the ProgIDs below (compared case-insensitively), the command key exists
// exactly when the MIME type is known to the shared MIME database (image/x-wsq once
// Ridgeview's MIME package is installed). It is never created; every other path fails to
// open, under either hive.
//
//   wsqimage  image/x-wsq    bmpimage  image/bmp     jpegimage  image/jpeg
//   pngimage  image/png      gifimage  image/gif
//
// The key's default value ("" only; other names are NotFound):
//   - read: the Exec line of the type's current default application (default_application.h)
//     with its file field code written as %1, as a String value with its terminating zero.
//     NotFound when the type has no default application.
//   - written (String or ExpandString, UTF-16LE; the text ends at the first zero unit):
//       * Ridgeview's own command (its program path, one blank, "%1"): ridgeview.desktop is
//         installed or brought up to date (desktop_install.h) and made the type's default;
//       * another command: the installed entry whose Exec reads as that command (one listing
//         the type preferred) is made the default; when none has it, a user entry
//         ridgeview-restored-<hash>.desktop with that Exec (%1 written as %f) is created in
//         $XDG_DATA_HOME/applications and made the default;
//       * the empty command, and a command whose program does not exist, remove the user's
//         default for the type, which leaves the system's default in force.
//     "Made the default" means listed first for the type in [Default Applications] of
//     $XDG_CONFIG_HOME/mimeapps.list (the IDs listed before follow it, except that another
//     program's command drops ridgeview.desktop), written atomically with every other line
//     kept.
//     Failed when a file cannot be written, or when afterwards the type's default still is
//     another entry (a desktop-specific list of the user overriding mimeapps.list).
//     Commands with a line break, a carriage return or malformed UTF-16 are InvalidArgument.
//   - deleted: the user's default for the type is removed; NotFound when there was none.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/desktop/xdg_dirs.h"
#include "platform/registry/registry.h"

namespace ridgeview::platform {

struct FileTypeBinding {
  std::string_view progId;
  std::string_view mimeType;
};

inline constexpr std::array<FileTypeBinding, 5> kFileTypeBindings{{
    {"wsqimage", "image/x-wsq"},
    {"bmpimage", "image/bmp"},
    {"jpegimage", "image/jpeg"},
    {"pngimage", "image/png"},
    {"gifimage", "image/gif"},
}};

// The MIME type bound to a ProgID (case-insensitive), or empty.
std::string_view MimeTypeOfProgId(std::string_view progId);

class DesktopAssociations final : public Registry {
 public:
  struct Options {
    // Where the XDG variables, HOME and PATH come from; the process environment when empty.
    EnvironmentLookup environment;
    // Ridgeview's executable, whose command maps to ridgeview.desktop.
    std::string programPath;
    // Installs or refreshes Ridgeview's desktop entry; InstallDesktopIntegration when empty.
    std::function<bool(const std::string& programPath, const XdgDirs& dirs)> install;
  };

  explicit DesktopAssociations(Options options);
  ~DesktopAssociations() override;

  // The executable moved: its new path is Ridgeview's own command from now on, also for
  // keys that are already open.
  void SetProgramPath(std::string programPath);

  KeyHandle OpenKey(Hive hive, std::string_view path, KeyDisposition how) override;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace ridgeview::platform
