// The command table and the command-state table, without widgets.
#include <gtest/gtest.h>

#include <set>

#include "app/command_table.h"
#include "app/ui_state_table.h"
#include "document/command_ids.h"

namespace ridgeview::app {
namespace {

namespace cmd = document::command;

TEST(CommandTable, EveryCommandIsListedOnceWithItsTexts) {
  std::set<int> ids;
  for (const CommandInfo& c : Commands()) EXPECT_TRUE(ids.insert(c.id).second) << c.id;
  for (int id : {cmd::kOpen, cmd::kClose, cmd::kSave, cmd::kCopy, cmd::kPaste, cmd::kAbout,
                 cmd::kExit, cmd::kFullScreen, cmd::kTitleBar, cmd::kScrollBars, cmd::kRegister,
                 cmd::kProperties, cmd::kZoomTrack}) {
    EXPECT_NE(FindCommand(id), nullptr) << id;
  }
  EXPECT_EQ(FindCommand(12345), nullptr);
  EXPECT_EQ(ToolTipOf(*FindCommand(cmd::kClose)), "Stop viewing current image");
  // The Exit text's second line is a short name, not part of the tip.
  EXPECT_EQ(ToolTipOf(*FindCommand(cmd::kExit)),
            "Quit the application; prompts to save documents");
  EXPECT_EQ(FindCommand(cmd::kAbout)->menuText, "About Ridgeview");
}

TEST(UiStateTable, RecordsKnownCommandsAndReportsRealChangesOnly) {
  UiStateTable table;
  EXPECT_EQ(table.Entries().size(), 9u);
  EXPECT_EQ(table.Find(cmd::kExactPixels)->places, unsigned{kUiPopupMenu});
  EXPECT_EQ(table.Find(cmd::kCopy)->places, unsigned{kUiPopupMenu | kUiMenuBar});
  EXPECT_EQ(table.Find(cmd::kFullScreen)->places, unsigned{kUiPopupMenu});
  EXPECT_EQ(table.Find(cmd::kZoomTrack)->places, unsigned{kUiChildControl});

  std::vector<std::pair<int, bool>> seen;
  table.SetListener([&](const UiStateEntry& e) { seen.emplace_back(e.id, e.enabled); });
  EXPECT_TRUE(table.Enable(cmd::kSave, false));
  EXPECT_TRUE(table.Enable(cmd::kSave, false));  // no change, no call
  EXPECT_TRUE(table.SetCheck(cmd::kTitleBar, true));
  EXPECT_FALSE(table.Enable(cmd::kOpen, false));  // not in the table: always enabled
  EXPECT_TRUE(table.IsEnabled(cmd::kOpen));
  EXPECT_FALSE(table.IsEnabled(cmd::kSave));
  EXPECT_TRUE(table.IsChecked(cmd::kTitleBar));
  EXPECT_FALSE(table.IsChecked(cmd::kOpen));
  EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{cmd::kSave, false},
                                                     {cmd::kTitleBar, true}}));
}

}  // namespace
}  // namespace ridgeview::app
