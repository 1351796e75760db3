// Whether the program can open a window at all, decided before the toolkit starts: the
// toolkit aborts the process when its display cannot be reached, and a user starting the
// viewer from a terminal without a display should read why instead.
#pragma once

#include <functional>
#include <string>

namespace ridgeview::app {

// Exit status of a start without a usable display (distinct from the statuses of
// platform/qt/instance/exit_status.h).
inline constexpr int kExitStatusNoDisplay = 2;

// Looks up an environment variable: its value, or nullptr when it is not set.
using EnvLookup = std::function<const char*(const char*)>;

// Why no window can be shown, or empty when a display looks usable:
//   - QT_QPA_PLATFORM set and not empty: the user chose the toolkit's platform; trusted;
//   - WAYLAND_DISPLAY set and not empty: a Wayland session; trusted;
//   - DISPLAY set and not empty: for a local X display (":N", ":N.S", "unix:N") the X
//     server's socket N must accept a connection, tried as the abstract socket and as the
//     file in `x11SocketFolder`; a remote display ("host:N") is left to the toolkit;
//   - otherwise there is no display.
std::string DisplayProblem(const EnvLookup& lookup,
                           const std::string& x11SocketFolder = "/tmp/.X11-unix");

// The same for the process environment.
std::string DisplayProblem();

// What to tell the user when the toolkit could not open the display after DisplayProblem
// found it usable (a server starting or stopping, a remote display that refuses): in the
// words of the check, for the display the environment names.
std::string DisplayLostProblem(const EnvLookup& lookup);

// Makes a fatal failure of the toolkit while it opens the display end the process with
// kExitStatusNoDisplay and DisplayLostProblem's message, instead of an abort with a core
// file. Call before constructing the QApplication; EndDisplayGuard() once it exists (later
// fatal messages are the toolkit's own again).
void BeginDisplayGuard();
void EndDisplayGuard();

}  // namespace ridgeview::app
