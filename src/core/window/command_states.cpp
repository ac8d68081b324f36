#include "core/window/command_states.h"

#include "core/app/command_ids.h"
#include "core/engine/option_table.h"

namespace tavrek::window {
namespace {

namespace cmd = app::command;

}  // namespace

int32_t* OptionOfBox(engine::WatchOptions& options, int boxId) {
  const engine::WatchOption* option = engine::FindOptionByBox(boxId);
  return option ? &(options.*option->flag) : nullptr;
}

std::map<int, CommandState> CommandStates(const WindowSituation& situation) {
  std::map<int, CommandState> states;
  for (int command : {cmd::kFolderMenu, cmd::kStartStop, cmd::kAccessView, cmd::kAccessReset,
                      cmd::kAccessExport, cmd::kLogReset, cmd::kLogExport, cmd::kLogFilterMenu}) {
    states[command] = {};
  }
  states[cmd::kStartStop].checked = situation.watching;
  // Explore needs a path: the selected node or row of the presentation shown.
  const bool accessSelected =
      situation.grouped ? situation.treeNodeSelected : situation.accessRowSelected;
  states[cmd::kAccessExploreSelect] = {accessSelected, false};
  states[cmd::kAccessExplore] = {accessSelected, false};
  states[cmd::kLogExploreSelect] = {situation.logRowSelected, false};
  states[cmd::kLogExplore] = {situation.logRowSelected, false};

  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    states[option.boxId] = {true, situation.options.*option.flag != 0};
  }
  return states;
}

}  // namespace tavrek::window
