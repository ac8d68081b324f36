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
// Reading is lenient: ";" comments are kept, hex data may continue over lines
// ending in "\", and a line that cannot be parsed is ignored, so it is not
// written back when the file is next rewritten. Keys listed twice are merged;
// of a value listed twice the later one counts, as an import would apply it.
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
  static RegistryDocument Parse(std::string_view text);
  std::string Format() const;  // CR LF line ends

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
    std::optional<RegistryValue> value;
    std::string comment;  // the whole line, when it is a comment
  };
  struct Key {
    std::string path;
    std::string upperPath;
    std::vector<Line> lines;
  };

  std::optional<size_t> FindKey(std::string_view keyPath) const;
  size_t KeyIndexForWriting(std::string_view keyPath);
  struct Position {
    size_t key;
    size_t line;
  };
  std::optional<Position> FindLine(std::string_view keyPath, std::string_view name) const;

  std::vector<Line> leadingLines_;  // comments before the first key
  std::vector<Key> keys_;
};

}  // namespace tavrek::platform
