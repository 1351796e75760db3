#include "platform/desktop/desktop_install.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "base/atomic_file.h"
#include "platform/desktop/default_application.h"
#include "platform/desktop/desktop_entry.h"
#include "platform/desktop/run_tool.h"

namespace ridgeview::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// Writes `text` to `path` unless the file already holds exactly that. `changed` tells
// whether it was written.
bool WriteIfDifferent(const std::string& path, const std::string& text, bool& changed) {
  changed = false;
  std::string old;
  if (ReadSmallFile(path, old, 1u << 20) && old == text) return true;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!base::WriteFileAtomically(path, {bytes, text.size()})) return false;
  changed = true;
  return true;
}

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  std::string escapedPercent;
  for (char c : argument) {
    escapedPercent.push_back(c);
    if (c == '%') escapedPercent.push_back('%');
  }
  if (argument.find_first_of(kReserved) == std::string_view::npos) return escapedPercent;
  std::string quoted = "\"";
  for (char c : escapedPercent) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

std::string RidgeviewDesktopEntryText(const std::string& programPath) {
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Version=1.0\n"
      "Name=Ridgeview\n"
      "GenericName=Image Viewer\n"
      "Comment=View WSQ fingerprint images and other pictures\n";
  text += "Exec=" + EscapeDesktopValue(QuoteExecArgument(programPath) + " %f") + "\n";
  text +=
      "Icon=image-x-generic\n"
      "Terminal=false\n"
      "Categories=Graphics;Viewer;\n"
      "MimeType=image/x-wsq;image/bmp;image/jpeg;image/png;image/gif;\n";
  return text;
}

std::string WsqThumbnailerText(const std::string& toolPath) {
  return "[Thumbnailer Entry]\n"
         "TryExec=" + EscapeDesktopValue(toolPath) + "\n"
         "Exec=" + EscapeDesktopValue(QuoteExecArgument(toolPath) + " thumbnail -s %s %i %o") +
         "\n"
         "MimeType=image/x-wsq;\n";
}

std::string ThumbnailToolBeside(const std::string& programPath) {
  const fs::path tool = fs::path(programPath).parent_path() / kThumbnailToolName;
  return ::access(tool.c_str(), X_OK) == 0 ? tool.string() : std::string();
}

std::string WsqMimePackageText() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"image/x-wsq\">\n"
         "    <comment>WSQ Image</comment>\n"
         "    <acronym>WSQ</acronym>\n"
         "    <expanded-acronym>Wavelet Scalar Quantization</expanded-acronym>\n"
         "    <generic-icon name=\"image-x-generic\"/>\n"
         "    <magic priority=\"50\">\n"
         "      <match type=\"big16\" value=\"0xffa0\" offset=\"0\"/>\n"
         "    </magic>\n"
         "    <glob pattern=\"*.wsq\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

bool InstallDesktopIntegration(const std::string& programPath, const XdgDirs& dirs) {
  if (dirs.dataHome.empty() || programPath.empty()) return false;
  const std::string applications = dirs.dataHome + "/applications";
  const std::string mime = dirs.dataHome + "/mime";
  bool desktopChanged = false;
  bool mimeChanged = false;
  bool thumbnailerChanged = false;
  const std::string tool = ThumbnailToolBeside(programPath);
  if (!WriteIfDifferent(applications + "/" + kRidgeviewDesktopId,
                        RidgeviewDesktopEntryText(programPath), desktopChanged) ||
      !WriteIfDifferent(mime + "/packages/" + kWsqMimePackage, WsqMimePackageText(),
                        mimeChanged) ||
      (!tool.empty() && !WriteIfDifferent(dirs.dataHome + "/thumbnailers/" + kWsqThumbnailer,
                                          WsqThumbnailerText(tool), thumbnailerChanged))) {
    return false;
  }
  XdgDirs userOnly;
  userOnly.dataHome = dirs.dataHome;
  if (mimeChanged || !IsKnownMimeType(kWsqMimeType, userOnly)) {
    RunTool({"update-mime-database", mime});
  }
  if (desktopChanged) RunTool({"update-desktop-database", applications});
  return true;
}

bool EnsureDesktopIntegration(const std::string& programPath, const XdgDirs& dirs) {
  if (dirs.dataHome.empty()) return false;
  const std::string desktop = dirs.dataHome + "/applications/" + kRidgeviewDesktopId;
  const std::string package = dirs.dataHome + "/mime/packages/" + kWsqMimePackage;
  const std::string thumbnailer = dirs.dataHome + "/thumbnailers/" + kWsqThumbnailer;
  std::error_code ec;
  if (fs::exists(desktop, ec) && fs::exists(package, ec) &&
      (ThumbnailToolBeside(programPath).empty() || fs::exists(thumbnailer, ec))) {
    return true;
  }
  return InstallDesktopIntegration(programPath, dirs);
}

bool EnsureDesktopIntegration(const std::string& programPath) {
  return EnsureDesktopIntegration(programPath, ResolveXdgDirs());
}

}  // namespace ridgeview::platform
