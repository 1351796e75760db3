// A scratch desktop for tests: a fresh folder with a home (config and data), a system data
// folder and a system config folder, desktop entries, MIME types and default lists, and an
// environment lookup that points into it. Plain C++: the desktop tests need no Qt.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/registry/registry_location.h"

namespace ridgeview::platform::testing {

// A new private folder under the system's temporary folder.
std::string MakeTempFolder();

// Writes a file, creating its folders. Mode 0644, or 0755 when executable.
void WriteFile(const std::string& path, const std::string& text, bool executable = false);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// A scratch desktop below a fresh folder: home (config and data), a system data folder
// sys/ and a system config folder etc/, with its own environment lookup.
class ScratchDesktop {
 public:
  ScratchDesktop();
  ~ScratchDesktop();

  const std::string& Root() const { return root_; }
  std::string ConfigHome() const { return root_ + "/home/.config"; }
  std::string DataHome() const { return root_ + "/home/.local/share"; }
  std::string SystemData() const { return root_ + "/sys"; }
  std::string SystemConfig() const { return root_ + "/etc"; }
  std::string UserList() const { return ConfigHome() + "/mimeapps.list"; }

  platform::EnvironmentLookup Lookup() const;
  void Set(const std::string& name, const std::string& value) { env_[name] = value; }

  // Lists the MIME types in the system's compiled database (sys/mime/types).
  void KnownTypes(const std::vector<std::string>& types);
  // An executable program at <root>/bin/<name>; returns its path.
  std::string Program(const std::string& name);
  // A desktop entry `id` in <folder>/applications.
  void Entry(const std::string& folder, const std::string& id, const std::string& exec,
             const std::string& mimeTypes, const std::string& extra = "");
  // [Default Applications] mime=ids in the given mimeapps.list.
  void Default(const std::string& listPath, const std::string& mime, const std::string& ids);

  // `xdg-mime query default <mime>` in this desktop's environment ("" when it finds none).
  std::string XdgMimeDefault(const std::string& mime) const;

 private:
  std::string root_;
  std::map<std::string, std::string> env_;
};

}  // namespace ridgeview::platform::testing
