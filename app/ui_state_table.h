// The command-state table: for each command whose state is shown, whether it is enabled and
// whether it carries a check mark, and the places that show it. Any part of the program
// enables or checks a command here by identifier; the frame mirrors every change onto its
// actions, tool-bar buttons and the zoom slider (see MainFrame).
//
// Plain C++: the table knows nothing of widgets, so its rules are tested on their own.
#pragma once

#include <functional>
#include <span>
#include <vector>

namespace ridgeview::app {

// Where a command is shown; an entry's places are a sum of these.
enum UiPlace : unsigned {
  kUiPopupMenu = 1,     // items of the Options menu and the context menu
  kUiChildControl = 4,  // a control on the tool bar: enabling it enables the control itself
  kUiMenuBar = 8,       // a button of the tool bar
};

struct UiStateEntry {
  int id = 0;
  unsigned places = 0;
  bool enabled = true;
  bool checked = false;
};

class UiStateTable {
 public:
  // The frame's entries: Copy, Paste, Save, Properties (popup menus and tool bar), Full
  // Screen, ScrollBars, Title bar, Exact pixels (popup menus) and Zoom Track (the slider).
  // All start enabled and unchecked.
  UiStateTable();

  // Records a state. Identifiers without an entry are ignored (false). The listener runs
  // only when the state actually changed.
  bool Enable(int id, bool enabled);
  bool SetCheck(int id, bool checked);

  // Recorded state; a command without an entry counts as enabled and unchecked.
  bool IsEnabled(int id) const;
  bool IsChecked(int id) const;
  const UiStateEntry* Find(int id) const;
  std::span<const UiStateEntry> Entries() const { return entries_; }

  // Called with the entry after each change (one listener; an empty function removes it).
  void SetListener(std::function<void(const UiStateEntry&)> listener);

 private:
  UiStateEntry* FindMutable(int id);
  std::vector<UiStateEntry> entries_;
  std::function<void(const UiStateEntry&)> listener_;
};

}  // namespace ridgeview::app
