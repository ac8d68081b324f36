#include "core/engine/backend/inotify/tree_rescan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace tavrek::engine {
namespace {

constexpr size_t kReadSize = 64 * 1024;
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool NotOlder(const statx_timestamp& time, const timespec& since) {
  return time.tv_sec > since.tv_sec ||
         (time.tv_sec == since.tv_sec && time.tv_nsec >= static_cast<uint32_t>(since.tv_nsec));
}

bool SameTime(const statx_timestamp& a, const statx_timestamp& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

void TreeRescan::Run(const timespec& since, std::vector<RawChange>& out) {
  since_ = since;
  std::vector<std::pair<NodeId, int32_t>> nodes;
  tree_.Collect(tree_.root(), nodes);
  for (const auto& [node, wd] : nodes) {
    if (settings_.cancel != nullptr && settings_.cancel->load()) return;
    // A directory dropped on the way (gone, and its node perhaps reused).
    if (tree_.FindByWatch(wd) != node) continue;
    RescanDirectory(node, out);
  }
}

void TreeRescan::RescanDirectory(NodeId node, std::vector<RawChange>& out) {
  path_.clear();
  tree_.AppendPath(node, path_);
  const int fd = open(path_.c_str(), node == tree_.root() ? kOpenFlags : kOpenFlags | O_NOFOLLOW);
  // Gone: the kernel says so, or the rescan of its parent does.
  if (fd < 0) return;
  if (settings_.accessWatched && node != tree_.root()) {
    echoes_.NoteOwnRead(tree_.WatchOf(tree_.ParentOf(node)), tree_.NameOf(node));
  }
  if (ReadEntries(fd)) {
    LoadKnown(node);
    Compare(node, fd, out);
  }
  close(fd);
}

void TreeRescan::LoadKnown(NodeId node) {
  // Copied: walking a new directory adds nodes, which may move the names.
  known_.clear();
  tree_.EntriesOf(node).ForEach(
      [this](std::string_view name) { known_.append(name).push_back('\0'); });
  knownNames_.clear();
  for (size_t start = 0; start < known_.size();) {
    const size_t end = known_.find('\0', start);
    knownNames_.push_back(std::string_view(known_).substr(start, end - start));
    start = end + 1;
  }
}

void TreeRescan::Compare(NodeId node, int fd, std::vector<RawChange>& out) {
  // Both lists are sorted: one pass finds what came, went and stayed.
  std::string current;
  size_t known = 0;
  for (const Entry& entry : entries_) {
    for (; known < knownNames_.size() && knownNames_[known] < entry.name; ++known) {
      Vanished(node, knownNames_[known], out);
    }
    if (known < knownNames_.size() && knownNames_[known] == entry.name) {
      Remained(node, fd, entry, out);
      ++known;
    } else {
      Appeared(node, fd, entry, out);
    }
    current.append(entry.name).push_back('\0');
  }
  for (; known < knownNames_.size(); ++known) Vanished(node, knownNames_[known], out);
  tree_.EntriesOf(node).Assign(current);
}

bool TreeRescan::ReadEntries(int fd) {
  buffer_.resize(kReadSize);
  size_t used = 0;
  for (;;) {
    if (buffer_.size() - used < kReadSize) buffer_.resize(buffer_.size() * 2);
    const ssize_t bytes = getdents64(fd, buffer_.data() + used, buffer_.size() - used);
    if (bytes < 0) return false;
    if (bytes == 0) break;
    used += static_cast<size_t>(bytes);
  }
  entries_.clear();
  for (size_t offset = 0; offset < used;) {
    const auto* record = reinterpret_cast<const dirent64*>(buffer_.data() + offset);
    if (record->d_reclen == 0) break;
    offset += record->d_reclen;
    const std::string_view name(record->d_name);
    if (name != "." && name != "..") entries_.push_back({name, record->d_type});
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

void TreeRescan::Appeared(NodeId node, int fd, const Entry& entry, std::vector<RawChange>& out) {
  const bool directory = IsDirectory(fd, entry);
  Report(RawAction::kCreated, entry.name, out).isDirectory = directory;
  echoes_.NoteCreated(tree_.WatchOf(node), entry.name);
  if (directory && settings_.subtree && tree_.FindChild(node, entry.name) == kNoNode) {
    walker_.WatchAndWalk(node, entry.name, ScanMode::kReport, out);
  }
}

void TreeRescan::Vanished(NodeId node, std::string_view name, std::vector<RawChange>& out) {
  const NodeId child = tree_.FindChild(node, name);
  Report(RawAction::kDeleted, name, out).isDirectory = child != kNoNode;
  echoes_.NoteDeleted(tree_.WatchOf(node), name);
  if (child == kNoNode) return;
  removed_.clear();
  tree_.Remove(child, removed_);
  hooks_.RemoveWatches(removed_);
}

void TreeRescan::Remained(NodeId node, int fd, const Entry& entry, std::vector<RawChange>& out) {
  if (IsDirectory(fd, entry)) {
    // Known but not watched: made while events were lost, or not readable
    // before. Its changes are those of its entries, found by its own rescan.
    if (settings_.subtree && tree_.FindChild(node, entry.name) == kNoNode) {
      walker_.WatchAndWalk(node, entry.name, ScanMode::kSilent, out);
    }
    return;
  }
  struct statx status;
  const std::string name(entry.name);
  if (statx(fd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
            STATX_MTIME | STATX_CTIME | STATX_BTIME, &status) != 0 ||
      !NotOlder(status.stx_ctime, since_)) {
    return;  // gone meanwhile, or nothing changed since nothing was lost
  }
  const bool hasBirth = status.stx_mask & STATX_BTIME;
  if (hasBirth && SameTime(status.stx_ctime, status.stx_btime)) {
    // Made since, and its making was reported (the name was known), unless
    // another file took the name: the classifier knows the one reported.
    Report(RawAction::kAttrib, entry.name, out).untouchedSinceMade = true;
    return;
  }
  const bool written = NotOlder(status.stx_mtime, since_) &&
                       !(hasBirth && SameTime(status.stx_mtime, status.stx_btime));
  Report(written ? RawAction::kModified : RawAction::kAttrib, entry.name, out);
}

bool TreeRescan::IsDirectory(int fd, const Entry& entry) const {
  if (entry.type != DT_UNKNOWN) return entry.type == DT_DIR;
  struct stat status;
  const std::string name(entry.name);
  return fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
}

RawChange& TreeRescan::Report(RawAction action, std::string_view name,
                              std::vector<RawChange>& out) {
  RawChange& change = out.emplace_back();
  change.action = action;
  change.fromScan = true;
  change.path.reserve(path_.size() + name.size());
  change.path.assign(path_).append(name);
  return change;
}

}  // namespace tavrek::engine
