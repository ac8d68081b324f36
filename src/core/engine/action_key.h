#pragma once
// A stable English key per change-log row, for machine readers: the German
// texts may change with the display, the keys never do.
#include <string_view>

#include "core/engine/change_log.h"

namespace tavrek::engine {

// The key of a row: its action's ("created", "renamed_from" ...), or for a
// status row, whose text is `text`, one by how the text begins ("start" ...).
std::string_view ActionKey(const LogRow& row, std::string_view text);

}  // namespace tavrek::engine
