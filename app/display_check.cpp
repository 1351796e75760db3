#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QString>
#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace ridgeview::app {

namespace {

bool IsSet(const EnvLookup& lookup, const char* name) {
  const char* v = lookup(name);
  return v != nullptr && v[0] != '\0';
}

// The display number of a local X display name (":0", ":1.0", "unix:2"), or none for a
// remote one or a name that is not a display.
std::optional<unsigned> LocalDisplayNumber(std::string_view name) {
  if (name.starts_with("unix:")) {
    name.remove_prefix(4);
  }
  if (name.empty() || name[0] != ':') return std::nullopt;
  name.remove_prefix(1);
  unsigned number = 0;
  std::size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') {
    if (number > 99999) return std::nullopt;
    number = number * 10 + static_cast<unsigned>(name[digits] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (digits < name.size() && name[digits] != '.') return std::nullopt;
  return number;
}

// Connects to a Unix socket (abstract when `abstract`) without blocking; true when a server
// listens there (a full backlog, EAGAIN, still means one is there: it is only busy).
bool CanConnect(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;  // abstract names start with a zero byte
  if (path.size() + offset >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address),
                           abstract ? length : static_cast<socklen_t>(sizeof(address)));
  const bool connected = rc == 0 || errno == EAGAIN;
  ::close(fd);
  return connected;
}

}  // namespace

std::string DisplayProblem(const EnvLookup& lookup, const std::string& x11SocketFolder) {
  if (IsSet(lookup, "QT_QPA_PLATFORM") || IsSet(lookup, "WAYLAND_DISPLAY")) return {};
  if (!IsSet(lookup, "DISPLAY")) {
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set, so no window can be "
           "opened (run it in a desktop session, or set QT_QPA_PLATFORM)";
  }
  const std::string display = lookup("DISPLAY");
  const std::optional<unsigned> number = LocalDisplayNumber(display);
  if (!number) return {};
  const std::string socket = x11SocketFolder + "/X" + std::to_string(*number);
  if (CanConnect(socket, true) || CanConnect(socket, false)) return {};
  return "cannot connect to the X display \"" + display + "\": no X server answers at " +
         socket;
}

std::string DisplayProblem() {
  return DisplayProblem([](const char* name) { return std::getenv(name); });
}

std::string DisplayLostProblem(const EnvLookup& lookup) {
  if (IsSet(lookup, "QT_QPA_PLATFORM")) {
    return std::string("cannot start the window system \"") + lookup("QT_QPA_PLATFORM") + "\"";
  }
  if (IsSet(lookup, "WAYLAND_DISPLAY")) {
    return std::string("cannot connect to the Wayland display \"") + lookup("WAYLAND_DISPLAY") +
           "\"";
  }
  const std::string display = IsSet(lookup, "DISPLAY") ? lookup("DISPLAY") : "";
  return "cannot connect to the X display \"" + display +
         "\": the X server refused or dropped the connection";
}

namespace {

QtMessageHandler previousHandler = nullptr;

void GuardHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (previousHandler != nullptr) {
      previousHandler(type, context, message);
    } else {
      std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    return;
  }
  const std::string problem =
      DisplayLostProblem([](const char* name) { return std::getenv(name); });
  std::fprintf(stderr, "ridgeview: %s\n", problem.c_str());
  std::fflush(stderr);
  // Nothing of the program has started yet: no settings, no lock file to keep consistent.
  std::_Exit(kExitStatusNoDisplay);
}

}  // namespace

void BeginDisplayGuard() { previousHandler = qInstallMessageHandler(GuardHandler); }

void EndDisplayGuard() { qInstallMessageHandler(previousHandler); }

}  // namespace ridgeview::app
