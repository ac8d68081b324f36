#pragma once
// Which commands of a watch window can be used, and which boxes are ticked,
// decided in one place from what the window shows. The window applies the
// result to its buttons and boxes in one refresh.
#include <map>

#include "core/engine/watch_options.h"

namespace tavrek::window {

// What the window shows at the moment.
struct WindowSituation {
  bool grouped = true;          // the grouped tree, not the simple overview
  bool treeNodeSelected = false;
  bool accessRowSelected = false;  // a row of the simple overview
  bool logRowSelected = false;
  bool watching = false;
  engine::WatchOptions options;
};

struct CommandState {
  bool enabled = true;
  bool checked = false;

  bool operator==(const CommandState&) const = default;
};

// The state of every command and option box of the window, by command id.
std::map<int, CommandState> CommandStates(const WindowSituation& situation);

// The option an option box (1101 to 1109) switches; nothing for another id.
int32_t* OptionOfBox(engine::WatchOptions& options, int boxId);

}  // namespace tavrek::window
