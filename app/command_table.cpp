#include "app/command_table.h"

#include "document/command_ids.h"

namespace ridgeview::app {

namespace {

namespace cmd = document::command;

// Return and F11, which the About box names, toggle full screen.
constexpr CommandInfo kCommands[] = {
    {cmd::kFullScreen, "Full Screen", "", {"Return", "F11", ""}},
    {cmd::kScrollBars, "ScrollBars", "", {"", "", ""}},
    {cmd::kTitleBar, "Title bar", "", {"", "", ""}},
    {cmd::kRegister, "Register", "", {"", "", ""}},
    {cmd::kProperties, "Properties", "Image, file and view informations", {"", "", ""}},
    {cmd::kAbout, "About Ridgeview", "Ridgeview information", {"", "", ""}},
    {cmd::kOpen, "Open", "Select and view an image", {"Ctrl+O", "", ""}},
    {cmd::kSave, "Save", "Save the current image", {"Ctrl+S", "", ""}},
    {cmd::kClose, "Close", "Stop viewing current image", {"", "", ""}},
    {cmd::kCopy, "Copy", "Copy the zoomed image to the clipboard", {"Ctrl+C", "Ctrl+Ins", ""}},
    {cmd::kPaste, "Paste", "View image in clipboard", {"Ctrl+V", "Shift+Ins", ""}},
    {cmd::kZoomTrack, "Zoom Track", "Zoom in and out", {"", "", ""}},
    {cmd::kExactPixels, "Exact pixels", "Reduce by picking pixels instead of averaging them",
     {"", "", ""}},
    {cmd::kZoomIn, "", "Magnify one step\nZoom In", {"Ctrl++", "Ctrl+=", ""}},
    {cmd::kZoomOut, "", "Reduce one step\nZoom Out", {"Ctrl+-", "", ""}},
    {cmd::kZoomOne, "", "Show the image pixel for pixel\nActual Size", {"Ctrl+0", "", ""}},
    {cmd::kZoomFit, "", "Fit the image into the view\nFit", {"Ctrl+9", "", ""}},
    {cmd::kExit, "", "Quit the application; prompts to save documents\nExit", {"Ctrl+Q", "", ""}},
    {cmd::kNextImage, "", "View the next image of the folder\nNext Image", {"Space", "", ""}},
    {cmd::kPreviousImage, "", "View the previous image of the folder\nPrevious Image",
     {"Backspace", "", ""}},
};

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo* FindCommand(int id) {
  for (const CommandInfo& c : kCommands) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::string ToolTipOf(const CommandInfo& command) {
  const std::string_view text = command.statusText;
  return std::string(text.substr(0, text.find('\n')));
}

}  // namespace ridgeview::app
