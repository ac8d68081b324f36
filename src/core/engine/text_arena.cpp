#include "core/engine/text_arena.h"

#include <algorithm>
#include <cstring>

namespace tavrek::engine {

bool TextArena::AddBlock(size_t atLeast) {
  // A text longer than a block gets a block of its own.
  Block block;
  block.capacity = std::max(kBlockSize, atLeast);
  if (store_ == nullptr) {
    block.data = new char[block.capacity];
  } else {
    block.data = store_->Take(block.capacity);
    if (block.data == nullptr) return false;
    if (!blocks_.empty()) store_->LetGo(blocks_.back().data, blocks_.back().capacity);
    if (blocks_.size() > kRecentBlocks) {
      const Block& old = blocks_[blocks_.size() - 1 - kRecentBlocks];
      store_->LetGo(old.data, old.capacity);
    }
  }
  bytesReserved_ += block.capacity;
  blocks_.push_back(block);
  return true;
}

std::optional<TextRef> TextArena::TryAdd(std::string_view text) {
  if (text.empty()) return TextRef{};
  if ((blocks_.empty() || blocks_.back().capacity - blocks_.back().used < text.size()) &&
      !AddBlock(text.size())) {
    return std::nullopt;
  }
  Block& block = blocks_.back();
  std::memcpy(block.data + block.used, text.data(), text.size());
  TextRef ref{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(block.used),
              static_cast<uint32_t>(text.size())};
  block.used += text.size();
  return ref;
}

void TextArena::FreeBlocks(size_t from) {
  for (size_t i = from; i < blocks_.size(); ++i) {
    if (store_ == nullptr) delete[] blocks_[i].data;
    bytesReserved_ -= blocks_[i].capacity;
  }
  blocks_.resize(std::min(from, blocks_.size()));
}

void TextArena::Rewind() {
  if (blocks_.empty()) return;
  FreeBlocks(1);
  blocks_.front().used = 0;
}

void TextArena::Clear() {
  FreeBlocks(0);
  std::vector<Block>().swap(blocks_);
  bytesReserved_ = 0;
}

}  // namespace tavrek::engine
