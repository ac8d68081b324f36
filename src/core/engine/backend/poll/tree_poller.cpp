#include "core/engine/backend/poll/tree_poller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/engine/backend/poll/poll_interval.h"
#include "core/platform/file_identity.h"

namespace tavrek::engine {
namespace {

RawChange MakeChange(RawAction action, const std::string& path, const ListedEntry& entry) {
  RawChange change;
  change.action = action;
  change.isDirectory = entry.isDirectory();
  // Found by looking, not told by the kernel: a status read when the change is
  // classified that equals the one recorded before means nothing changed.
  change.fromScan = true;
  change.polled = true;
  change.path = path;
  return change;
}

// A file a pass finds made was seen neither at its making nor at what came
// after it (a write, a chmod). So its making is followed at once by a change
// that compares it with what every new file starts as: content written
// before the pass is told now, and a later change is compared with the file
// as it is, not as new files are.
RawChange FoundMade(const std::string& path, const ListedEntry& entry) {
  RawChange change =
      MakeChange(entry.size > 0 ? RawAction::kModified : RawAction::kAttrib, path, entry);
  change.untouchedSinceMade = entry.size == 0;
  return change;
}

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
// A directory kept open only to reach the ones below it.
constexpr int kReachFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Wider than any tick of a file system's clock; a file server's clock may
// differ by more, which the next full pass makes up for.
constexpr int64_t kRecentStamp = 2 * kNanosecondsPerSecond;

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

std::string ParentOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

using InodeKey = platform::FileIdentity;
using InodeHash = platform::FileIdentityHash;

// Setting a file's times to now (touch) gives its access and modification
// time the same value; a write moves the modification time alone. So a new
// modification time with the size kept and the access time equal to it is
// taken for a metadata change, as the kernel reports it. (A read within the
// same tick of the file system's clock right after a write looks the same.)
bool TimesSetTogether(const ListedEntry& entry) {
  return entry.accessNanoseconds == entry.modifyNanoseconds;
}

}  // namespace

bool DescribeChange(const std::string& path, const ListedEntry& before, const ListedEntry& after,
                    RawChange& change) {
  const bool metadata = before.mode != after.mode || before.uid != after.uid ||
                        before.gid != after.gid;
  if (after.isDirectory()) {
    if (!metadata) return false;
    change = MakeChange(RawAction::kAttrib, path, after);
    return true;
  }
  const bool modified = before.modifyNanoseconds != after.modifyNanoseconds;
  if (before.size != after.size || (modified && !TimesSetTogether(after))) {
    change = MakeChange(RawAction::kModified, path, after);
    change.sameSize = before.size == after.size;
    return true;
  }
  if (modified || metadata || !before.SameMetadata(after)) {
    change = MakeChange(RawAction::kAttrib, path, after);
    return true;
  }
  return false;
}

TreePoller::TreePoller(std::string folder, bool subtree, const std::atomic<bool>* cancel,
                       bool wholeWatch)
    : folder_(std::move(folder)), subtree_(subtree), cancel_(cancel), wholeWatch_(wholeWatch) {}

bool TreePoller::BaselineEmpty() {
  struct stat status;
  if (stat(folder_.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    folderLost_ = true;
    return false;
  }
  device_ = status.st_dev;
  identity_ = IdentityOf(AT_FDCWD, folder_.c_str()).value_or(Identity{});
  listings_.clear();
  listings_[folder_];
  return true;
}

bool TreePoller::Baseline() {
  if (!BaselineEmpty()) return false;
  PassState state;
  if (!Walk(state, false)) return false;
  listings_ = std::move(state.listings);
  stamps_ = std::move(state.stamps);
  entryCount_ = state.entries;
  return true;
}

bool TreePoller::Pass(std::vector<RawChange>& out, size_t fullReads) {
  if (folderLost_) return false;
  PassState state;
  if (!Walk(state, true, fullReads)) {
    if (folderGone_ && wholeWatch_) ReportGone(out);
    return false;
  }
  if (fullReads != kAll && !listings_.empty()) turn_ = (turn_ + fullReads) % listings_.size();
  readCount_ = state.readCount;
  readCost_ = state.readCost;
  out.insert(out.end(), std::make_move_iterator(state.changed.begin()),
             std::make_move_iterator(state.changed.end()));
  MatchRenames(state, out);
  listings_ = std::move(state.listings);
  stamps_ = std::move(state.stamps);
  entryCount_ = state.entries;
  return true;
}

bool TreePoller::InTurn(size_t visited, size_t fullReads) const {
  const size_t count = listings_.size();
  return fullReads >= count || (visited + count - turn_ % count) % count < fullReads;
}

bool TreePoller::Walk(PassState& state, bool compare, size_t fullReads) {
  if (cancel_ != nullptr && cancel_->load()) return false;
  DescriptorWalk walk;
  int fd = -1;
  if (!Visit({folder_, folder_, AT_FDCWD}, false, compare, state, fd)) {
    folderLost_ = true;
    return false;
  }
  walk.Enter(folder_, fd, std::exchange(state.pending, {}));
  size_t visited = 0;
  DescriptorWalk::Step step;
  while (walk.Next(step)) {
    if (cancel_ != nullptr && cancel_->load()) return false;
    Visit(step, InTurn(visited++, fullReads), compare, state, fd);
    walk.Enter(step.path, fd, std::exchange(state.pending, {}));
  }
  return true;
}

bool TreePoller::Visit(const DescriptorWalk::Step& step, bool inTurn, bool compare,
                       PassState& state, int& fd) {
  const bool root = step.path == folder_;
  fd = -1;
  Stamp stamp;
  if (const auto* kept = inTurn || root ? nullptr : Unchanged(step, stamp)) {
    Keep(step.path, *kept, stamp, state);
    // Only a way down to the directories below: no need to read it.
    if (!state.pending.empty()) fd = openat(step.parent, step.name.c_str(), kReachFlags);
    return true;
  }
  const std::chrono::nanoseconds start = ThreadCpuTime();
  std::vector<ListedEntry> now;
  if (!ReadDirectory(step, fd, now, stamp)) {
    if (root) {
      if (fd >= 0) close(fd);
      return false;
    }
    if (errno == EACCES || errno == EMFILE || errno == ENFILE) NoteDenied(step.path);
    // Unreadable for now (or gone while the pass ran): the next pass tells.
    const auto old = listings_.find(step.path);
    if (old == listings_.end()) return true;
    now = old->second;
    // Still a way down when only reading it is refused.
    if (fd < 0) fd = openat(step.parent, step.name.c_str(), kReachFlags);
  }
  if (!denied_.empty()) denied_.erase(step.path);
  state.entries += now.size();
  if (compare) {
    Compare(step.path, now, state);
  } else {
    for (const ListedEntry& entry : now) Descend(step.path + entry.name, entry, state);
  }
  state.listings[step.path] = std::move(now);
  state.stamps[step.path] = stamp;
  state.readCost += ThreadCpuTime() - start;
  ++state.readCount;
  return true;
}

void TreePoller::NoteDenied(const std::string& directory) {
  if (!denied_.insert(directory).second) return;
  if (newlyDenied_++ == 0) firstDenied_.assign(directory, 0, directory.size() - 1);  // no "/"
}

void TreePoller::TakeDenied(DrainResult& result) {
  if (newlyDenied_ == 0) return;
  if (result.deniedDirectories == 0) result.firstDenied = std::move(firstDenied_);
  result.deniedDirectories += std::exchange(newlyDenied_, 0);
  firstDenied_.clear();
}

// Nothing made, removed or renamed in the directory: its names stay, and so
// do the directories below it, which are looked at in turn.
void TreePoller::Keep(const std::string& directory, const std::vector<ListedEntry>& kept,
                      const Stamp& stamp, PassState& state) const {
  state.entries += kept.size();
  for (const ListedEntry& entry : kept) Descend(directory + entry.name, entry, state);
  state.listings[directory] = kept;
  state.stamps[directory] = stamp;
}

// The stamp is read before the listing: a name made while it is read moves
// the time past the stamp, so the next quick pass reads the directory again.
// The folder itself may be reached through a link; nothing below it is.
bool TreePoller::ReadDirectory(const DescriptorWalk::Step& step, int& fd,
                               std::vector<ListedEntry>& out, Stamp& stamp) {
  const bool root = step.path == folder_;
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (root ? 0 : O_NOFOLLOW);
  fd = openat(step.parent, step.name.c_str(), flags);
  if (fd < 0) {
    folderGone_ = root && (errno == ENOENT || errno == ENOTDIR);
    return false;
  }
  if (root && !SameFolder(fd)) return false;  // the caller closes the folder's descriptor
  struct stat status;
  stamp = fstat(fd, &status) == 0 ? StampOf(status) : Stamp{};
  return ReadListing(fd, out);
}

std::optional<TreePoller::Identity> TreePoller::IdentityOf(int directoryFd, const char* path) {
  struct statx status {};
  const int flags = *path == '\0' ? AT_EMPTY_PATH : 0;
  if (statx(directoryFd, path, flags, STATX_INO | STATX_BTIME, &status) != 0) return std::nullopt;
  Identity identity{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino, 0};
  if (status.stx_mask & STATX_BTIME) {
    identity.born = status.stx_btime.tv_sec * kNanosecondsPerSecond + status.stx_btime.tv_nsec;
  }
  return identity;
}

bool TreePoller::SameFolder(int fd) {
  if (!wholeWatch_) return true;
  const std::optional<Identity> now = IdentityOf(fd, "");
  folderGone_ = now && *now != identity_;
  return !folderGone_;
}

void TreePoller::ReportGone(std::vector<RawChange>& out) const {
  const auto root = listings_.find(folder_);
  if (root == listings_.end()) return;
  PassState state;
  for (const ListedEntry& entry : root->second) Vanish(folder_ + entry.name, entry, state);
  // A directory's contents go before it, as the kernel reports a removal.
  for (auto seen = state.vanished.rbegin(); seen != state.vanished.rend(); ++seen) {
    out.push_back(MakeChange(RawAction::kDeleted, seen->path, seen->entry));
  }
}

TreePoller::Stamp TreePoller::StampOf(const struct stat& status) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  Stamp stamp{Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim), false};
  stamp.recent = std::max(stamp.modify, stamp.change) >= Nanoseconds(now) - kRecentStamp;
  return stamp;
}

const std::vector<ListedEntry>* TreePoller::Unchanged(const DescriptorWalk::Step& step,
                                                      Stamp& stamp) const {
  const auto listing = listings_.find(step.path);
  const auto recorded = stamps_.find(step.path);
  if (listing == listings_.end() || recorded == stamps_.end()) return nullptr;
  struct stat status;
  if (fstatat(step.parent, step.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISDIR(status.st_mode)) {
    return nullptr;
  }
  stamp = StampOf(status);
  return recorded->second.Same(stamp) ? &listing->second : nullptr;
}

void TreePoller::Compare(const std::string& directory, const std::vector<ListedEntry>& now,
                         PassState& state) {
  static const std::vector<ListedEntry> kNone;
  const auto found = listings_.find(directory);
  const std::vector<ListedEntry>& before = found == listings_.end() ? kNone : found->second;
  size_t old = 0;
  size_t current = 0;
  while (old < before.size() || current < now.size()) {
    const bool takeOld = current == now.size() ||
                         (old < before.size() && before[old].name < now[current].name);
    const bool takeNew = old == before.size() ||
                         (current < now.size() && now[current].name < before[old].name);
    if (takeOld) {
      Vanish(directory + before[old].name, before[old], state);
      ++old;
    } else if (takeNew) {
      Appear(directory + now[current].name, now[current], state);
      ++current;
    } else {
      const ListedEntry& was = before[old++];
      const ListedEntry& is = now[current++];
      const std::string path = directory + is.name;
      if (was.inode != is.inode || was.device != is.device) {
        Vanish(path, was, state);
        Appear(path, is, state);
        continue;
      }
      RawChange change;
      if (DescribeChange(path, was, is, change)) state.changed.push_back(std::move(change));
      Descend(path, is, state);
    }
  }
}

void TreePoller::Vanish(const std::string& path, const ListedEntry& entry,
                        PassState& state) const {
  state.vanished.push_back({path, entry});
  if (!entry.isDirectory()) return;
  // What the directory held is gone with it.
  const auto found = listings_.find(path + "/");
  if (found == listings_.end()) return;
  for (const ListedEntry& child : found->second) Vanish(path + "/" + child.name, child, state);
}

void TreePoller::Appear(const std::string& path, const ListedEntry& entry,
                        PassState& state) const {
  state.appeared.push_back({path, entry});
  Descend(path, entry, state);
}

void TreePoller::Descend(const std::string& path, const ListedEntry& entry,
                         PassState& state) const {
  // Other file systems mounted below the folder are not part of its watch.
  if (subtree_ && entry.isDirectory() && entry.device == device_) {
    state.pending.push_back(path + "/");
  }
}

// The entries gone in one pass, found by path and by inode.
class TreePoller::VanishedIndex {
 public:
  explicit VanishedIndex(const std::vector<Seen>& vanished)
      : vanished_(vanished), matched_(vanished.size(), false) {
    for (size_t index = 0; index < vanished.size(); ++index) {
      byPath_.emplace(vanished[index].path, index);
      byInode_.emplace(InodeKey{vanished[index].entry.device, vanished[index].entry.inode}, index);
    }
  }

  // The unmatched entry `seen` came from: first its place in a moved
  // directory (`carried`), else any with its inode; marks it matched.
  const Seen* Take(const Seen& seen, const std::string& oldPathInMoved, bool& carried) {
    const InodeKey key{seen.entry.device, seen.entry.inode};
    carried = false;
    if (!oldPathInMoved.empty()) {
      const auto old = byPath_.find(oldPathInMoved);
      if (old != byPath_.end() && Free(old->second, key)) {
        carried = true;
        return Use(old->second);
      }
    }
    for (auto [it, end] = byInode_.equal_range(key); it != end; ++it) {
      if (!matched_[it->second]) return Use(it->second);
    }
    return nullptr;
  }
  bool matched(size_t index) const { return matched_[index]; }

 private:
  bool Free(size_t index, const InodeKey& key) const {
    const ListedEntry& entry = vanished_[index].entry;
    return !matched_[index] && InodeKey{entry.device, entry.inode} == key;
  }
  const Seen* Use(size_t index) {
    matched_[index] = true;
    return &vanished_[index];
  }

  const std::vector<Seen>& vanished_;
  std::vector<bool> matched_;
  std::unordered_map<std::string, size_t> byPath_;
  std::unordered_multimap<InodeKey, size_t, InodeHash> byInode_;
};

void TreePoller::MatchRenames(PassState& state, std::vector<RawChange>& out) const {
  VanishedIndex vanished(state.vanished);
  // New directory path ("/a/new/") -> the old one, for what moved with it.
  std::unordered_map<std::string, std::string> movedDirectories;
  std::vector<RawChange> created;
  for (const Seen& seen : state.appeared) {
    const auto parent = movedDirectories.find(ParentOf(seen.path));
    const std::string oldPathInMoved =
        parent == movedDirectories.end()
            ? std::string()
            : parent->second + seen.path.substr(parent->first.size());
    bool carried = false;
    const Seen* old = vanished.Take(seen, oldPathInMoved, carried);
    if (old == nullptr) {
      created.push_back(MakeChange(RawAction::kCreated, seen.path, seen.entry));
      if (S_ISREG(seen.entry.mode)) created.push_back(FoundMade(seen.path, seen.entry));
      continue;
    }
    if (seen.entry.isDirectory()) movedDirectories[seen.path + "/"] = old->path + "/";
    if (!carried) {
      RawChange rename = MakeChange(RawAction::kRenamed, seen.path, seen.entry);
      rename.oldPath = old->path;
      out.push_back(std::move(rename));
    }
    // A rename sets the change time of what was renamed: no change of its own.
    ListedEntry before = old->entry;
    if (!carried) before.changeNanoseconds = seen.entry.changeNanoseconds;
    RawChange change;
    if (DescribeChange(seen.path, before, seen.entry, change)) out.push_back(std::move(change));
  }
  // Deleted contents go before their directory, as the kernel reports them.
  for (size_t index = state.vanished.size(); index-- > 0;) {
    if (vanished.matched(index)) continue;
    out.push_back(MakeChange(RawAction::kDeleted, state.vanished[index].path,
                             state.vanished[index].entry));
  }
  out.insert(out.end(), std::make_move_iterator(created.begin()),
             std::make_move_iterator(created.end()));
}

}  // namespace tavrek::engine
