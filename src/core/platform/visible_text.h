#pragma once
// File names shown to a person. A Linux name is any bytes but "/" and NUL: it
// may hold terminal control sequences, line breaks and bytes that are no
// UTF-8. Shown as they are, such names drive the terminal, break the one line
// per row, or make the output invalid; shown as below, every name is one
// valid UTF-8 text that maps back to exactly one name.
#include <string>
#include <string_view>

namespace tavrek::platform {

// Control characters (C0, DEL, and C1 as UTF-8), the invisible format
// characters that can make a name look like another (bidi overrides and
// isolates, zero-width characters, line and paragraph separators and the
// like) and bytes that are not part of valid UTF-8 become "\xHH" per byte
// (lower-case hex), a backslash becomes "\\"; everything else stays as it is.
std::string VisibleText(std::string_view text);
// The same, appended to `out`.
void AppendVisibleText(std::string& out, std::string_view text);

// Whether VisibleText escapes this code point: a control or a format
// character that shows nothing of its own.
bool EscapedWhenShown(char32_t codePoint);

// The name again from VisibleText's result; a "\" that starts no escape stays.
std::string FromVisibleText(std::string_view text);

}  // namespace tavrek::platform
