#pragma once
// The kernel side of one watched folder: one thread that reads the folder's
// kernel notification source, decodes what it reads into change events of the
// running watcher kinds and pushes them, one batch per read, to the session's
// queue. The seven watchers of a folder share it.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "core/engine/backend_type.h"
#include "core/engine/event_queue.h"
#include "core/engine/source/folder_coverage.h"
#include "core/engine/watch_options.h"

namespace tavrek::engine {

struct FolderSourceSettings {
  std::string folder;  // normalised: ends in exactly one "/"
  bool subtree = true;
  KindSet kinds{};  // watchers that run; events of other kinds are never produced
  BackendType backend = BackendType::Automatic;
  std::chrono::milliseconds pollInterval{2000};  // when the folder is polled
  uint64_t generation = 0;  // copied into every batch
};

class FolderSource {
 public:
  virtual ~FolderSource() = default;  // requests the stop and joins the thread

  // Starts the thread and returns at once; the folder is opened by the thread.
  // When it cannot be watched (or stops being watchable), the thread pushes one
  // "Abbruch" event per running kind and ends.
  static std::unique_ptr<FolderSource> Start(FolderSourceSettings settings,
                                             std::shared_ptr<EventQueue> queue);

  // Never blocks: wakes the thread, which ends promptly and pushes nothing more.
  virtual void RequestStop() = 0;
  // True once the thread has ended (after a stop or an "Abbruch").
  virtual bool Finished() const = 0;
  // The backend actually in use (Automatic resolved).
  virtual BackendType backend() const = 0;
  // True once the initial watches are set up (or the source has ended).
  virtual bool Ready() const = 0;
  // How the folder is watched, as far as told yet.
  virtual FolderCoverage coverage() const = 0;
};

}  // namespace tavrek::engine
