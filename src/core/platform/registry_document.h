#pragma once
// The registry store's file: REGEDIT4 text, one "[key path]" line per key
// followed by its values, one per line:
//   "Name"="text"            a string; "\\" and "\"" are the only escapes
//   "Name"=hex(1):41,00      a string holding bytes a quoted string cannot
//                            carry (control characters such as CR, LF and
//                            NUL, or bytes that are not UTF-8): its bytes
//                            followed by the terminating 00
//   "Name"=dword:0000002a    a 32-bit number
//   "Name"=hex:01,ff         binary data
//   "Name"=hex(7):...        any other type, kept as it is
//   @=...                    the key's unnamed value
// Reading is lenient: hex data may continue over lines ending in "\", and a
// line that cannot be parsed (a comment, a broken key line, a value of a form
// this program does not know) is ignored. Values below a key line that cannot
// be parsed belong to no key. Of a value listed twice (also under a key listed
// twice) the later one counts, as an import would apply it.
//
// Writing changes only the lines of the values set or removed: every other
// line, understood or not, comes back byte for byte where it stood. A file
// read as Windows-1252 (not valid UTF-8) is written back in that encoding
// while everything fits into it, and as UTF-8 otherwise.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

inline constexpr uint32_t kRegistryString = 1;
inline constexpr uint32_t kRegistryBinary = 3;
inline constexpr uint32_t kRegistryDword = 4;

struct RegistryValue {
  std::string name;  // empty for the unnamed value
  uint32_t type = kRegistryString;
  std::string data;  // string: the text; dword: 4 bytes little endian; else the bytes
};

class RegistryDocument {
 public:
  // True when the bytes are REGEDIT4 text (or empty); anything else, such as
  // a UTF-16 export, must not be rewritten by this class.
  static bool IsRegistryText(std::string_view bytes);
  static RegistryDocument Parse(std::string_view bytes);
  std::string Format() const;  // new lines end in CR LF

  // Key paths are full ("HKEY_CURRENT_USER\Software\..."); key and value
  // names match without regard to letter case.
  const RegistryValue* FindValue(std::string_view keyPath, std::string_view name) const;
  // True when the key or a key below it is present.
  bool HasKey(std::string_view keyPath) const;
  // Replaces the value of that name (keeping its place) or appends it,
  // adding the key at the end when it is missing.
  void SetValue(std::string_view keyPath, RegistryValue value);
  bool RemoveValue(std::string_view keyPath, std::string_view name);
  // Removes the key with every key below it; true when one was there.
  bool RemoveKeyTree(std::string_view keyPath);

 private:
  struct Line {
    std::optional<RegistryValue> value;  // none: a line kept as it is
    std::string raw;  // the line(s) as read with their ends; empty once changed
  };
  struct Key {
    std::string path;
    std::string upperPath;
    std::string rawHeader;  // the key line as read; empty for a new key
    std::vector<Line> lines;
  };

  // The last listing of the key, whose values are appended to.
  std::optional<size_t> FindKey(std::string_view keyPath) const;
  size_t KeyIndexForWriting(std::string_view keyPath);
  struct Position {
    size_t key;
    size_t line;
  };
  std::optional<Position> FindLine(std::string_view keyPath, std::string_view name) const;

  std::vector<Line> leadingLines_;  // the header and whatever precedes the first key
  std::vector<Key> keys_;
  bool windows1252_ = false;  // the file was not UTF-8
  bool hasHeader_ = false;    // the file began with "REGEDIT4" (an empty one did not)
};

}  // namespace tavrek::platform
