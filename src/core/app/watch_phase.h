#pragma once
// Where a watch window's watch stands, as the status bar tells it. The
// Start/Stop button keeps saying "Stop ...." after every folder of a watch
// has ended (deleted, unmounted), so the button alone cannot tell it.
#include "core/engine/watch_session.h"

namespace tavrek::app {

enum class WatchPhase {
  kStopped,  // not watching: never started, or stopped
  kRunning,  // some watcher still runs, or its last changes wait to be shown
  kEnded,    // started, but no folder is watched any more
};

WatchPhase PhaseOf(const engine::WatchSession& session);

}  // namespace tavrek::app
