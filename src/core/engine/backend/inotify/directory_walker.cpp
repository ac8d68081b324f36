#include "core/engine/backend/inotify/directory_walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tavrek::engine {
namespace {

// Bytes asked of one getdents64 call: a few hundred entries.
constexpr size_t kReadBufferSize = 32 * 1024;
// Below this depth every level keeps its directory open to open children
// relative to it; deeper levels read their whole directory, close it and
// open children by full path, so a deep tree cannot use up the descriptors.
constexpr size_t kMaxHeldDescriptors = 64;
// Read buffers kept between walks (the top levels are used by every scan).
constexpr size_t kKeptBuffers = 8;
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr size_t kTypicalPathLength = 4096;

}  // namespace

DirectoryWalker::DirectoryWalker(DirectoryTree& tree, ScanEchoes& echoes, WalkerSettings settings)
    : tree_(tree),
      echoes_(echoes),
      settings_(std::move(settings)),
      watch_(settings_.inotifyFd),
      mountPoints_(settings_.mountPoints.begin(), settings_.mountPoints.end()) {
  path_.reserve(kTypicalPathLength);
}

DirectoryWalker::~DirectoryWalker() {
  for (const Frame& frame : frames_) {
    if (frame.fd >= 0) close(frame.fd);
  }
}

bool DirectoryWalker::WalkWatched(NodeId node, int fd, uint32_t mask, ScanMode mode,
                                  std::vector<RawChange>& out) {
  mode_ = mode;
  path_.clear();
  tree_.AppendPath(node, path_);
  Push(fd, node, tree_.WatchOf(node), mask);
  return Run(mode, out);
}

bool DirectoryWalker::WatchAndWalk(NodeId parent, std::string_view name, ScanMode mode,
                                   std::vector<RawChange>& out) {
  mode_ = mode;
  path_.clear();
  tree_.AppendPath(parent, path_);
  path_ += name;
  // The parent already asks for access events, so reading this directory
  // makes the kernel report an access to it; that one is ours.
  if (settings_.accessMask != 0) echoes_.NoteOwnRead(tree_.WatchOf(parent), name);
  Descend(parent, -1, name);
  return Run(mode, out);
}

bool DirectoryWalker::Run(ScanMode mode, std::vector<RawChange>& out) {
  mode_ = mode;
  Entry entry;
  while (!frames_.empty()) {
    if (Cancelled()) {
      for (const Frame& frame : frames_) CloseDirectory(frame.fd);
      frames_.clear();
      watch_.Restore();
      return false;
    }
    if (!NextEntry(entry)) {
      Pop();
      continue;
    }
    Frame& frame = frames_.back();
    path_.resize(frame.pathLength);
    path_ += entry.name;
    const bool isDirectory = IsDirectory(frame, entry);
    std::string path = Reports(mode) ? path_ : std::string();
    const size_t frameIndex = frames_.size() - 1;
    const bool descended = !isDirectory || !settings_.descend ||
                           Descend(frame.node, frame.fd, entry.name);
    Frame& reading = frames_[frameIndex];
    reading.names.append(entry.name).push_back('\0');
    if (Reports(mode) && descended) {
      RawChange& change = out.emplace_back();
      change.action = RawAction::kCreated;
      change.isDirectory = isDirectory;
      change.fromScan = true;
      change.path = std::move(path);
      echoes_.NoteCreated(reading.wd, entry.name);
    }
  }
  if (buffers_.size() > kKeptBuffers) buffers_.resize(kKeptBuffers);
  watch_.Restore();
  return true;
}

bool DirectoryWalker::Descend(NodeId parent, int parentFd, std::string_view name) {
  path_ += '/';
  if (!mountPoints_.empty() && mountPoints_.contains(path_)) return true;
  // Without free watches every further attempt fails the same way.
  if (watchLimitReached_) {
    unwatched_.push_back(path_);
    return true;
  }
  const int fd = parentFd >= 0 ? openat(parentFd, name.data(), kOpenFlags)
                               : open(FullPath(), kOpenFlags);
  if (fd < 0) {
    // Perhaps only renamed, and the rename not decoded yet: try again then.
    if (errno == ENOENT) {
      echoes_.NoteMissed(tree_.WatchOf(parent), name, mode_ == ScanMode::kArrival);
    }
    // Unreadable: the rest of the tree is still watched, and the user told.
    if (errno == EACCES || errno == EPERM) NoteDenied();
    return true;
  }
  const int wd = watch_.Add(fd, settings_.directoryMask);
  if (wd < 0) {
    if (errno == ENOSPC) {
      watchLimitReached_ = true;
      unwatched_.push_back(path_);
    }
    CloseDirectory(fd);
    return true;
  }
  if (NodeId known = tree_.FindByWatch(wd); known != kNoNode) {
    // Already watched under another name. A new directory's scan leaves it
    // where it is: its rename is still queued, and what its watch reports
    // until then happened under the old name. Otherwise (it left the tree and
    // came back) it is re-pathed and walked again, as it may hold directories
    // made while it was away.
    if (tree_.IsWithin(parent, known)) {
      CloseDirectory(fd);
      return true;
    }
    if (mode_ == ScanMode::kReport) {
      echoes_.NoteMet(wd, tree_.WatchOf(parent), name, frames_.empty());
      CloseDirectory(fd);
      return false;
    }
    tree_.Move(known, parent, name);
    if (mode_ == ScanMode::kArrival) echoes_.NoteRepathed(wd);
    if (Reports(mode_)) echoes_.NoteFound(tree_.WatchOf(parent), name);
    Push(fd, known, wd, settings_.directoryMask);
    return true;
  }
  if (Reports(mode_)) echoes_.NoteFound(tree_.WatchOf(parent), name);
  Push(fd, tree_.Add(wd, parent, name), wd, settings_.directoryMask);
  return true;
}

void DirectoryWalker::NoteVanishedBelow(NodeId node) {
  // A directory watched before that the reading no longer found left before
  // it, with everything below it.
  children_.clear();
  tree_.ChildrenOf(node, children_);
  for (const NodeId child : children_) {
    if (tree_.EntriesOf(node).Contains(tree_.NameOf(child))) continue;
    subtree_.clear();
    tree_.Collect(child, subtree_);
    for (const auto& entry : subtree_) echoes_.NoteVanished(entry.second);
  }
}

void DirectoryWalker::NoteDenied() {
  if (denied_++ == 0) firstDenied_.assign(path_, 0, path_.size() - 1);  // without the "/"
}

void DirectoryWalker::TakeDenied(DrainResult& result) {
  if (denied_ == 0) return;
  result.deniedDirectories = std::exchange(denied_, 0);
  result.firstDenied = std::move(firstDenied_);
  firstDenied_.clear();
}

const char* DirectoryWalker::FullPath() {
  // A folder given by a relative path is relative to the thread's own
  // working directory, not to the one the watching may have moved to.
  watch_.Restore();
  return path_.c_str();
}

void DirectoryWalker::CloseDirectory(int fd) {
  if (fd < 0) return;
  watch_.Forget(fd);
  close(fd);
}

void DirectoryWalker::Push(int fd, NodeId node, int32_t wd, uint32_t mask) {
  const size_t depth = frames_.size();
  if (buffers_.size() <= depth) buffers_.emplace_back(kReadBufferSize);
  Frame& frame = frames_.emplace_back();
  frame.fd = fd;
  frame.node = node;
  frame.wd = wd;
  frame.mask = mask;
  frame.pathLength = path_.size();
  if (Reports(mode_)) {
    // Read now at its present place: what its watch reports from here on is
    // checked against this reading, even where an earlier scan no longer
    // found it under its old name.
    echoes_.NoteReported(wd);
    echoes_.Revive(wd);
    echoes_.NoteRead(wd);
  }
  if (depth >= kMaxHeldDescriptors) ReadAll(depth);
}

void DirectoryWalker::Pop() {
  const Frame& frame = frames_.back();
  tree_.EntriesOf(frame.node).Assign(frame.names);
  if (Reports(mode_)) NoteVanishedBelow(frame.node);
  if (settings_.accessMask != 0) {
    const uint32_t mask = frame.mask | settings_.accessMask;
    int wd;
    if (frame.fd >= 0) {
      wd = watch_.Add(frame.fd, mask);
    } else {
      path_.resize(frame.pathLength);  // a deep level, no longer open
      wd = inotify_add_watch(settings_.inotifyFd, FullPath(), mask);
    }
    // Another directory took the path meanwhile: do not watch it by accident.
    if (wd >= 0 && wd != frame.wd && tree_.FindByWatch(wd) == kNoNode) {
      inotify_rm_watch(settings_.inotifyFd, wd);
    }
  }
  CloseDirectory(frame.fd);
  frames_.pop_back();
}

bool DirectoryWalker::NextEntry(Entry& entry) {
  const size_t depth = frames_.size() - 1;
  Frame& frame = frames_.back();
  for (;;) {
    if (frame.offset >= frame.bytes && !Refill(depth)) return false;
    const auto* record = reinterpret_cast<const dirent64*>(buffers_[depth].data() + frame.offset);
    if (record->d_reclen == 0) return false;
    frame.offset += record->d_reclen;
    std::string_view name(record->d_name);
    if (name == "." || name == "..") continue;
    entry.name = name;
    entry.type = record->d_type;
    return true;
  }
}

bool DirectoryWalker::Refill(size_t depth) {
  Frame& frame = frames_[depth];
  if (frame.fd < 0) return false;
  std::vector<std::byte>& buffer = buffers_[depth];
  const ssize_t read = getdents64(frame.fd, buffer.data(), buffer.size());
  if (read <= 0) return false;  // the end, or the directory went away
  frame.bytes = static_cast<size_t>(read);
  frame.offset = 0;
  return true;
}

void DirectoryWalker::ReadAll(size_t depth) {
  Frame& frame = frames_[depth];
  std::vector<std::byte>& buffer = buffers_[depth];
  size_t used = 0;
  for (;;) {
    if (buffer.size() - used < kReadBufferSize) buffer.resize(buffer.size() * 2);
    const ssize_t read = getdents64(frame.fd, buffer.data() + used, buffer.size() - used);
    if (read <= 0) break;
    used += static_cast<size_t>(read);
  }
  CloseDirectory(frame.fd);
  frame.fd = -1;
  frame.bytes = used;
  frame.offset = 0;
}

bool DirectoryWalker::IsDirectory(const Frame& frame, const Entry& entry) {
  if (entry.type != DT_UNKNOWN) return entry.type == DT_DIR;
  // Some file systems do not fill in the type: ask for it.
  struct stat status;
  const int result = frame.fd >= 0
                         ? fstatat(frame.fd, entry.name.data(), &status, AT_SYMLINK_NOFOLLOW)
                         : fstatat(AT_FDCWD, FullPath(), &status, AT_SYMLINK_NOFOLLOW);
  return result == 0 && S_ISDIR(status.st_mode);
}

}  // namespace tavrek::engine
