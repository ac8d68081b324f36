#include "core/app/watch_phase.h"

namespace tavrek::app {

// A folder's end row is handed over before its watchers count as ended, so
// pending changes keep the watch running until they are shown.
WatchPhase PhaseOf(const engine::WatchSession& session) {
  if (!session.watching()) return WatchPhase::kStopped;
  if (session.RunningWatcherCount() > 0 || session.HasPendingEvents()) return WatchPhase::kRunning;
  return WatchPhase::kEnded;
}

}  // namespace tavrek::app
