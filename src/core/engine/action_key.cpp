#include "core/engine/action_key.h"

#include <array>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

// Indexed by StatusKind.
constexpr std::array<std::string_view, 10> kStatusKeys{
    "status",   "start",     "stop",         "inotify_fallback", "watch_limit",
    "overflow", "no_access", "rescan_start", "rescan_done",      "fanotify_refused",
};
static_assert(kStatusKeys.size() == static_cast<size_t>(StatusKind::kFanotifyRefused) + 1);

}  // namespace

std::string_view ActionKey(const ChangeLog& log, size_t index) {
  const LogRow& row = log.row(index);
  if (!row.isStatus()) return ActionKeyOf(row.action);
  return kStatusKeys[static_cast<size_t>(log.StatusKindOf(index))];
}

}  // namespace tavrek::engine
