#include "core/app/settings_store.h"

#include <algorithm>

#include "core/platform/profile.h"

namespace tavrek::app {
namespace {

constexpr int kNoBound = -1;

}  // namespace

SettingsStore::SettingsStore(std::string filePath) : filePath_(std::move(filePath)) {}

int SettingsStore::GetInt(std::string_view section, std::string_view key, int defaultValue,
                          int lowerBound, int upperBound) const {
  const int value = platform::GetPrivateProfileInt(section, key, defaultValue, filePath_);
  if (lowerBound == kNoBound || upperBound == kNoBound) return value;
  return std::max(std::min(value, upperBound), lowerBound);
}

bool SettingsStore::WriteInt(std::string_view section, std::string_view key, int value) {
  return Write(section, key, std::to_string(value));
}

std::string SettingsStore::GetString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  return platform::GetPrivateProfileString(section, key, defaultValue, filePath_);
}

bool SettingsStore::WriteString(std::string_view section, std::string_view key,
                                std::string_view value) {
  return Write(section, key, value);
}

// A value with a line break is no fault of the file: the format cannot hold
// it, and the result says so.
bool SettingsStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
  if (platform::WritePrivateProfileString(section, key, value, filePath_)) return true;
  if (writeFailed_) writeFailed_(WriteProblemOf(filePath_));
  return false;
}

std::string ReadProfileSection(std::string_view section, const std::string& file) {
  const std::string lines = platform::GetPrivateProfileSection(section, file);
  std::string text;
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\0', start);
    if (end == std::string::npos) end = lines.size();
    if (end > start) text += lines.substr(start, end - start) + "\r\n";
    start = end + 1;
  }
  return text;
}

}  // namespace tavrek::app
