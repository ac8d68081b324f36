#pragma once
// A stable English key per change-log row, for machine readers: the German
// texts may change with the display, the keys never do.
#include <string_view>

#include "core/engine/change_log.h"

namespace tavrek::engine {

// The key of a row: its action's ("created", "renamed_from" ...) or its
// status kind's ("start", "overflow" ...).
std::string_view ActionKey(const ChangeLog& log, size_t index);

}  // namespace tavrek::engine
