// Bringing the running instance's window to the front when a later start asks for it.
#pragma once

class QWidget;

namespace ridgeview::platform {

// Raises and activates `window`'s top-level window:
//   - a minimised window is restored to the state it had before (full screen stays full
//     screen, maximised stays maximised; a plain showNormal would drop full screen while the
//     frame still believes it is on);
//   - then raise() and activateWindow().
// Returns false, and changes nothing, when there is no window or it is hidden (a frame that
// is not shown yet cannot be brought forward; the caller retries later). Whether the window
// manager grants the focus cannot be known here: true means the request was made.
bool RaiseAndActivate(QWidget* window);

}  // namespace ridgeview::platform
