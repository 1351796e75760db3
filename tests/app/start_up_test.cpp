// The start-up: whether a display is there, and RunApp's exit code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "app/display_check.h"
#include "app/main_frame.h"
#include "app/run_app.h"
#include "document/command_ids.h"
#include "platform/registry/registry_location.h"
#include "settings/view_settings.h"

namespace ridgeview::app {
namespace {

EnvLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const char* name) -> const char* {
    const auto it = vars.find(name);
    return it == vars.end() ? nullptr : it->second.c_str();
  };
}

// A listening Unix socket at `path`, closed when the object goes.
class Listener {
 public:
  explicit Listener(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
          ::listen(fd_, 1) == 0;
  }
  ~Listener() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return ok_; }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

TEST(DisplayCheck, SaysWhyNoWindowCanBeShown) {
  QTemporaryDir folder;
  const std::string sockets = folder.path().toStdString();

  EXPECT_NE(DisplayProblem(Env({}), sockets).find("no display"), std::string::npos);
  EXPECT_NE(DisplayProblem(Env({{"DISPLAY", ""}}), sockets), "");
  // The user's choice of platform, or a Wayland session, is trusted.
  EXPECT_EQ(DisplayProblem(Env({{"QT_QPA_PLATFORM", "offscreen"}}), sockets), "");
  EXPECT_EQ(DisplayProblem(Env({{"WAYLAND_DISPLAY", "wayland-0"}}), sockets), "");
  // A remote X display is left to the toolkit.
  EXPECT_EQ(DisplayProblem(Env({{"DISPLAY", "somehost:10.0"}}), sockets), "");

  // A local display whose server does not answer.
  const std::string problem = DisplayProblem(Env({{"DISPLAY", ":7319"}}), sockets);
  EXPECT_NE(problem.find("\":7319\""), std::string::npos) << problem;

  // ... and one that does, with a screen number and in the "unix:" form.
  Listener server(sockets + "/X7319");
  ASSERT_TRUE(server.ok());
  EXPECT_EQ(DisplayProblem(Env({{"DISPLAY", ":7319"}}), sockets), "");
  EXPECT_EQ(DisplayProblem(Env({{"DISPLAY", ":7319.0"}}), sockets), "");
  EXPECT_EQ(DisplayProblem(Env({{"DISPLAY", "unix:7319"}}), sockets), "");
  // Malformed numbers are not local displays.
  EXPECT_EQ(DisplayProblem(Env({{"DISPLAY", ":x"}}), sockets), "");
}

TEST(RunApp, ExitEndsTheLoopWithCodeOneAfterStoringTheSettings) {
  QTemporaryDir config;
  qputenv("RIDGEVIEW_CONFIG_DIR", config.path().toUtf8());
  bool exited = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* frame = qobject_cast<MainFrame*>(w)) {
        exited = frame->isVisible() && frame->OnCommand(document::command::kExit);
      }
    }
  });
  // A safety net: a frame that does not close must not hang the test.
  QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
  const int code = RunApp(QString::fromStdString(std::string(RIDGEVIEW_SOURCE_DIR) +
                                                 "/samples/fingerprint.wsq"));
  EXPECT_TRUE(exited);
  EXPECT_EQ(code, 1);

  auto registry = platform::OpenUserRegistry();
  const settings::ViewSettings stored = settings::ReadSettings(*registry);
  EXPECT_EQ(stored.imagePath, std::string(RIDGEVIEW_SOURCE_DIR) + "/samples/fingerprint.wsq");
  qunsetenv("RIDGEVIEW_CONFIG_DIR");
}

}  // namespace
}  // namespace ridgeview::app
