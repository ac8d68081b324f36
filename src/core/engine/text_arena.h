#pragma once
// Append-only storage for the many short texts of the change log and the
// access statistics. A text is referred to by a 12-byte handle instead of a
// 32-byte std::string with its own heap block, and views stay valid until
// Clear(), however much is added. Given a spill store, the blocks live
// there: a full block leaves memory when the next one begins.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/engine/spill_store.h"

namespace tavrek::engine {

struct TextRef {
  uint32_t block = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

class TextArena {
 public:
  // The last blocks, which a writer may read back (to find a text stored
  // before); an older block leaves memory for good once a new one begins.
  static constexpr uint32_t kRecentBlocks = 4;

  explicit TextArena(SpillStore* store = nullptr) : store_(store) {}
  ~TextArena() { Clear(); }
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  TextRef Add(std::string_view text) { return *TryAdd(text); }
  // Nothing when the store can take no more (never without a store).
  std::optional<TextRef> TryAdd(std::string_view text);
  // A reader's view: the store learns where it reads.
  std::string_view View(TextRef ref) const {
    if (ref.length == 0) return {};
    const Block& block = blocks_[ref.block];
    if (store_ != nullptr) store_->Touch(block.data, block.capacity);
    return {block.data + ref.offset, ref.length};
  }
  // The writer's own look at a text it stored.
  std::string_view Peek(TextRef ref) const {
    if (ref.length == 0) return {};
    return {blocks_[ref.block].data + ref.offset, ref.length};
  }
  size_t BlockCount() const { return blocks_.size(); }
  void Clear();
  // Forgets every text but keeps the first block for the next ones.
  void Rewind();
  // The blocks and the table that lists them.
  size_t BytesReserved() const { return bytesReserved_ + blocks_.capacity() * sizeof(Block); }

 private:
  static constexpr size_t kBlockSize = size_t{1} << 20;
  struct Block {
    char* data = nullptr;
    size_t capacity = 0;
    size_t used = 0;
  };
  bool AddBlock(size_t atLeast);
  void FreeBlocks(size_t from);

  SpillStore* store_;
  std::vector<Block> blocks_;
  size_t bytesReserved_ = 0;
};

}  // namespace tavrek::engine
