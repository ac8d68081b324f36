#pragma once
// Windows-1252, the 8-bit code page of files made by the Windows version of
// the program, and the check that tells such files from UTF-8 ones.
#include <string>
#include <string_view>

namespace tavrek::platform {

bool IsValidUtf8(std::string_view text);

// Every byte becomes its Windows-1252 character. The five bytes that code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of
// the same value, as Windows itself converts them, so they convert back.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters Windows-1252 lacks, and bytes that are not valid UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

// Text of a stored file: the bytes themselves when they are valid UTF-8,
// otherwise read as Windows-1252.
std::string DecodeStoredText(std::string_view bytes);

}  // namespace tavrek::platform
