// ridgeview-install-desktop [PROGRAM]: installs (or refreshes) ridgeview.desktop, whose Exec
// starts PROGRAM, and the image/x-wsq MIME type in the user's data folder
// ($XDG_DATA_HOME, or ~/.local/share), then updates the user's MIME and desktop databases.
// PROGRAM defaults to the `ridgeview` beside this tool. Nothing outside the home is touched.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop/desktop_install.h"

namespace {

std::string Absolute(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string DefaultProgram() {
  const std::string self = Absolute("/proc/self/exe");
  const std::size_t slash = self.rfind('/');
  if (slash == std::string::npos) return {};
  return self.substr(0, slash + 1) + "ridgeview";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: ridgeview-install-desktop [PROGRAM]\n");
    return 2;
  }
  const std::string given = argc == 2 ? argv[1] : DefaultProgram();
  const std::string program = Absolute(given);
  if (program.empty()) {
    std::fprintf(stderr, "ridgeview-install-desktop: no program at %s\n", given.c_str());
    return 1;
  }
  const ridgeview::platform::XdgDirs dirs = ridgeview::platform::ResolveXdgDirs();
  if (!ridgeview::platform::InstallDesktopIntegration(program, dirs)) {
    std::fprintf(stderr, "ridgeview-install-desktop: cannot write into %s\n",
                 dirs.dataHome.empty() ? "the data folder" : dirs.dataHome.c_str());
    return 1;
  }
  std::printf("Installed %s/applications/%s for %s\n", dirs.dataHome.c_str(),
              ridgeview::platform::kRidgeviewDesktopId, program.c_str());
  return 0;
}
