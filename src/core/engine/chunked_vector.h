#pragma once
// An append-only sequence stored in fixed-size chunks: growing never copies
// what is stored (no pause when a log of millions of rows grows), and the
// slack is at most one chunk instead of up to half the storage. Given a
// spill store, the chunks live there: a full chunk leaves memory when the
// next one begins, and reading an element tells the store where it reads.
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/engine/spill_store.h"

namespace tavrek::engine {

template <typename T, size_t kChunkSize = 4096>
class ChunkedVector {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "elements live in raw storage");

 public:
  explicit ChunkedVector(SpillStore* store = nullptr) : store_(store) {}
  ~ChunkedVector() { clear(); }
  ChunkedVector(const ChunkedVector&) = delete;
  ChunkedVector& operator=(const ChunkedVector&) = delete;

  // A new element, value-initialised; nullptr when the store is full.
  T* emplace_back() {
    if (size_ == chunks_.size() * kChunkSize && !AddChunk()) return nullptr;
    T* slot = &chunks_[size_ / kChunkSize][size_ % kChunkSize];
    *slot = T{};
    ++size_;
    return slot;
  }
  // The writer's access: the store is not told.
  T& operator[](size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
  const T& operator[](size_t index) const {
    T* chunk = chunks_[index / kChunkSize];
    if (store_ != nullptr) store_->Touch(reinterpret_cast<const char*>(chunk), kChunkBytes);
    return chunk[index % kChunkSize];
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // Gives every chunk back, and the chunk table too (store chunks go with
  // the store's Clear).
  void clear() {
    if (store_ == nullptr) {
      for (T* chunk : chunks_) delete[] chunk;
    }
    std::vector<T*>().swap(chunks_);
    size_ = 0;
  }
  // Forgets what is stored but keeps the chunks for what comes next.
  void rewind() { size_ = 0; }
  size_t BytesReserved() const {
    return chunks_.size() * kChunkBytes + chunks_.capacity() * sizeof(void*);
  }

 private:
  static constexpr size_t kChunkBytes = kChunkSize * sizeof(T);

  bool AddChunk() {
    if (store_ == nullptr) {
      chunks_.push_back(new T[kChunkSize]);
      return true;
    }
    char* piece = store_->Take(kChunkBytes);
    if (piece == nullptr) return false;
    if (!chunks_.empty()) store_->LetGo(reinterpret_cast<const char*>(chunks_.back()), kChunkBytes);
    chunks_.push_back(reinterpret_cast<T*>(piece));
    return true;
  }

  SpillStore* store_;
  std::vector<T*> chunks_;
  size_t size_ = 0;
};

}  // namespace tavrek::engine
