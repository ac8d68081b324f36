#pragma once
// The per-user registry of the program: typed values (string, 32-bit
// number, binary) under backslash-separated key paths such as
// "Software\Quorvane\Tavrek", kept in a REGEDIT4 text file below
// HKEY_CURRENT_USER. Key and value names match without regard to letter case.
//
// Every read opens the file afresh and every write reads it, changes it and
// replaces it atomically under the file's UpdateLock, so several stores on
// one file (one per window, or in other programs) see and keep each other's
// writes. A write changes only the line of its value; every other line of
// the file stays byte for byte. A write fails (false) when its lock cannot be
// had in time, when the file cannot be read or written, or for names the
// file cannot hold: control characters or bytes that are not UTF-8 in a key
// or value name.
//
// A file that is not a regular file, is larger than kTextFileLimit or cannot
// be read reads as empty and is never written. A file that is no REGEDIT4
// text (UTF-16, say) reads as empty too; the first write moves it to
// "registry.reg.bak" and begins a new file, unless a backup of that name is
// already there: then writes fail and both files stay as they are.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

class RegistryStore {
 public:
  explicit RegistryStore(std::string filePath);

  // ConfigFolder() + "/registry.reg".
  static std::string DefaultPath();
  const std::string& filePath() const { return filePath_; }

  bool SetString(std::string_view key, std::string_view name, std::string_view value);
  bool SetDword(std::string_view key, std::string_view name, uint32_t value);
  bool SetBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value);

  // Nothing when the value is missing or has another type.
  std::optional<std::string> GetString(std::string_view key, std::string_view name) const;
  std::optional<uint32_t> GetDword(std::string_view key, std::string_view name) const;
  std::optional<std::vector<uint8_t>> GetBinary(std::string_view key,
                                                std::string_view name) const;

  // True when the key, or a key below it, is in the file.
  bool KeyExists(std::string_view key) const;
  // True when the value was there and the file was rewritten without it.
  bool DeleteValue(std::string_view key, std::string_view name);
  // True when the key or a key below it was there and the file was
  // rewritten without the key and everything below it.
  bool DeleteKeyTree(std::string_view key);

  // Told after every write of a value that did not reach the file (locked,
  // unreadable, write-protected, disk full); not for a name the file cannot hold.
  using WriteFailureListener = std::function<void()>;
  void SetWriteFailureListener(WriteFailureListener listener) { writeFailed_ = std::move(listener); }

  // Why the file reads as empty although it is there (not a regular file,
  // too large, unreadable, no REGEDIT4 text), for the user; empty when it is
  // fine or simply missing.
  std::string FileProblem() const;

 private:
  std::optional<std::string> ReadData(std::string_view key, std::string_view name,
                                      uint32_t type) const;
  bool WriteValue(std::string_view key, std::string_view name, uint32_t type, std::string data);

  std::string filePath_;
  WriteFailureListener writeFailed_;
};

}  // namespace tavrek::platform
