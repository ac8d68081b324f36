// Recursive inotify: one watch per directory of the tree, added for new
// directories as they appear, each new directory scanned at once so that
// entries made before its watch existed are reported too.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/inotify/directory_tree.h"
#include "core/engine/backend/inotify/directory_walker.h"
#include "core/engine/backend/inotify/inotify_decoder.h"
#include "core/engine/backend/kernel_limits.h"
#include "core/platform/mounts.h"
#include "core/engine/backend/inotify/scan_echoes.h"
#include "core/engine/backend/inotify/tree_rescan.h"
#include "core/engine/backend/poll/polled_trees.h"

namespace tavrek::engine {
namespace {

constexpr uint32_t kChangeEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB;
// Events of names unlinked but still open are of no interest; symbolic links
// and plain files are never watched as directories.
constexpr uint32_t kDirectoryMask = kChangeEvents | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
// The folder itself may be reached through a symbolic link; its own removal
// ends the watch.
constexpr uint32_t kRootMask =
    kChangeEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
// Directories above the folder: renaming or deleting one takes the folder's
// path away without telling the folder's own watch.
constexpr uint32_t kAncestorMask = IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR;
// One read takes this much: hundreds of records.
constexpr size_t kReadBufferSize = 64 * 1024;
constexpr size_t kLargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
// A drain stops after this many full reads so that a flood of changes still
// leaves room for publishing them and for a stop.
constexpr int kMaxReadsPerDrain = 64;
constexpr long kNanosecondsPerSecond = 1'000'000'000;

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

timespec NowLessLag() {
  timespec now = Now();
  now.tv_nsec -= kFileClockLagNanoseconds;
  if (now.tv_nsec < 0) {
    now.tv_nsec += kNanosecondsPerSecond;
    --now.tv_sec;
  }
  return now;
}

std::string ErrorText(const char* what, const std::string& folder, int code) {
  return std::string(what) + " " + folder + ": " + std::strerror(code);
}

class InotifyBackend final : public Backend, private DirectoryWatchHooks {
 public:
  ~InotifyBackend() override {
    walker_.reset();
    if (fd_ >= 0) close(fd_);
    if (instanceTaken_) ReturnInotifyInstance();
  }

  bool Start(const BackendSettings& settings, std::string& error) override;
  std::vector<int> PollFds() const override { return {fd_, polled_->fd()}; }
  DrainResult Drain(std::vector<RawChange>& out) override;
  void FlushPendingPairs(std::vector<RawChange>& out) override {
    if (decoder_) decoder_->FlushPendingMoves(out);
  }
  std::string_view limitReached() const override { return limitReached_; }

 private:
  void WatchDirectory(NodeId parent, std::string_view name, ScanMode mode,
                      std::vector<RawChange>& out) override {
    walker_->WatchAndWalk(parent, name, mode, out);
  }
  void RemoveWatches(std::span<const int32_t> watches) override;
  bool FolderMovedAway(int32_t wd) override;
  void WatchAncestors(const std::string& folder);
  void Rescan(std::vector<RawChange>& out, DrainResult& result);
  DirectoryWatchHooks& Hooks() { return *this; }
  // Directories beyond the watch limit are polled instead; `known`: their
  // present content was read silently, not newly found.
  void PollUnwatched(bool known);

  int fd_ = -1;
  bool instanceTaken_ = false;  // of this process's share
  std::string_view limitReached_;
  DirectoryTree tree_;
  ScanEchoes echoes_;
  std::unique_ptr<DirectoryWalker> walker_;
  std::unique_ptr<InotifyDecoder> decoder_;
  std::unique_ptr<TreeRescan> rescan_;
  // The last moment the kernel queue was read empty: nothing before it was
  // lost. Changes from then on may have been, when the queue overflowed.
  timespec quietTime_{};
  bool rescanPending_ = false;
  std::vector<std::byte> buffer_;
  bool limitReported_ = false;
  bool coverageTold_ = false;
  std::string folder_;
  dev_t folderDevice_ = 0;
  ino_t folderInode_ = 0;
  std::unordered_set<int32_t> ancestorWatches_;
  std::unique_ptr<PolledTrees> polled_;
};

bool InotifyBackend::Start(const BackendSettings& settings, std::string& error) {
  if (fd_ >= 0) {
    error = "already started";
    return false;
  }
  instanceTaken_ = TakeInotifyInstance();
  if (!instanceTaken_) {
    limitReached_ = kInotifyInstanceLimit;
    error = "inotify for " + settings.folder + ": half of the user's instances are taken";
    return false;
  }
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    const int reason = errno;
    limitReached_ = InstanceLimitRefusing(reason, kInotifyInstanceLimit);
    error = ErrorText("inotify_init1 for", settings.folder, reason);
    return false;
  }
  const int rootFd = open(settings.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0) {
    error = ErrorText("cannot open", settings.folder, errno);
    return false;
  }
  const uint32_t access = settings.wantAccess ? IN_ACCESS : 0;
  // With a subtree the walk asks for access events once it has read the tree.
  const uint32_t rootMask = kRootMask | (settings.subtree ? 0 : access);
  const int rootWd = inotify_add_watch(fd_, settings.folder.c_str(), rootMask);
  if (rootWd < 0) {
    error = ErrorText("cannot watch", settings.folder, errno);
    close(rootFd);
    return false;
  }
  struct stat status;
  if (fstat(rootFd, &status) == 0) {
    folderDevice_ = status.st_dev;
    folderInode_ = status.st_ino;
  }
  polled_ = std::make_unique<PolledTrees>(settings.pollInterval, settings.subtree,
                                          settings.cancel);
  if (!polled_->Open(error)) return false;
  folder_ = settings.folder;
  WatchAncestors(settings.folder);
  tree_.Reset(settings.folder, rootWd);
  WalkerSettings walk{fd_, kDirectoryMask, access, {}, settings.cancel, settings.subtree};
  if (settings.subtree) {
    walk.mountPoints = platform::MountPointsBelow(platform::ReadMounts(), settings.folder);
  }
  walker_ = std::make_unique<DirectoryWalker>(tree_, echoes_, std::move(walk));
  decoder_ = std::make_unique<InotifyDecoder>(tree_, echoes_, Hooks(), settings.subtree);
  const RescanSettings rescan{settings.subtree, access != 0, settings.cancel};
  rescan_ = std::make_unique<TreeRescan>(tree_, *walker_, echoes_, Hooks(), rescan);
  buffer_.resize(kReadBufferSize);
  // Nothing changed since the start can be older than it, whatever the file
  // clock: events are lost only once the queue is full, long after the start,
  // and a file changed just before the start is no change of the watch.
  quietTime_ = Now();
  // Without a subtree the walk reads the folder's names only.
  std::vector<RawChange> silent;
  if (!walker_->WalkWatched(tree_.root(), rootFd, rootMask, ScanMode::kSilent, silent)) {
    error = "stopped while setting up the watches of " + settings.folder;
    return false;
  }
  PollUnwatched(true);
  return true;
}

void InotifyBackend::PollUnwatched(bool known) {
  // A directory that cannot be read now is left to the watch of its parent.
  for (const std::string& directory : walker_->TakeUnwatched()) polled_->Add(directory, known);
}

DrainResult InotifyBackend::Drain(std::vector<RawChange>& out) {
  DrainResult result;
  if (fd_ < 0 || !decoder_) {
    result.ended = true;
    return result;
  }
  for (int reads = 0; reads < kMaxReadsPerDrain && !result.ended; ++reads) {
    const timespec beforeRead = NowLessLag();
    const ssize_t bytes = read(fd_, buffer_.data(), buffer_.size());
    if (bytes > 0) {
      result.bytesRead += static_cast<size_t>(bytes);
      decoder_->Decode(std::span(buffer_.data(), static_cast<size_t>(bytes)), out, result);
      if (result.overflows > 0) rescanPending_ = true;
      // The kernel fills a read with every event that fits: one that left
      // room for the largest event emptied the queue, and a second read
      // would only say so, with nothing kept from scans to clear. Unless a
      // scan ran meanwhile: what it read queued events to be read as echoes.
      const bool roomLeft = buffer_.size() - static_cast<size_t>(bytes) >= kLargestEvent;
      if (!roomLeft || !echoes_.empty() || rescanPending_) continue;
      quietTime_ = beforeRead;
      break;
    }
    if (bytes < 0 && errno == EINTR) continue;
    if (bytes < 0 && errno == EAGAIN) {
      // Read empty: every event queued before the last scan has been seen.
      echoes_.Clear(decoder_->HasPendingMoves());
      if (rescanPending_) Rescan(out, result);
      quietTime_ = beforeRead;
      break;
    }
    result.ended = true;
  }
  PollUnwatched(false);
  // Roots that went away were reported by the watches of their parents.
  if (!polled_->Drain(out, result)) result.ended = true;
  polled_->TakeLost();
  if (result.pollInterval.count() > 0 || !coverageTold_) {
    coverageTold_ = true;
    result.kernelFolders = static_cast<uint32_t>(tree_.size());
  }
  decoder_->AgePendingMoves(out);
  result.pendingPairs = decoder_->HasPendingMoves();
  walker_->TakeDenied(result);
  if (walker_->watchLimitReached() && !limitReported_) {
    limitReported_ = true;
    result.watchLimitReached = true;
  }
  return result;
}

void InotifyBackend::Rescan(std::vector<RawChange>& out, DrainResult& result) {
  rescanPending_ = false;
  // With the queue read empty no partner of a waiting rename half is coming.
  decoder_->FlushPendingMoves(out);
  result.rescanned = true;
  result.rescanBegin = out.size();
  rescan_->Run(quietTime_, out);
  decoder_->TreeChanged();
}

void InotifyBackend::WatchAncestors(const std::string& folder) {
  // "/a/b/" has the ancestor "/a/"; the root directory itself cannot move.
  for (size_t end = folder.rfind('/', folder.size() - 2); end != std::string::npos && end > 0;
       end = folder.rfind('/', end - 1)) {
    const std::string ancestor = folder.substr(0, end + 1);
    // An ancestor that cannot be watched only loses this safeguard.
    const int wd = inotify_add_watch(fd_, ancestor.c_str(), kAncestorMask);
    if (wd >= 0) ancestorWatches_.insert(wd);
  }
}

bool InotifyBackend::FolderMovedAway(int32_t wd) {
  if (!ancestorWatches_.contains(wd)) return false;
  struct stat status;
  if (stat(folder_.c_str(), &status) != 0) return true;
  return status.st_dev != folderDevice_ || status.st_ino != folderInode_;
}

void InotifyBackend::RemoveWatches(std::span<const int32_t> watches) {
  // A watch the kernel already dropped answers EINVAL, which is fine.
  for (int32_t wd : watches) inotify_rm_watch(fd_, wd);
}

}  // namespace

std::unique_ptr<Backend> MakeInotifyBackend() { return std::make_unique<InotifyBackend>(); }

}  // namespace tavrek::engine
