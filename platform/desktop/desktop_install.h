// Ridgeview's own desktop integration in the user's data folder: the desktop entry that
// makes it a program the desktop can open image files with, the shared-mime-info definition
// of the WSQ type, and the thumbnailer entry through which file managers show WSQ files.
// Nothing outside the user's data folder is written.
#pragma once

#include <string>
#include <string_view>

#include "platform/desktop/xdg_dirs.h"

namespace ridgeview::platform {

inline constexpr char kRidgeviewDesktopId[] = "ridgeview.desktop";
inline constexpr char kWsqMimePackage[] = "ridgeview-wsq.xml";
inline constexpr char kWsqMimeType[] = "image/x-wsq";
inline constexpr char kWsqThumbnailer[] = "ridgeview-wsq.thumbnailer";
// The command-line tool that makes the thumbnails, installed beside the viewer.
inline constexpr char kThumbnailToolName[] = "ridgeview-wsq";

// A program path made safe for an Exec line: returned as it is when it has no reserved
// character, else in double quotes with ", `, $ and \ escaped; '%' is always doubled.
std::string QuoteExecArgument(std::string_view argument);

// The text of ridgeview.desktop: Exec is the program's full path and %f; MimeType lists
// image/x-wsq, image/bmp, image/jpeg, image/png and image/gif.
std::string RidgeviewDesktopEntryText(const std::string& programPath);

// The shared-mime-info package defining image/x-wsq: glob *.wsq, magic bytes FF A0 at
// offset 0, comment "WSQ Image".
std::string WsqMimePackageText();

// The text of ridgeview-wsq.thumbnailer for the tool at `toolPath`: TryExec is the tool,
// Exec runs its thumbnail command with the file manager's %s (size), %i (input) and %o
// (output), MimeType is image/x-wsq.
std::string WsqThumbnailerText(const std::string& toolPath);

// The thumbnail tool beside the program (ridgeview-wsq in the program's folder) when it is
// there, else "".
std::string ThumbnailToolBeside(const std::string& programPath);

// Writes <dataHome>/applications/ridgeview.desktop,
// <dataHome>/mime/packages/ridgeview-wsq.xml and, when the thumbnail tool is beside the
// program, <dataHome>/thumbnailers/ridgeview-wsq.thumbnailer (each atomically, and only when
// its content differs), then runs update-mime-database <dataHome>/mime and update-desktop-database
// <dataHome>/applications when the files changed or the WSQ type is not yet compiled, and
// when those tools are installed. False when a file cannot be written (or there is no data
// folder); a missing or failing tool is not an error.
bool InstallDesktopIntegration(const std::string& programPath, const XdgDirs& dirs);

// Installs only when ridgeview.desktop, the MIME package or (with the tool beside the
// program) the thumbnailer is missing: what the program calls once at start. True when they
// exist afterwards.
bool EnsureDesktopIntegration(const std::string& programPath, const XdgDirs& dirs);
bool EnsureDesktopIntegration(const std::string& programPath);  // from the environment

}  // namespace ridgeview::platform
