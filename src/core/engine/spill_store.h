#pragma once
// The storage under a change log that must not grow in memory: pieces of
// shared mappings, the first few megabytes in memory (a short log makes no
// file), everything after in a spill file. A piece the writer has finished
// and the pieces read longest ago leave the resident set; the kernel reads
// them back from the file when they are looked at again, so a piece stays
// valid and readable at its address until Clear().
//
// When the disk cannot take more (full, quota, folder not writable), the
// store says so once (TakeFailure) and goes on in memory up to a fixed cap;
// past the cap Take() gives nothing and the caller counts what it loses.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/spill_file.h"

namespace tavrek::engine {

struct SpillSettings {
  std::vector<std::string> folders;  // empty: SpillFolderCandidates()
  size_t memoryBytes = size_t{4} << 20;  // held in memory before the file is made
  size_t memoryCap = size_t{128} << 20;  // held in memory once the disk fails
};

struct SpillFailure {
  int error = 0;
  std::string folder;
};

class SpillStore {
 public:
  explicit SpillStore(SpillSettings settings = {});
  ~SpillStore() { Clear(); }
  SpillStore(const SpillStore&) = delete;
  SpillStore& operator=(const SpillStore&) = delete;

  // `bytes` of zeroed storage (rounded up to whole pages); nullptr when
  // neither the disk nor the memory cap leaves room.
  char* Take(size_t bytes);
  // The writer is done with the piece: it leaves the resident set.
  void LetGo(const char* piece, size_t bytes) const;
  // A reader is in the piece; the piece read longest ago of those
  // remembered leaves the resident set, so that reading the whole log (an
  // export, a scroll to the top) keeps only a few pieces in memory.
  void Touch(const char* piece, size_t bytes) const {
    if (piece != lastRead_) Remember(piece, bytes);
  }
  // Gives every piece back: the memory and the disk at once.
  void Clear();

  size_t DiskBytes() const { return file_.size(); }
  size_t MemoryBytes() const { return memoryTaken_; }
  // Set once when the disk could not take more; nothing after that.
  std::optional<SpillFailure> TakeFailure();

 private:
  enum class Stage { kMemory, kDisk, kFallback, kFull };
  struct Segment {
    char* base = nullptr;
    size_t bytes = 0;
    size_t used = 0;
    size_t fileOffset = 0;
    bool inFile = false;
  };
  struct ReadPiece {
    const char* data = nullptr;
    size_t bytes = 0;
  };
  static constexpr size_t kReadPieces = 16;

  char* TakeSpace(size_t bytes);
  char* TakeFromLast(size_t bytes);
  char* NewFileSegment(size_t bytes);
  char* NewMemorySegment(size_t bytes, size_t segmentBytes);
  void Fail(int error);
  void Remember(const char* piece, size_t bytes) const;

  SpillSettings settings_;
  SpillFile file_;
  std::vector<Segment> segments_;
  Stage stage_ = Stage::kMemory;
  size_t memoryTaken_ = 0;
  size_t fallbackTaken_ = 0;
  std::optional<SpillFailure> failure_;
  bool failureTaken_ = false;
  // What readers looked at last: a small ring, evicted oldest first.
  mutable std::array<ReadPiece, kReadPieces> readPieces_{};
  mutable size_t nextRead_ = 0;
  mutable const char* lastRead_ = nullptr;
};

}  // namespace tavrek::engine
