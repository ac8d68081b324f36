#include "core/window/command_states.h"

#include <gtest/gtest.h>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"

namespace tavrek::window {
namespace {

namespace cmd = app::command;
namespace id = app::control;

bool Enabled(const WindowSituation& situation, int command) {
  return CommandStates(situation).at(command).enabled;
}

TEST(CommandStatesTest, ExploreFollowsTheSelectionOfThePresentationShown) {
  struct Case {
    bool grouped, node, row, log;
    bool accessExplore, logExplore;
  };
  const Case cases[] = {
      {true, false, false, false, false, false},  // nothing selected
      {true, true, false, false, true, false},    // a node of the tree
      {true, false, true, false, false, false},   // a row of the hidden overview
      {false, true, false, false, false, false},  // a node of the hidden tree
      {false, false, true, true, true, true},
  };
  for (const Case& c : cases) {
    WindowSituation situation;
    situation.grouped = c.grouped;
    situation.treeNodeSelected = c.node;
    situation.accessRowSelected = c.row;
    situation.logRowSelected = c.log;
    const auto states = CommandStates(situation);
    for (int command : {cmd::kAccessExploreSelect, cmd::kAccessExplore}) {
      EXPECT_EQ(states.at(command).enabled, c.accessExplore) << c.grouped << c.node << c.row;
    }
    for (int command : {cmd::kLogExploreSelect, cmd::kLogExplore}) {
      EXPECT_EQ(states.at(command).enabled, c.logExplore);
    }
    for (int command : {cmd::kStartStop, cmd::kAccessView, cmd::kAccessReset, cmd::kLogReset,
                        cmd::kAccessExport, cmd::kLogExport, cmd::kFolderMenu}) {
      EXPECT_TRUE(states.at(command).enabled) << command;
    }
  }
}

TEST(CommandStatesTest, BoxesShowTheOptionsAndStartStopTheWatch) {
  WindowSituation situation;
  situation.options.size = 0;
  situation.options.subtree = 0;
  situation.watching = true;
  const auto states = CommandStates(situation);
  for (int box = id::kBoxCreation; box <= id::kBoxSubtree; ++box) {
    const bool off = box == id::kBoxSize || box == id::kBoxSubtree;
    EXPECT_EQ(states.at(box), (CommandState{true, !off})) << box;
  }
  EXPECT_TRUE(states.at(cmd::kStartStop).checked);
  EXPECT_FALSE(Enabled(WindowSituation{}, cmd::kLogExplore));
}

TEST(CommandStatesTest, EveryBoxSwitchesItsOwnOption) {
  for (int box = id::kBoxCreation; box <= id::kBoxSubtree; ++box) {
    engine::WatchOptions options;
    *OptionOfBox(options, box) = 0;
    engine::WatchOptions expected;
    int cleared = 0;
    for (int other = id::kBoxCreation; other <= id::kBoxSubtree; ++other) {
      cleared += *OptionOfBox(options, other) == 0 ? 1 : 0;
    }
    EXPECT_EQ(cleared, 1) << box;
    EXPECT_NE(options, expected);
  }
  engine::WatchOptions options;
  EXPECT_EQ(OptionOfBox(options, id::kStartStop), nullptr);
}

}  // namespace
}  // namespace tavrek::window
