// Running the viewer once the toolkit is up: creating the main frame, serving the hand-over
// of later starts, and the event loop.
#pragma once

#include <QString>

namespace ridgeview::app {

// Creates the main frame with the real services (the user's settings store, message boxes,
// file dialogs, picture loader, clipboard) and `commandLine` as the file to open, shows it,
// answers later starts when this process holds the instance lock (their files open at zoom
// 1.00, centred; their activation requests raise the window), and runs the event loop.
// Returns the loop's exit code, 1 once the frame has closed, or 0 when the frame cannot be
// created. The QApplication must exist.
int RunApp(const QString& commandLine);

}  // namespace ridgeview::app
