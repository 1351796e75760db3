// The start-up: whether a display is there, and RunApp's exit code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <thread>
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

// An X server that accepts connections and drops them at once, as one that is starting or
// stopping does: the display check passes (something listens), the toolkit then fails.
class DroppingXServer {
 public:
  DroppingXServer() {
    for (int number = 7400; number < 7500 && fd_ < 0; ++number) {
      const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::memcpy(address.sun_path + 1, name.data(), name.size());  // abstract name
      const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
      if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
          ::listen(fd, 8) == 0) {
        fd_ = fd;
        display_ = ":" + std::to_string(number);
      } else if (fd >= 0) {
        ::close(fd);
      }
    }
    if (fd_ >= 0) {
      thread_ = std::thread([fd = fd_] {
        for (;;) {
          const int client = ::accept(fd, nullptr, nullptr);
          if (client < 0) return;  // the listening socket was shut down
          ::close(client);
        }
      });
    }
  }
  ~DroppingXServer() {
    if (fd_ < 0) return;
    ::shutdown(fd_, SHUT_RDWR);
    thread_.join();
    ::close(fd_);
  }
  const std::string& display() const { return display_; }

 private:
  int fd_ = -1;
  std::string display_;
  std::thread thread_;
};

TEST(StartUp, ADisplayLostAfterTheCheckEndsWithStatusTwoAndAMessageNotAnAbort) {
  DroppingXServer server;
  ASSERT_FALSE(server.display().empty());
  ASSERT_EQ(DisplayProblem(Env({{"DISPLAY", server.display()}})), "");

  QTemporaryDir home;
  QProcess viewer;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("WAYLAND_DISPLAY");
  env.insert("DISPLAY", QString::fromStdString(server.display()));
  env.insert("XAUTHORITY", "/dev/null");
  env.insert("HOME", home.path());
  env.insert("RIDGEVIEW_CONFIG_DIR", home.path() + "/config");
  env.insert("XDG_RUNTIME_DIR", home.path());
  viewer.setProcessEnvironment(env);
  viewer.start(QStringLiteral(RIDGEVIEW_BINARY_DIR "/bin/ridgeview"), {});
  ASSERT_TRUE(viewer.waitForFinished(20000));
  const std::string errors = viewer.readAllStandardError().toStdString();
  EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit) << errors;
  EXPECT_EQ(viewer.exitCode(), kExitStatusNoDisplay) << errors;
  EXPECT_NE(errors.find("ridgeview: cannot connect to the X display \"" + server.display() +
                        "\""),
            std::string::npos)
      << errors;
  EXPECT_EQ(errors.find("no X server answers"), std::string::npos) << "the check itself passed";
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
