#pragma once
// Text files an editor saved as UTF-16: told apart from 8-bit text and
// converted to UTF-8 exactly, or not at all.
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::platform {

enum class Utf16Order { None, LittleEndian, BigEndian };

// The two halves of a code point beyond U+FFFF, and the code point they make.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  constexpr char32_t kFirstSupplementary = 0x10000;
  constexpr int kHalfBits = 10;
  return kFirstSupplementary + ((high - 0xD800) << kHalfBits) + (low - 0xDC00);
}

// By the byte-order mark (FF FE or FE FF), or without one by the first line:
// a NUL in every second byte and none in the others.
Utf16Order DetectUtf16(std::string_view bytes);

// The text as UTF-8, without a leading byte-order mark; nothing when the
// bytes are no valid UTF-16 (an odd count, a surrogate without its partner).
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, Utf16Order order);

}  // namespace tavrek::platform
