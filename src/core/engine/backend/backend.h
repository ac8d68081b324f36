#pragma once
// The narrow interface between a folder source and a kernel notification
// backend. A backend owns its kernel descriptors; the folder source owns the
// thread, the wake-up descriptor and the poll loop.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/backend_type.h"

namespace tavrek::engine {

// What happened to one name, as far as the kernel tells. Renames within the
// watched tree arrive paired (kRenamed with both paths); a move across the
// edge of the tree arrives as kMovedOut or kMovedIn.
enum class RawAction : uint8_t {
  kCreated,
  kDeleted,
  kMovedOut,
  kMovedIn,
  kRenamed,
  kModified,  // data written or truncated
  kAttrib,    // metadata changed (mode, owner, times, xattrs, links)
  kAccessed,  // data read
};

struct RawChange {
  RawAction action = RawAction::kCreated;
  bool isDirectory = false;
  // Found by scanning a directory (a new one, or every one after the kernel
  // lost events), not reported by the kernel.
  bool fromScan = false;
  // A scan's guess at a change (kAttrib) of a file untouched since it was made
  // after the last moment nothing was lost: only another file under the name
  // makes it a change.
  bool untouchedSinceMade = false;
  // A scan's kModified of a file whose size it saw unchanged: a write only.
  bool sameSize = false;
  std::string path;       // full path
  std::string oldPath;    // kRenamed: the path before
  int32_t pid = 0;        // process that made the change, 0 when unknown
  bool polled = false;    // found by a polling pass
};

struct BackendSettings {
  std::string folder;  // normalised, ends in exactly one "/"
  bool subtree = true;
  bool wantAccess = false;  // read events are costly; ask the kernel only when needed
  // Set by the owner to abandon a start that takes long (a walk over a whole
  // drive); Start then fails. May be null.
  const std::atomic<bool>* cancel = nullptr;
  // Polling: the interval asked for (it grows when passes are costly).
  std::chrono::milliseconds pollInterval{2000};
};

struct DrainResult {
  bool ended = false;         // the folder cannot be watched any more
  uint32_t overflows = 0;     // kernel queue overflows seen in this drain
  bool pendingPairs = false;  // a rename half waits for its other half
  // The kernel's watch limit left part of the tree unwatched; reported by the
  // first drain after it happened, once per backend.
  bool watchLimitReached = false;
  // Directories that could not be read when met (no permission): how many,
  // and the path of the first, once per drain.
  uint32_t deniedDirectories = 0;
  std::string firstDenied{};
  // The folder was read again after lost events; the changes from
  // `rescanBegin` on in the drain's output were found that way.
  bool rescanned = false;
  size_t rescanBegin = 0;
  // Polling: set by the first drain and whenever the interval in force
  // changed; the folders read by one pass.
  std::chrono::milliseconds pollInterval{0};
  uint32_t polledFolders = 0;
  uint32_t kernelFolders = 0;  // watched by the kernel beside the polled ones
  // What the drain read from the kernel queue, kept records and dropped ones
  // alike: how busy the queue is.
  size_t bytesRead = 0;
  // It read records, and all of them were about other folders (a mark that
  // sees the whole file system): someone else's burst.
  bool elsewhereOnly = false;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Sets up the watch of the folder. False (with a message) when the folder
  // cannot be watched at all.
  virtual bool Start(const BackendSettings& settings, std::string& error) = 0;

  // Descriptors to poll for input (the kernel queue, and for example the
  // mount table).
  virtual std::vector<int> PollFds() const = 0;

  // Reads and decodes everything readable now, without blocking.
  virtual DrainResult Drain(std::vector<RawChange>& out) = 0;

  // Called when no other half arrived in time: unpaired halves become moves
  // across the edge of the tree.
  virtual void FlushPendingPairs(std::vector<RawChange>& out) = 0;

  // Work that can wait until the rows of a drain are out, so that a lone
  // change's line is not held up by it; false when the watch has ended.
  virtual bool AfterPublish() { return true; }

  // After a failed Start: the per-user kernel limit (see kernel_limits.h)
  // that kept the folder from a kernel instance of its own; empty when
  // something else failed.
  virtual std::string_view limitReached() const { return {}; }

  // A descriptor that becomes readable when a record came that may be about
  // the folder, or -1: a reader pausing in a flood of other programs' records
  // waits on it to end the pause early. Set up when first asked for.
  virtual int PauseWakeFd() { return -1; }
  // Reads what made it readable; true when anything had come.
  virtual bool TakePauseWake() { return false; }
};

std::unique_ptr<Backend> MakeInotifyBackend();
std::unique_ptr<Backend> MakeFanotifyBackend();
std::unique_ptr<Backend> MakePollBackend();

// Whether this process may use fanotify with filesystem marks and name
// reporting for the folder (cached per process after the first probe).
bool FanotifyUsable(const std::string& folder);

// Automatic resolved to a concrete backend for the folder: polling where the
// kernel cannot see every change, else fanotify (or the capture helper) when
// reachable and the tree is not small, else inotify.
BackendType ResolveBackend(BackendType requested, const std::string& folder);
// The backend the folder would get if its tree's size did not count.
BackendType ReachableBackend(const std::string& folder);

}  // namespace tavrek::engine
