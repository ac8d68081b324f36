#include "core/platform/profile.h"

#include <functional>

#include "core/platform/file_io.h"
#include "core/platform/leading_number.h"
#include "core/platform/profile_text.h"
#include "core/platform/update_lock.h"
#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

bool IsUsable(const FileContent& content) {
  return content.status == ReadStatus::Ok && ProfileText::IsProfileText(content.bytes);
}

ProfileText ReadProfile(const std::string& file) {
  const FileContent content = ReadTextFile(file);
  return ProfileText::FromFileBytes(IsUsable(content) ? content.bytes : "");
}

std::string WithoutQuotes(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Cuts to at most `limit` bytes without leaving half a UTF-8 character at the end.
std::string CutToBytes(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  // Back off only over a real character; bytes that are no UTF-8 cut anywhere.
  if (DecodeUtf8At(text, end).length == 0) end = limit;
  text.resize(end);
  return text;
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsWritableSection(std::string_view section) {
  return !HasLineBreakOrNul(section) && section.find(']') == std::string_view::npos;
}

bool IsWritableKey(std::string_view key) {
  const std::string_view trimmed = TrimBlanks(key);
  return !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';' &&
         key.find('=') == std::string_view::npos && !HasLineBreakOrNul(key);
}

// The file as a write sees it; nothing when it is there but unusable, which
// a write must never replace.
std::optional<ProfileText> ReadForUpdate(const std::string& file) {
  const FileContent content = ReadTextFile(file);
  if (IsReadError(content.status) || !ProfileText::IsProfileText(content.bytes)) {
    return std::nullopt;
  }
  return ProfileText::FromFileBytes(content.bytes);
}

// Makes `change` (true when it changed something) to the file as read inside
// the update lock, so that the change of a program writing the same file at
// the same time is kept. A change with nothing to do (removing what is not
// there) takes no lock and creates nothing. False when the file is unusable,
// the lock cannot be had in time, or the write fails.
bool UpdateProfile(const std::string& file, const std::function<bool(ProfileText&)>& change) {
  auto profile = ReadForUpdate(file);
  if (!profile) return false;
  if (!change(*profile)) return true;
  const UpdateLock lock(file);
  profile = lock.held() ? ReadForUpdate(file) : std::nullopt;
  if (!profile) return false;
  if (!change(*profile)) return true;
  return WriteFileAtomically(file, profile->ToFileBytes());
}

}  // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& file) {
  const std::string value = GetPrivateProfileString(section, key, "", file);
  if (value.empty()) return defaultValue;
  return ParseLeadingInt(value);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& file,
                                    size_t bufferSize) {
  if (bufferSize == 0) return {};
  const auto value = ReadProfile(file).FindValue(section, key);
  std::string result = value ? WithoutQuotes(*value) : std::string(defaultValue);
  return CutToBytes(std::move(result), bufferSize - 1);
}

bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& file) {
  if (!IsWritableSection(section)) return false;
  if (key && !IsWritableKey(*key)) return false;
  if (key && value && HasLineBreakOrNul(*value)) return false;
  return UpdateProfile(file, [&](ProfileText& profile) {
    if (!key) return profile.RemoveSection(section);
    if (!value) return profile.RemoveKey(section, *key);
    profile.SetValue(section, *key, *value);
    return true;
  });
}

std::string GetPrivateProfileSection(std::string_view section, const std::string& file,
                                     size_t bufferSize) {
  std::string result;
  for (const std::string& entry : ReadProfile(file).SectionEntries(section)) {
    // Each line takes its NUL; the list's closing NUL must still fit after it.
    if (result.size() + entry.size() + 2 > bufferSize) break;
    result += entry;
    result.push_back('\0');
  }
  return result;
}

std::string ProfileFileProblem(const std::string& file) {
  const FileContent content = ReadTextFile(file);
  if (content.status == ReadStatus::Ok && !ProfileText::IsProfileText(content.bytes)) {
    return file + ": not a text file in a known encoding, ignored and left unchanged";
  }
  return content.message;
}

}  // namespace tavrek::platform
