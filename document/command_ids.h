// Command identifiers shared by the menus, the tool bar, the accelerators, the command-state
// table and the document operations that enable commands.
#pragma once

namespace ridgeview::document::command {

inline constexpr int kOpen = 57601;        // "Open"
inline constexpr int kClose = 57602;       // "Close"
inline constexpr int kSave = 57603;        // "Save"
inline constexpr int kCopy = 57634;        // "Copy"
inline constexpr int kPaste = 57637;       // "Paste"
inline constexpr int kAbout = 57664;       // "About Ridgeview"
inline constexpr int kExit = 57665;        // no menu item; Ctrl+Q
inline constexpr int kFullScreen = 59392;  // "Full Screen"
inline constexpr int kTitleBar = 59393;    // "Title bar" (also the title bar's id)
inline constexpr int kScrollBars = 32802;  // "ScrollBars"
inline constexpr int kRegister = 32807;    // "Register"
inline constexpr int kProperties = 32774;  // "Properties"
inline constexpr int kZoomTrack = 32773;   // "Zoom Track": hosts the zoom slider
inline constexpr int kExactPixels = 32840; // "Exact pixels": picked, not averaged, reductions
inline constexpr int kZoomIn = 32841;      // no menu item; Ctrl + Plus: one magnifying step
inline constexpr int kZoomOut = 32842;     // no menu item; Ctrl + Minus: one reducing step
inline constexpr int kZoomOne = 32843;     // no menu item; Ctrl + 0: zoom 1.00
inline constexpr int kZoomFit = 32844;     // no menu item; Ctrl + 9: fit the image
inline constexpr int kNextImage = 32850;   // no menu item; Space
inline constexpr int kPreviousImage = 32851;  // no menu item; Backspace

}  // namespace ridgeview::document::command
