#pragma once
// What directory scans leave behind for the decoding of later kernel events.
//
// Names a scan has reported, or directories the scan itself has read, may
// still have kernel events waiting in the queue; such an event must not be
// reported a second time. Directories a scan could not watch because their
// path had changed meanwhile are kept for another try once the decoding
// learns the rename. Once the queue has been read empty after the scan, every
// event from before it has passed, and all of this is cleared (the missed
// directories only once no rename waits for its other half).
#include <cstdint>
#include <string>
#include <string_view>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tavrek::engine {

class ScanEchoes {
 public:
  struct MissedDirectory {
    int32_t parentWatch = -1;
    std::string name;
    bool arrival = false;  // it came into the tree: its scan reports what it holds
  };
  using Missed = std::vector<MissedDirectory>;

  // A scan reported `name` in the directory watched by `wd`.
  void NoteCreated(int32_t wd, std::string_view name) { Insert(kCreated, wd, name); }
  // A rescan reported `name` gone from the directory watched by `wd`.
  void NoteDeleted(int32_t wd, std::string_view name) { Insert(kDeleted, wd, name); }
  // A scan read the directory `name` below the directory watched by `wd`,
  // which makes the kernel report an access to it.
  void NoteOwnRead(int32_t wd, std::string_view name) { Insert(kOwnRead, wd, name); }
  // The directory `name` below the one watched by `wd` was not found by its
  // path: an ancestor's rename has not been decoded yet.
  void NoteMissed(int32_t wd, std::string_view name, bool arrival) {
    missed_.push_back({wd, std::string(name), arrival});
  }
  // A reporting scan read the directory `name` below the one watched by
  // `wd`: should an earlier scan have missed it, that one is made good.
  void NoteFound(int32_t wd, std::string_view name);
  // `name` came into the directory watched by `wd` while its records were
  // not logged: its departure is not logged either.
  void NoteSkipped(int32_t wd, std::string_view name) { Insert(kSkipped, wd, name); }
  bool TakeSkipped(int32_t wd, std::string_view name);
  // A scan reported every entry of the directory watched by `wd`: until the
  // queue is read empty, its kernel records may repeat what the scan saw.
  void NoteReported(int32_t wd) { reported_.insert(wd); }
  // A reporting scan met the directory watched by `wd` as `name` below the
  // one watched by `parentWatch`: it is watched under another name, and its
  // rename, still queued, tells the log. Should that rename have only its
  // first half (the new place was not watched yet), this is where it went.
  // `walked`: met as the directory the scan was asked to read.
  void NoteMet(int32_t wd, int32_t parentWatch, std::string_view name, bool walked) {
    met_.insert_or_assign(wd, Place{parentWatch, std::string(name), walked});
  }
  struct Place {
    int32_t parentWatch = -1;
    std::string name;
    bool walked = false;  // the log has the name already
  };
  std::optional<Place> TakeMet(int32_t wd);
  bool anyMet() const { return !met_.empty(); }
  // A scan re-read a directory and no longer found the directory watched by
  // `wd` in it: what that watch queued before the scan is not logged (the
  // scan told what is there), until the directory's rename is read.
  void NoteVanished(int32_t wd) { vanished_.insert(wd); }
  void Revive(int32_t wd) { vanished_.erase(wd); }
  bool IsVanished(int32_t wd) const { return !vanished_.empty() && vanished_.contains(wd); }
  // A scan of a directory that came into the tree found the directory
  // watched by `wd` in it (it had left under another name) and re-pathed it.
  void NoteRepathed(int32_t wd) { repathed_.push_back(wd); }
  std::vector<int32_t> TakeRepathed() { return std::exchange(repathed_, {}); }
  // What a scan reported of the directory watched by `wd` was dropped for a
  // rereading, which has not read it yet.
  void NoteUnread(int32_t wd) { unread_.insert(wd); }
  void NoteRead(int32_t wd) {
    if (!unread_.empty()) unread_.erase(wd);
  }
  // True (once) when the log lacks what the directory watched by `wd` holds.
  bool TakeUnread(int32_t wd) { return !unread_.empty() && unread_.erase(wd) > 0; }
  bool WasReported(int32_t wd) const { return !reported_.empty() && reported_.contains(wd); }

  // True (once) when the kernel's creation event repeats a scan's report.
  bool TakeCreated(int32_t wd, std::string_view name);
  // True (once) when the kernel's deletion event repeats a rescan's report.
  bool TakeDeleted(int32_t wd, std::string_view name);
  bool IsOwnRead(int32_t wd, std::string_view name);
  // The name went away: a later creation of it is a new one.
  void Forget(int32_t wd, std::string_view name);
  // The missed directories, handed over for another try.
  Missed TakeMissed() { return std::exchange(missed_, {}); }
  // True (once) when `name` below the directory watched by `wd` is a missed
  // arrival: it is being renamed, and its scan must report what it holds.
  bool TakeMissedArrival(int32_t wd, std::string_view name);
  bool anyMissed() const { return !missed_.empty(); }
  // Whether the directory `name` below the one watched by `wd` was missed.
  bool IsMissed(int32_t wd, std::string_view name) const;

  // Nothing is kept: no scan since the queue was last read empty.
  bool empty() const {
    return keys_.empty() && missed_.empty() && reported_.empty() && met_.empty() &&
           repathed_.empty() && vanished_.empty() && unread_.empty();
  }
  // The queue was read empty. A missed directory is still hidden by a rename
  // whose other half is awaited (`renamesPending`), and kept for it.
  void Clear(bool renamesPending) {
    keys_.clear();
    if (!renamesPending) missed_.clear();
    reported_.clear();
    met_.clear();
    repathed_.clear();
    vanished_.clear();
    unread_.clear();
  }

 private:
  enum Tag : char { kCreated = 'c', kOwnRead = 'r', kDeleted = 'd', kSkipped = 's' };
  const std::string& Key(Tag tag, int32_t wd, std::string_view name);
  void Insert(Tag tag, int32_t wd, std::string_view name) { keys_.insert(Key(tag, wd, name)); }

  std::unordered_set<std::string> keys_;
  std::string key_;  // reused to look up without allocating
  Missed missed_;
  std::unordered_set<int32_t> reported_;
  std::unordered_map<int32_t, Place> met_;
  std::vector<int32_t> repathed_;
  std::unordered_set<int32_t> vanished_;
  std::unordered_set<int32_t> unread_;
};

}  // namespace tavrek::engine
