// The frame's commands as data: identifier, menu text, status text and keys of every command
// the menus, the tool bar and the keyboard can issue. The frame builds its actions from this
// table, so a text or a key is changed here and nowhere else.
//
// Identifiers are those of document/command_ids.h. Texts are used exactly as written.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace ridgeview::app {

struct CommandInfo {
  int id = 0;
  // Text of the command's menu items; empty for a command without one (Exit).
  std::string_view menuText;
  // The status text: what the command does. A second line after '\n' is the short name
  // the original menus used as the tool tip of a button without text; the first line is
  // what the tool bar shows as its tool tip. Empty when the command has none.
  std::string_view statusText;
  // Key sequences in QKeySequence's portable text form ("Ctrl+O"), at most three.
  std::string_view keys[3];
};

// Every command, in the order the commands are listed for users (menus first).
std::span<const CommandInfo> Commands();

// The entry of `id`, or null for an identifier that is not a command.
const CommandInfo* FindCommand(int id);

// The first line of a status text: the tool tip of a tool-bar button.
std::string ToolTipOf(const CommandInfo& command);

// Keys that leave full screen without toggling it (the desktop's usual Esc); active only while
// the frame is full screen so that Esc keeps its meaning everywhere else.
inline constexpr std::string_view kLeaveFullScreenKey = "Esc";

}  // namespace ridgeview::app
