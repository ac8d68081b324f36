#include "core/engine/action_key.h"

#include <array>
#include <utility>

#include "core/engine/action.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/source/status_notes.h"
#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

using KeyOfText = std::pair<std::string_view, std::string_view>;

// Status rows by how their text begins (most carry a number or a path).
constexpr std::array<KeyOfText, 8> kStatusKeys{{
    {kStatusInotifyFallback, "inotify_fallback"},
    {"Starte Überwachung", "start"},
    {kStatusStopping, "stop"},
    {kStatusWatchLimit, "watch_limit"},
    {kStatusOverflow, "overflow"},
    {kStatusNoAccess, "no_access"},
    {kStatusRescanStart, "rescan_start"},
    {"Neu eingelesen nach Überlauf", "rescan_done"},
}};

}  // namespace

std::string_view ActionKey(const LogRow& row, std::string_view text) {
  if (!row.isStatus()) return ActionKeyOf(row.action);
  for (const auto& [prefix, key] : kStatusKeys) {
    if (text.starts_with(prefix)) return key;
  }
  return "status";
}

}  // namespace tavrek::engine
