#include "app/ui_state_table.h"

#include <utility>

#include "document/command_ids.h"

namespace ridgeview::app {

namespace cmd = document::command;

UiStateTable::UiStateTable()
    : entries_{
          {cmd::kCopy, kUiPopupMenu | kUiMenuBar},
          {cmd::kPaste, kUiPopupMenu | kUiMenuBar},
          {cmd::kSave, kUiPopupMenu | kUiMenuBar},
          {cmd::kProperties, kUiPopupMenu | kUiMenuBar},
          {cmd::kFullScreen, kUiPopupMenu},
          {cmd::kScrollBars, kUiPopupMenu},
          {cmd::kTitleBar, kUiPopupMenu},
          {cmd::kExactPixels, kUiPopupMenu},
          {cmd::kZoomTrack, kUiChildControl},
      } {}

UiStateEntry* UiStateTable::FindMutable(int id) {
  for (UiStateEntry& e : entries_) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

const UiStateEntry* UiStateTable::Find(int id) const {
  for (const UiStateEntry& e : entries_) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

bool UiStateTable::Enable(int id, bool enabled) {
  UiStateEntry* e = FindMutable(id);
  if (e == nullptr) return false;
  if (e->enabled != enabled) {
    e->enabled = enabled;
    if (listener_) listener_(*e);
  }
  return true;
}

bool UiStateTable::SetCheck(int id, bool checked) {
  UiStateEntry* e = FindMutable(id);
  if (e == nullptr) return false;
  if (e->checked != checked) {
    e->checked = checked;
    if (listener_) listener_(*e);
  }
  return true;
}

bool UiStateTable::IsEnabled(int id) const {
  const UiStateEntry* e = Find(id);
  return e == nullptr || e->enabled;
}

bool UiStateTable::IsChecked(int id) const {
  const UiStateEntry* e = Find(id);
  return e != nullptr && e->checked;
}

void UiStateTable::SetListener(std::function<void(const UiStateEntry&)> listener) {
  listener_ = std::move(listener);
}

}  // namespace ridgeview::app
