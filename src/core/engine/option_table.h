#pragma once
// The nine watch options in one table: the switch each one is, its name on
// tavrek-watch's command line, its key in a watch-setup document and the id of
// its check box in the watch window, which also names the box's stored state.
#include <array>
#include <string_view>

#include "core/engine/watch_options.h"

namespace tavrek::engine {

struct WatchOption {
  int32_t WatchOptions::*flag;
  std::string_view consoleName;  // "--no-NAME", and a name in "--only LIST"
  std::string_view documentKey;  // the key in a document's "[Optionen]"
  int boxId;
};

// In the order a document writes its option lines.
extern const std::array<WatchOption, 9> kWatchOptionTable;

// The option of that name or box; nothing for another one.
const WatchOption* FindOptionByConsoleName(std::string_view name);
const WatchOption* FindOptionByBox(int boxId);

}  // namespace tavrek::engine
