#pragma once
// Append-only storage for the many short texts of the change log and the
// access statistics. A text is referred to by a 12-byte handle instead of a
// 32-byte std::string with its own heap block, and views stay valid until
// Clear(), however much is added.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tavrek::engine {

struct TextRef {
  uint32_t block = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

class TextArena {
 public:
  TextRef Add(std::string_view text);
  std::string_view View(TextRef ref) const {
    if (ref.length == 0) return {};
    return {blocks_[ref.block].data.get() + ref.offset, ref.length};
  }
  void Clear();
  // Forgets every text but keeps the first block for the next ones.
  void Rewind();
  // The blocks and the table that lists them.
  size_t BytesReserved() const { return bytesReserved_ + blocks_.capacity() * sizeof(Block); }

 private:
  static constexpr size_t kBlockSize = size_t{1} << 20;
  struct Block {
    std::unique_ptr<char[]> data;
    size_t capacity = 0;
    size_t used = 0;
  };
  std::vector<Block> blocks_;
  size_t bytesReserved_ = 0;
};

}  // namespace tavrek::engine
