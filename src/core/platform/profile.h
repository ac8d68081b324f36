#pragma once
// Private-profile (INI) files with the Windows semantics the settings file
// and the watch-setup documents rely on: section and key names match without
// regard to letter case, the first entry of a key counts, a write replaces a
// value in place or appends the key to its section (or the section to the
// file), new lines end in CR LF, and every call reads the file afresh.
//
// Reads: comment lines (";") and lines without "=" are skipped; values are
// trimmed of blanks and lose one pair of surrounding double quotes. A missing
// or unreadable file reads like an empty one, and so does one that is no
// regular file (a FIFO, a device), one larger than kTextFileLimit and one
// that is no 8-bit text (UTF-16); writes to such a file fail and leave it
// as it is. A leading UTF-8 byte-order mark is ignored, and a file that is
// not valid UTF-8 is read as Windows-1252. A line the functions do not
// understand is kept byte for byte where it stood.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::platform {

inline constexpr size_t kProfileStringBuffer = 1024;
inline constexpr size_t kProfileSectionBuffer = 32000;

// The leading decimal number of the value (blanks, optional "-", digits):
// "12abc" gives 12, "abc" gives 0. A missing key, and like Windows an empty
// value, gives `defaultValue`.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& file);

// The value, or `defaultValue` for a missing key, cut to at most
// bufferSize - 1 bytes; a cut never splits a UTF-8 character, so it may
// stop up to three bytes earlier.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& file,
                                    size_t bufferSize = kProfileStringBuffer);

// Writes `value` for `key`; no key removes the whole section, no value
// removes the key. The file (and its folder) is created by the first write
// and replaced atomically. The file is read, changed and replaced under its
// UpdateLock, so programs writing other keys of it at the same time keep
// each other's changes. Returns false when the lock cannot be had in time,
// when the file cannot be read or written, and for names or values the
// format cannot hold: a section name with "]", a key that is empty, holds
// "=" or starts with "[" or ";", or any of them with a line break or NUL
// byte. Removing what is not there succeeds without touching the file.
bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& file);

// The entry lines ("key=value", trimmed) of the first section of that name,
// each followed by a NUL byte. Only whole lines that fit into bufferSize
// together with the closing NUL of the list are given; that closing NUL is
// not part of the result.
std::string GetPrivateProfileSection(std::string_view section, const std::string& file,
                                     size_t bufferSize = kProfileSectionBuffer);

// Why the file is read as empty although it is there (not a regular file,
// too large, unreadable, not text), for the user; empty when it is fine or
// simply missing.
std::string ProfileFileProblem(const std::string& file);

}  // namespace tavrek::platform
