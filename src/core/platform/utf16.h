#pragma once
// Text files an editor saved as UTF-16: told apart from 8-bit text and
// converted to UTF-8 exactly, or not at all.
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::platform {

enum class Utf16Order { None, LittleEndian, BigEndian };

// By the byte-order mark (FF FE or FE FF), or without one by the first line:
// a NUL in every second byte and none in the others.
Utf16Order DetectUtf16(std::string_view bytes);

// The text as UTF-8, without a leading byte-order mark; nothing when the
// bytes are no valid UTF-16 (an odd count, a surrogate without its partner).
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, Utf16Order order);

}  // namespace tavrek::platform
