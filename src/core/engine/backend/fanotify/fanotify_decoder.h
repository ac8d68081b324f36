#pragma once
// Turns fanotify records into changes of one watched folder. The kernel marks
// a whole file system, so every record is placed by its directory's path and
// kept only when it lies in the folder. Where a directory is, is asked of the
// cache, then of the records read in the same drain, then of the injected
// resolver (the kernel, in the backend; a table, in tests).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/fanotify/fanotify_handle_cache.h"
#include "core/engine/backend/fanotify/fanotify_later_records.h"
#include "core/engine/backend/fanotify/fanotify_name_ledger.h"
#include "core/engine/backend/fanotify/fanotify_outside_filter.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

// The path of the directory with this handle now, without a trailing "/" ("/"
// for the root); nothing when it cannot be found (deleted, stale handle).
using FanotifyHandleResolver = std::function<std::optional<std::string>(const FanotifyFileKey&)>;
// The parent directory's handle and the directory's name in it now; nothing
// at the top of the file system or when it cannot be told.
using FanotifyParentResolver =
    std::function<std::optional<FanotifyEntry>(const FanotifyFileKey&)>;

// A process started the program file the record names (its entry), found at
// `path` when it could be placed (empty otherwise).
using FanotifyExecSink = std::function<void(const FanotifyRecord& record, const std::string& path)>;

struct FanotifyFolder {
  std::string shownPath;  // the folder as given, normalised: ends in exactly one "/"
  std::string realPath;   // the same folder as the kernel names it (links resolved), ends in "/"
  FanotifyFileKey key;    // the folder's own handle
  bool subtree = true;
};

class FanotifyDecoder {
 public:
  // `probe` tells what a name in a directory holds now; it settles what
  // records merged by the kernel leave open.
  FanotifyDecoder(FanotifyFolder folder, FanotifyHandleResolver resolver,
                  FanotifyEntryProbe probe = {}, FanotifyParentResolver parent = {});
  // The ledger calls back into the decoder: it stays where it was made.
  FanotifyDecoder(const FanotifyDecoder&) = delete;
  FanotifyDecoder& operator=(const FanotifyDecoder&) = delete;

  // Decodes the records of one drain in order and appends the changes inside
  // the folder. Stops at a record that ends the watch (the folder deleted or
  // moved, or a folder above it moved).
  DrainResult DecodeRecords(const std::vector<FanotifyRecord>& records,
                            std::vector<RawChange>& out);
  // A record placed in a directory that could not be found waits for the next
  // drain once, alone (the records after it go on): the record of that
  // directory's own deletion usually follows at once and tells where it was.
  // True while records wait.
  bool holding() const { return !held_.empty(); }
  // Decodes the waiting records as well as they can be placed now.
  void FlushHeld(std::vector<RawChange>& out);
  // Asks the kernel now where the directories of records[from...] are (and
  // the folders above them), for the next DecodeRecords. The kernel can only
  // tell where a directory is when asked; asked before the reader reads again,
  // every rename that could make an answer late is among the records then.
  // False when every directory was known and the kernel was not asked.
  bool LookUp(const std::vector<FanotifyRecord>& records, size_t from);
  // Parses one buffer as read from the kernel, appending its records; a
  // file's change in a directory known to lie outside the folder is passed
  // over unparsed.
  void Parse(std::span<const std::byte> buffer, std::vector<FanotifyRecord>& records);
  // Parses one buffer as read from the kernel and decodes it.
  DrainResult Decode(std::span<const std::byte> buffer, std::vector<RawChange>& out);

  // Records of programs started are told to `sink`, in their place among the
  // changes; they never make changes themselves. Only those of the folder's
  // file system (`fsid`) can be placed by the folder's handles.
  void OnExec(uint64_t fsid, FanotifyExecSink sink) {
    fsid_ = fsid;
    execSink_ = std::move(sink);
  }

  // Whether a directory came into the folder from outside (or records were
  // lost, so one may have) since the last call.
  bool TakeArrival() { return std::exchange(arrived_, false); }
  // Directories outside the folder busy with files' changes (see the filter).
  std::vector<FanotifyFileKey> TakeBusyOutside() { return outside_.TakeBusy(); }
  // The path to show for a path as the kernel names it, when it lies in the folder.
  std::optional<std::string> ShownPath(const std::string& realPath) const;
  // The same, taking the path.
  std::optional<std::string> ShownPath(std::string&& realPath) const;

  // Events dropped so far because their bytes were broken.
  uint32_t malformed() const { return malformed_; }
  const FanotifyDirectoryCache& cache() const { return cache_; }

 private:
  bool EndsWatch(const FanotifyRecord& record);
  // Tells the sink of an exec in the record; true when the record holds nothing else.
  bool TakeExec(const FanotifyRecord& record);
  // `deletionWaits`: a deletion merged into the record waits for what later
  // records of the drain say (see FanotifyLaterRecords).
  void Translate(const FanotifyRecord& record, bool deletionWaits, std::vector<RawChange>& out);
  void TranslateRename(const FanotifyRecord& record, std::vector<RawChange>& out);
  void EmitEntry(const FanotifyRecord& record, std::string shown, bool deletionWaits,
                 std::vector<RawChange>& out);
  void FollowRepeat(const std::string& from, const std::string& to, const FanotifyFileKey& key);
  void FollowMove(const std::optional<std::string>& oldPath,
                  const std::optional<std::string>& newPath, const FanotifyRecord& record);

  void CollectLocations(const std::vector<FanotifyRecord>& records);
  bool Placeable(const FanotifyRecord& record);
  bool AboutHeldObject(const FanotifyRecord& record) const;
  DrainResult DecodeAll(const std::vector<FanotifyRecord>& records, size_t holdFrom,
                        std::vector<RawChange>& out);
  struct KernelAnswer {
    std::optional<std::string> path;
    std::optional<FanotifyEntry> parent;
  };
  const KernelAnswer& Ask(const FanotifyFileKey& key);
  // True when the kernel was asked about a directory on the way up.
  bool LookUpChain(const FanotifyFileKey& key);
  std::optional<std::string> ResolveDirectory(const FanotifyFileKey& key, int depth = 0);
  std::optional<std::string> ResolveEntry(const FanotifyEntry& entry);
  // Whether a path as the kernel names it lies in the folder (and, without
  // the subtree, directly in it).
  bool InFolder(const std::string& realPath) const;

  FanotifyFolder folder_;
  std::string folderDirectory_;  // realPath without its trailing "/" ("/" for the root)
  FanotifyHandleResolver resolver_;
  FanotifyParentResolver parentResolver_;
  FanotifyDirectoryCache cache_;
  FanotifyOutsideFilter outside_;
  FanotifyNameLedger ledger_;
  FanotifyLaterRecords later_;  // of the drain being decoded
  // Within one drain: where each directory that is deleted or moved later in
  // the drain was before (its first such record), so events inside it can be
  // placed even when the kernel no longer finds it; and what the kernel
  // answered about each handle, so it is asked only once.
  std::unordered_map<FanotifyFileKey, FanotifyEntry> earlierLocation_;
  std::unordered_map<FanotifyFileKey, KernelAnswer> answers_;
  uint32_t malformed_ = 0;
  bool arrived_ = false;
  std::vector<FanotifyRecord> held_;
  // Where the record last asked about by Placeable is, for its translation.
  const FanotifyRecord* placedRecord_ = nullptr;
  std::optional<std::string> placed_;
  FanotifyExecSink execSink_;
  uint64_t fsid_ = 0;
};

}  // namespace tavrek::engine
