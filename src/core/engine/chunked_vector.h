#pragma once
// An append-only sequence stored in fixed-size chunks: growing never copies
// what is stored (no pause when a log of millions of rows grows), and the
// slack is at most one chunk instead of up to half the storage.
#include <cstddef>
#include <memory>
#include <vector>

namespace tavrek::engine {

template <typename T, size_t kChunkSize = 4096>
class ChunkedVector {
 public:
  T& emplace_back() {
    if (size_ == chunks_.size() * kChunkSize) chunks_.push_back(std::make_unique<T[]>(kChunkSize));
    T& slot = chunks_[size_ / kChunkSize][size_ % kChunkSize];
    slot = T{};
    ++size_;
    return slot;
  }
  T& operator[](size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
  const T& operator[](size_t index) const {
    return chunks_[index / kChunkSize][index % kChunkSize];
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // Gives every chunk back, and the chunk table too.
  void clear() {
    std::vector<std::unique_ptr<T[]>>().swap(chunks_);
    size_ = 0;
  }
  // Forgets what is stored but keeps the chunks for what comes next.
  void rewind() { size_ = 0; }
  size_t BytesReserved() const {
    return chunks_.size() * kChunkSize * sizeof(T) + chunks_.capacity() * sizeof(void*);
  }

 private:
  std::vector<std::unique_ptr<T[]>> chunks_;
  size_t size_ = 0;
};

}  // namespace tavrek::engine
