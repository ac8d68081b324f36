#include "core/engine/text_arena.h"

#include <algorithm>
#include <cstring>

namespace tavrek::engine {

TextRef TextArena::Add(std::string_view text) {
  if (text.empty()) return {};
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < text.size()) {
    // A text longer than a block gets a block of its own.
    Block block;
    block.capacity = std::max(kBlockSize, text.size());
    block.data = std::make_unique_for_overwrite<char[]>(block.capacity);
    bytesReserved_ += block.capacity;
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  std::memcpy(block.data.get() + block.used, text.data(), text.size());
  TextRef ref{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(block.used),
              static_cast<uint32_t>(text.size())};
  block.used += text.size();
  return ref;
}

void TextArena::Rewind() {
  if (blocks_.empty()) return;
  blocks_.resize(1);
  blocks_.front().used = 0;
  bytesReserved_ = blocks_.front().capacity;
}

void TextArena::Clear() {
  std::vector<Block>().swap(blocks_);
  bytesReserved_ = 0;
}

}  // namespace tavrek::engine
