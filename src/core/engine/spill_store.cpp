#include "core/engine/spill_store.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tavrek::engine {
namespace {

// Address space per mapping of the file: few mappings for a log of hours
// (the kernel limits their number), and the file itself grows piece by piece.
constexpr size_t kFileSegmentBytes = size_t{64} << 20;
constexpr size_t kMemorySegmentBytes = size_t{4} << 20;

size_t PageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

size_t RoundUpToPages(size_t bytes) {
  const size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

// Shared anonymous memory: letting a piece of it go keeps its content, as
// for the file.
char* MapMemory(size_t bytes) {
  void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                    MAP_SHARED | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return data == MAP_FAILED ? nullptr : static_cast<char*>(data);
}

}  // namespace

SpillStore::SpillStore(SpillSettings settings) : settings_(std::move(settings)) {
  if (settings_.folders.empty()) settings_.folders = SpillFolderCandidates();
}

char* SpillStore::Take(size_t bytes) {
  bytes = RoundUpToPages(std::max<size_t>(bytes, 1));
  char* piece = TakeSpace(bytes);
  // One call maps every page of the piece, instead of one fault per page as
  // the writer reaches it (older kernels refuse; the faults then do it).
  if (piece != nullptr) madvise(piece, bytes, MADV_POPULATE_WRITE);
  return piece;
}

char* SpillStore::TakeSpace(size_t bytes) {
  if (char* piece = TakeFromLast(bytes)) return piece;
  for (;;) {
    switch (stage_) {
      case Stage::kMemory:
        if (segments_.empty() && bytes <= settings_.memoryBytes) {
          if (char* piece = NewMemorySegment(bytes, settings_.memoryBytes)) return piece;
        }
        stage_ = Stage::kDisk;
        break;
      case Stage::kDisk:
        if (char* piece = NewFileSegment(bytes)) return piece;
        break;  // Fail() went on to the fallback
      case Stage::kFallback:
        if (char* piece = NewMemorySegment(bytes, kMemorySegmentBytes)) return piece;
        stage_ = Stage::kFull;
        break;
      case Stage::kFull: return nullptr;
    }
  }
}

char* SpillStore::TakeFromLast(size_t bytes) {
  if (segments_.empty()) return nullptr;
  Segment& last = segments_.back();
  if (last.bytes - last.used < bytes) return nullptr;
  if (last.inFile) {
    if (stage_ != Stage::kDisk) return nullptr;
    if (const int error = file_.GrowTo(last.fileOffset + last.used + bytes); error != 0) {
      Fail(error);
      return nullptr;
    }
  }
  char* piece = last.base + last.used;
  last.used += bytes;
  return piece;
}

char* SpillStore::NewFileSegment(size_t bytes) {
  if (!file_.open()) {
    if (const int error = file_.Open(settings_.folders); error != 0) {
      Fail(error);
      return nullptr;
    }
  }
  const size_t offset = file_.size();
  if (const int error = file_.GrowTo(offset + bytes); error != 0) {
    Fail(error);
    return nullptr;
  }
  const size_t mapped = std::max(bytes, kFileSegmentBytes);
  char* base = file_.Map(offset, mapped);
  if (base == nullptr) {
    Fail(errno);
    return nullptr;
  }
  segments_.push_back({base, mapped, bytes, offset, true});
  return base;
}

char* SpillStore::NewMemorySegment(size_t bytes, size_t segmentBytes) {
  const bool fallback = stage_ == Stage::kFallback;
  const size_t room = fallback ? settings_.memoryCap - fallbackTaken_ : segmentBytes;
  if (bytes > room) return nullptr;
  const size_t size = RoundUpToPages(std::max(bytes, std::min(segmentBytes, room)));
  char* base = MapMemory(size);
  if (base == nullptr) return nullptr;
  memoryTaken_ += size;
  if (fallback) fallbackTaken_ += size;
  segments_.push_back({base, size, bytes, 0, false});
  return base;
}

void SpillStore::Fail(int error) {
  if (!failure_) {
    const std::string& folder = file_.folder().empty() ? settings_.folders.front() : file_.folder();
    failure_ = SpillFailure{error != 0 ? error : EIO, folder};
  }
  stage_ = Stage::kFallback;
}

std::optional<SpillFailure> SpillStore::TakeFailure() {
  if (failureTaken_ || !failure_) return std::nullopt;
  failureTaken_ = true;
  return failure_;
}

void SpillStore::LetGo(const char* piece, size_t bytes) const {
  madvise(const_cast<char*>(piece), RoundUpToPages(bytes), MADV_DONTNEED);
}

void SpillStore::Remember(const char* piece, size_t bytes) const {
  lastRead_ = piece;
  for (const ReadPiece& read : readPieces_) {
    if (read.data == piece) return;
  }
  ReadPiece& oldest = readPieces_[nextRead_];
  nextRead_ = (nextRead_ + 1) % kReadPieces;
  if (oldest.data != nullptr) LetGo(oldest.data, oldest.bytes);
  oldest = {piece, bytes};
}

void SpillStore::Clear() {
  for (const Segment& segment : segments_) munmap(segment.base, segment.bytes);
  std::vector<Segment>().swap(segments_);
  file_.Close();
  stage_ = Stage::kMemory;
  memoryTaken_ = 0;
  fallbackTaken_ = 0;
  failure_.reset();
  failureTaken_ = false;
  readPieces_ = {};
  nextRead_ = 0;
  lastRead_ = nullptr;
}

}  // namespace tavrek::engine
