#pragma once
// The arithmetic the flat string tables share: a hash tag per key, a home
// slot by Fibonacci hashing in a power-of-two table, linear probing, and the
// test that backward-shift deletion makes when a slot is freed.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace tavrek::engine::flat_hash {

inline constexpr size_t kFirstSize = 8;
inline constexpr uint64_t kSpread = 0x9e3779b97f4a7c15ULL;
inline constexpr unsigned kWordBits = 64;
inline constexpr unsigned kTagShift = 32;

// Bits of the key's hash, kept in its slot so most other keys are passed unread.
inline uint32_t Tag(std::string_view key) {
  const uint64_t hash = std::hash<std::string_view>{}(key);
  return static_cast<uint32_t>(hash ^ (hash >> kTagShift));
}

// The shift that maps a tag onto a table of `size` slots (a power of two).
inline unsigned ShiftFor(size_t size) {
  unsigned shift = kWordBits;
  for (size_t power = 1; power < size; power *= 2) --shift;
  return shift;
}

inline size_t Home(uint32_t tag, unsigned shift) {
  return static_cast<size_t>((tag * kSpread) >> shift);
}

inline size_t Next(size_t slot, size_t size) { return (slot + 1) & (size - 1); }

// Whether the entry in `slot`, whose home is `home`, may move up into the
// freed `gap` before it in its probe run.
inline bool MovesIntoGap(size_t slot, size_t home, size_t gap, size_t size) {
  const size_t mask = size - 1;
  return ((slot - home) & mask) >= ((slot - gap) & mask);
}

// The size after growing a table of `size` slots.
inline size_t GrownSize(size_t size) { return size == 0 ? kFirstSize : 2 * size; }

}  // namespace tavrek::engine::flat_hash
