#pragma once
// The two primitives every text conversion of the program rests on: reading
// one UTF-8 sequence strictly and appending a code point as UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace tavrek::platform {

struct Utf8Sequence {
  char32_t codePoint = 0;
  size_t length = 0;  // 0 when the bytes at the position are not valid UTF-8
};

// Reads the sequence starting at `position`. Overlong forms, surrogates, code
// points above U+10FFFF and cut sequences are invalid (length 0).
Utf8Sequence DecodeUtf8At(std::string_view text, size_t position);

// Appends the UTF-8 form of a valid code point (not a surrogate, at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tavrek::platform
