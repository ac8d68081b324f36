#include "core/window/command_states.h"

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"

namespace tavrek::window {
namespace {

namespace cmd = app::command;
namespace id = app::control;

}  // namespace

int32_t* OptionOfBox(engine::WatchOptions& options, int boxId) {
  switch (boxId) {
    case id::kBoxCreation: return &options.creation;
    case id::kBoxAccess: return &options.access;
    case id::kBoxWrite: return &options.write;
    case id::kBoxSize: return &options.size;
    case id::kBoxAttributes: return &options.attributes;
    case id::kBoxRename: return &options.rename;
    case id::kBoxDelete: return &options.remove;
    case id::kBoxSecurity: return &options.security;
    case id::kBoxSubtree: return &options.subtree;
    default: return nullptr;
  }
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

  engine::WatchOptions options = situation.options;
  for (int box = cmd::kFirstOptionBox; box <= cmd::kLastOptionBox; ++box) {
    states[box] = {true, *OptionOfBox(options, box) != 0};
  }
  return states;
}

}  // namespace tavrek::window
