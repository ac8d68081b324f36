#include "core/engine/backend/fanotify/fanotify_quiet_marks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

#ifndef FAN_MARK_IGNORE
#define FAN_MARK_IGNORE 0x00000400
#endif

// What a quieted directory's files do. Renames and program starts are never
// dropped, nor changes of subdirectories (no FAN_ONDIR): they tell where
// directories are.
constexpr uint64_t kQuietedEvents =
    FAN_CREATE | FAN_DELETE | FAN_MODIFY | FAN_ATTRIB | FAN_ACCESS | FAN_EVENT_ON_CHILD;
// The kernel wants the ignore mask of a directory to survive modification.
constexpr unsigned kIgnore = FAN_MARK_IGNORE | FAN_MARK_IGNORED_SURV_MODIFY | FAN_MARK_ONLYDIR;

bool MarkOn(int group, unsigned flags, int directory) {
  return fanotify_mark(group, flags | kIgnore, kQuietedEvents, directory, ".") == 0;
}

std::string Join(const std::string& directory, const char* name) {
  return directory == "/" ? directory + name : directory + "/" + name;
}

}  // namespace

FanotifyQuietMarks::FanotifyQuietMarks(int group, FanotifyHandleOpener& opener, ShownPathOf shown)
    : group_(group), opener_(opener), shown_(std::move(shown)), ownPid_(getpid()) {}

bool FanotifyQuietMarks::Mark(unsigned flags, const FanotifyFileKey& key) {
  FanotifyScopedFd directory = opener_.OpenDirectory(key);
  if (!directory.valid()) return false;
  // The mirror follows as far as it can: it only wakes a paused reader.
  if (mirror_ >= 0) MarkOn(mirror_, flags, directory.get());
  return MarkOn(group_, flags, directory.get());
}

void FanotifyQuietMarks::MirrorOn(int group) {
  mirror_ = group;
  for (const FanotifyFileKey& key : quieted_) {
    FanotifyScopedFd directory = opener_.OpenDirectory(key);
    if (directory.valid()) MarkOn(mirror_, FAN_MARK_ADD, directory.get());
  }
  opener_.Release();
}

void FanotifyQuietMarks::ForgetDeleted() {
  // A deleted directory's mark went with it.
  std::erase_if(quieted_,
                [&](const FanotifyFileKey& key) { return !opener_.DirectoryPath(key); });
}

void FanotifyQuietMarks::Quiet(const std::vector<FanotifyFileKey>& busy) {
  if (busy.empty()) return;
  if (quieted_.size() + busy.size() > kMaxQuieted) {
    // Each check asks the kernel about every quieted directory: with more busy
    // folders than room, checking on every report would cost more than the
    // quieting saves, so a check waits for as many reports as there is room.
    refusedSinceCheck_ += busy.size();
    if (refusedSinceCheck_ >= kMaxQuieted) {
      refusedSinceCheck_ = 0;
      ForgetDeleted();
    }
  }
  for (const FanotifyFileKey& key : busy) {
    if (quieted_.size() >= kMaxQuieted) break;
    if (std::find(quieted_.begin(), quieted_.end(), key) != quieted_.end()) continue;
    // Asked of the kernel, not of the records: it may have moved in since.
    // Should it move in after this question, its rename is queued already
    // and lifts the mark.
    const std::optional<std::string> path = opener_.DirectoryPath(key);
    if (!path || shown_(Join(*path, "x"))) continue;
    if (Mark(FAN_MARK_ADD, key)) quieted_.push_back(key);
  }
  opener_.Release();
}

void FanotifyQuietMarks::LiftAll(std::vector<RawChange>& out) {
  for (const FanotifyFileKey& key : quieted_) {
    // A directory deleted since took its mark with it.
    Mark(FAN_MARK_REMOVE, key);
    const std::optional<std::string> path = opener_.DirectoryPath(key);
    if (path) ReportEntries(key, *path, out);
  }
  quieted_.clear();
  opener_.Release();
}

void FanotifyQuietMarks::ReportEntries(const FanotifyFileKey& key, const std::string& realDirectory,
                                       std::vector<RawChange>& out) {
  // The folder itself is never quieted; below it, the shown path tells.
  if (!shown_(Join(realDirectory, "x"))) return;
  if (std::optional<std::string> shownDirectory = shown_(realDirectory)) {
    listedDirectories_.insert(std::move(*shownDirectory));
  }
  // By its handle: deep in the folder its path is longer than the kernel takes.
  const FanotifyScopedFd handle = opener_.OpenDirectory(key);
  const int fd =
      handle.valid() ? openat(handle.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
  if (listing == nullptr) {
    if (fd >= 0) close(fd);
    return;
  }
  while (const dirent* entry = readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    std::optional<std::string> shown = shown_(Join(realDirectory, entry->d_name));
    if (!shown) continue;
    RawChange change;
    change.action = RawAction::kCreated;
    change.isDirectory = entry->d_type == DT_DIR;
    change.fromScan = true;
    listedNames_.insert(*shown);
    change.path = std::move(*shown);
    out.push_back(std::move(change));
  }
  closedir(listing);
}

void FanotifyQuietMarks::DropEchoes(std::vector<RawChange>& out, size_t first) {
  if (listedNames_.empty() && listedDirectories_.empty()) return;
  size_t kept = first;
  for (size_t index = first; index < out.size(); ++index) {
    if (IsEcho(out[index])) continue;
    if (kept != index) out[kept] = std::move(out[index]);
    ++kept;
  }
  out.resize(kept);
}

bool FanotifyQuietMarks::IsEcho(const RawChange& change) {
  switch (change.action) {
    case RawAction::kCreated:
      return listedNames_.erase(change.path) > 0;
    case RawAction::kAccessed:
      return change.isDirectory && change.pid == ownPid_ &&
             listedDirectories_.erase(change.path) > 0;
    case RawAction::kDeleted:
    case RawAction::kMovedOut:
    case RawAction::kRenamed:
      // A name gone may come again; under a directory moved or gone, any may.
      if (change.isDirectory) {
        ForgetListed();
      } else {
        listedNames_.erase(change.action == RawAction::kRenamed ? change.oldPath : change.path);
      }
      return false;
    default:
      return false;
  }
}

}  // namespace tavrek::engine
