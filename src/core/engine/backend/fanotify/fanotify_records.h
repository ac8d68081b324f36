#pragma once
// What one read of a fanotify descriptor returns, taken apart: event metadata
// followed by info records. Pure: no system calls, and nothing outside the
// given bytes is ever read, whatever they hold.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrek::engine {

// A file-system object as a file handle names it: handle type and handle
// bytes. One group of this backend marks one file system, so the handle alone
// identifies an object; the file-system id of the records is left out.
using FanotifyFileKey = std::string;

FanotifyFileKey MakeFanotifyFileKey(int32_t handleType, std::span<const unsigned char> handle);
// The parts of a key again; false when the key is too short to hold a type.
bool SplitFanotifyFileKey(const FanotifyFileKey& key, int32_t& handleType,
                          std::span<const unsigned char>& handle);

// A name in a directory; the name "." (or an empty one) stands for the
// directory itself.
struct FanotifyEntry {
  FanotifyFileKey directory;
  std::string name;
};

struct FanotifyRecord {
  uint64_t mask = 0;
  int32_t pid = 0;
  uint64_t fsid = 0;                      // of the file system its handles belong to
  std::optional<FanotifyEntry> entry;     // where the event happened
  std::optional<FanotifyEntry> oldEntry;  // a rename's source
  std::optional<FanotifyEntry> newEntry;  // a rename's target
  std::optional<FanotifyFileKey> object;  // the object itself (the child of a directory event)
};

// Says from an event's mask and its directory's handle alone that the event
// is of no interest; such events are passed over without being taken apart.
class FanotifyRecordFilter {
 public:
  virtual ~FanotifyRecordFilter() = default;
  // Sees the mask of every event, in order; false keeps the event.
  virtual bool MayPassOver(uint64_t mask) = 0;
  // Asked next, with the handle of the directory the event names first.
  virtual bool PassesOver(const FanotifyFileKey& directory) = 0;
  // Asked instead for an event that names no directory.
  virtual bool PassesOverUnplaced(uint64_t /*mask*/) { return false; }
};

// Appends the events of `buffer` to `out`, in order, but those `filter`
// passes over. Info records of unknown
// types are skipped; an event with a broken info record is dropped; broken
// event metadata ends the parse, since no later event can be found safely.
// Returns how many events (or unparsable tails) were dropped.
uint32_t ParseFanotifyRecords(std::span<const std::byte> buffer, std::vector<FanotifyRecord>& out,
                              FanotifyRecordFilter* filter = nullptr);

}  // namespace tavrek::engine
