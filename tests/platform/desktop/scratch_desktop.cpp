#include "platform/desktop/scratch_desktop.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ridgeview::platform::testing {

namespace fs = std::filesystem;

std::string MakeTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "rvdesk-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

void WriteFile(const std::string& path, const std::string& text, bool executable) {
  fs::create_directories(fs::path(path).parent_path());
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  chmod(path.c_str(), executable ? 0755 : 0644);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

ScratchDesktop::ScratchDesktop() : root_(MakeTempFolder()) {
  env_["HOME"] = root_ + "/home";
  env_["XDG_CONFIG_HOME"] = ConfigHome();
  env_["XDG_DATA_HOME"] = DataHome();
  env_["XDG_CONFIG_DIRS"] = SystemConfig();
  env_["XDG_DATA_DIRS"] = SystemData();
  env_["PATH"] = "/usr/local/bin:/usr/bin:/bin";
  fs::create_directories(ConfigHome());
  fs::create_directories(DataHome() + "/applications");
  fs::create_directories(SystemData() + "/applications");
  fs::create_directories(SystemConfig());
}

ScratchDesktop::~ScratchDesktop() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

platform::EnvironmentLookup ScratchDesktop::Lookup() const {
  return [this](const char* name) -> const char* {
    const auto it = env_.find(name);
    return it == env_.end() ? nullptr : it->second.c_str();
  };
}

void ScratchDesktop::KnownTypes(const std::vector<std::string>& types) {
  std::string text;
  for (const std::string& type : types) text += type + "\n";
  WriteFile(SystemData() + "/mime/types", text);
}

std::string ScratchDesktop::Program(const std::string& name) {
  const std::string path = root_ + "/bin/" + name;
  WriteFile(path, "#!/bin/sh\nexit 0\n", true);
  return path;
}

void ScratchDesktop::Entry(const std::string& folder, const std::string& id,
                           const std::string& exec, const std::string& mimeTypes,
                           const std::string& extra) {
  std::string text = "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec + "\n";
  if (!mimeTypes.empty()) text += "MimeType=" + mimeTypes + "\n";
  text += extra;
  WriteFile(folder + "/applications/" + id, text);
}

void ScratchDesktop::Default(const std::string& listPath, const std::string& mime,
                             const std::string& ids) {
  std::string text = Exists(listPath) ? ReadFile(listPath) : std::string();
  if (text.find("[Default Applications]") == std::string::npos) text += "[Default Applications]\n";
  text += mime + "=" + ids + "\n";
  WriteFile(listPath, text);
}

std::string ScratchDesktop::XdgMimeDefault(const std::string& mime) const {
  std::string command = "env -i";
  for (const auto& [name, value] : env_) command += " " + name + "='" + value + "'";
  command += " xdg-mime query default '" + mime + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "<popen failed>";
  std::string out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace ridgeview::platform::testing
