#pragma once
// Keeps the name changes of the log consistent where the kernel merged
// events. While events wait in the queue, an event identical to an earlier
// one of the same process (same kind, directory, name and object) is folded
// into it: a name created and deleted comes as one record with both bits at
// the creation's place, and a rename back and forth comes as one record per
// direction, however often it happened. Taken at face value, the log then
// deletes names before later renames of them and ends on names that no longer
// hold the file.
//
// The ledger remembers what the log has said about each name (which object is
// there, or that it is gone). A deletion merged with an earlier change is kept
// back until the log must have it (before another object takes the name, at
// the end of the drain); a change the log already shows is not told twice; a
// record that shows an object at a name where the log does not have it gets
// the folded rename that took it there first; and when a rename brings an
// object back to a name it had in the drain, and at the end of each drain,
// the names of its renames are checked against the directory entries as they
// are now, adding the repeat of a rename that the kernel folded away.
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/fanotify/fanotify_flat_map.h"
#include "core/engine/backend/fanotify/fanotify_path_table.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

// A directory entry as it is now.
struct FanotifyEntryNow {
  bool present = false;
  FanotifyFileKey object;  // the handle of what is there; empty when it cannot be named
};
// What a name in a directory (known by its handle, wherever it is now) holds
// now; nothing when it cannot be told.
using FanotifyEntryProbe = std::function<std::optional<FanotifyEntryNow>(const FanotifyEntry&)>;

class FanotifyNameLedger {
 public:
  // Beyond this many names the ledger starts afresh rather than grow without bound.
  static constexpr size_t kDefaultCapacity = 65536;

  // Told of every rename the ledger adds (paths as shown), so that whoever
  // places records by the folders' paths can follow.
  using RepeatListener = std::function<void(const std::string& from, const std::string& to,
                                            const FanotifyFileKey& object)>;

  explicit FanotifyNameLedger(FanotifyEntryProbe probe, RepeatListener onRepeat = {},
                              size_t capacity = kDefaultCapacity)
      : probe_(std::move(probe)), onRepeat_(std::move(onRepeat)), capacity_(capacity) {}

  // Each takes one decoded change of a record, in record order, with the
  // object the record names (empty when it names none), and appends what the
  // log shows for it.
  void Created(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out);
  void Deleted(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out);
  // A deletion that came in one record with another change of the name: it
  // happened after that change, at a moment the record does not tell.
  void DeletedLater(RawChange change, const FanotifyFileKey& object,
                    std::vector<RawChange>& out);
  // kRenamed, kMovedIn or kMovedOut; a rename with the record's two entries,
  // by which the names are looked at again at the end of the drain.
  void Moved(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out,
             const std::optional<FanotifyEntry>& from = {},
             const std::optional<FanotifyEntry>& to = {});
  // Settles what the drain's records left open.
  void EndDrain(std::vector<RawChange>& out);
  // Events were lost: nothing the ledger knows can be trusted.
  void Clear();

 private:
  struct Name {
    FanotifyFileKey object;
    bool present = false;
    bool isDirectory = false;
  };
  struct Pending {  // a deletion kept back
    RawChange change;
    FanotifyFileKey object;
  };
  struct Rename {  // a rename of this drain, which the kernel may have folded repeats into
    FanotifyFileKey object;
    std::string from;
    std::string to;
    std::optional<FanotifyEntry> fromEntry;
    std::optional<FanotifyEntry> toEntry;
    int32_t pid = 0;
  };

  const Name* Find(const std::string& path) const;
  bool Holds(const std::string& path, const FanotifyFileKey& object) const;
  bool Told(const std::string& path, const FanotifyFileKey& object, bool present) const;
  void Leave(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out);
  void Renamed(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out,
               const std::optional<FanotifyEntry>& from, const std::optional<FanotifyEntry>& to);
  void SettleRound(const FanotifyFileKey& object, std::vector<RawChange>& out);
  void Bring(const RawChange& like, const FanotifyFileKey& object, const std::string& path,
             std::vector<RawChange>& out);
  void Emit(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out);
  void EmitRepeat(RawChange change, const FanotifyFileKey& object, std::vector<RawChange>& out);
  void Put(const std::string& path, const Name& name);
  // Drops `old` (what the ledger holds at `path`) from the objects' index.
  void Unindex(const std::string& path, const Name& old);
  void MoveNames(const std::string& from, const std::string& to);
  void EraseBelow(const std::string& path);
  // Emits the kept-back deletions at and below `path` whose object is not `except`.
  void ReleaseAt(const std::string& path, const FanotifyFileKey& except,
                 std::vector<RawChange>& out);
  void Release(std::vector<Pending> due, std::vector<RawChange>& out);
  void ReleasePending(Pending pending, std::vector<RawChange>& out);
  void SettleRenames(std::vector<RawChange>& out);
  void SettleObject(const Rename& last, const std::vector<Rename>& renames,
                    std::vector<RawChange>& out);
  std::optional<FanotifyEntryNow> Probe(const std::optional<FanotifyEntry>& entry) const;

  FanotifyEntryProbe probe_;
  RepeatListener onRepeat_;
  size_t capacity_;
  FanotifyPathTable<Name> names_;  // a folder's names are one range
  FanotifyFlatMap<std::string> where_;  // present objects' paths by handle
  std::multimap<std::string, Pending> pending_;  // by path, so a folder's are one range
  // This drain's renames, per object, and the objects in the order first renamed.
  std::unordered_map<FanotifyFileKey, std::vector<Rename>> renamesOf_;
  std::vector<FanotifyFileKey> renamed_;
};

}  // namespace tavrek::engine
