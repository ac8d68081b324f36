#pragma once
// The one settings object of the process: integers and short texts in the
// program's INI file, read and written at once on every call. A write that
// does not reach the file returns false and tells the listener why; a file
// the user made write-protected is left as it is, as a write-protected INI
// file is on Windows.
#include <functional>
#include <string>
#include <string_view>

#include "core/app/settings_problem.h"

namespace tavrek::app {

class SettingsStore {
 public:
  // The file need not exist; the first write creates it and its folder.
  explicit SettingsStore(std::string filePath);

  // The leading decimal number of the value ("12abc" gives 12, "abc" 0); a
  // missing key gives the default. When neither bound is -1 the value is
  // limited to at most the upper, then to at least the lower bound.
  int GetInt(std::string_view section, std::string_view key, int defaultValue,
             int lowerBound = -1, int upperBound = -1) const;
  bool WriteInt(std::string_view section, std::string_view key, int value);

  // At most 1,023 bytes come back; a missing key gives the default.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);

  const std::string& filePath() const { return filePath_; }

  // Told after every write that failed, with why it failed.
  using WriteFailureListener = std::function<void(SettingsProblem)>;
  void SetWriteFailureListener(WriteFailureListener listener) { writeFailed_ = std::move(listener); }

 private:
  bool Write(std::string_view section, std::string_view key, std::string_view value);

  std::string filePath_;
  WriteFailureListener writeFailed_;
};

// The entry lines of a section of an INI file (a watch-setup document, say),
// each followed by CR LF; empty for an empty or missing section.
std::string ReadProfileSection(std::string_view section, const std::string& file);

}  // namespace tavrek::app
