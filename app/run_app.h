// Running the viewer once the toolkit is up: creating the main frame, serving the hand-over
// of later starts, and the event loop.
#pragma once

#include <QString>

namespace ridgeview::platform {
class HandOverServer;
}

namespace ridgeview::app {

class MainFrame;

// Creates the main frame with the real services (the user's settings store, message boxes,
// file dialogs, picture loader, clipboard) and `commandLine` as the file to open, shows it,
// answers later starts when this process holds the instance lock (their files open at zoom
// 1.00, centred; their activation requests raise the window), and runs the event loop.
// Returns the loop's exit code, 1 once the frame has closed, or 0 when the frame cannot be
// created. The QApplication must exist.
int RunApp(const QString& commandLine);

// Serves later starts with `frame`: an open request is answered as soon as it arrived and its
// file opens afterwards, from the event loop (at zoom 1.00, centred), so that a message box
// about the file never holds the later start; an activation request raises the window and is
// answered with whether that could be asked for.
void ServeHandOver(platform::HandOverServer& server, MainFrame& frame);

}  // namespace ridgeview::app
