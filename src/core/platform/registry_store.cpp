#include "core/platform/registry_store.h"

#include <fcntl.h>
#include <stdio.h>

#include <functional>

#include "core/platform/config_paths.h"
#include "core/platform/cp1252.h"
#include "core/platform/file_io.h"
#include "core/platform/registry_document.h"
#include "core/platform/update_lock.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kFileName = "registry.reg";
constexpr size_t kDwordBytes = 4;
constexpr std::string_view kBackupSuffix = ".bak";

bool IsStorableName(std::string_view name) {
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  return IsValidUtf8(name);
}

// "Software\Quorvane\\Tavrek\" becomes "HKEY_CURRENT_USER\Software\Quorvane\Tavrek";
// nothing when the path holds what a key line cannot.
std::optional<std::string> FullKeyPath(std::string_view key) {
  if (!IsStorableName(key)) return std::nullopt;
  std::string path(kRoot);
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) path += "\\" + std::string(key.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

std::optional<RegistryDocument> ReadDocument(const std::string& file) {
  const FileContent content = ReadTextFile(file);
  if (IsReadError(content.status) || !RegistryDocument::IsRegistryText(content.bytes)) {
    return std::nullopt;
  }
  return RegistryDocument::Parse(content.bytes);
}

// The document a write changes. A file that is no REGEDIT4 text (a UTF-16
// export, say) is moved aside to FILE.bak first and a new one is begun; an
// existing backup is never replaced, so then the write fails.
std::optional<RegistryDocument> DocumentForWriting(const std::string& file) {
  const FileContent content = ReadTextFile(file);
  if (IsReadError(content.status)) return std::nullopt;
  if (RegistryDocument::IsRegistryText(content.bytes)) {
    return RegistryDocument::Parse(content.bytes);
  }
  const std::string backup = file + std::string(kBackupSuffix);
  if (renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) != 0) {
    return std::nullopt;
  }
  return RegistryDocument::Parse({});
}

// Makes a removal (true when it removed something) to the file as read
// inside the update lock. When there is nothing to remove it takes no lock
// and creates nothing.
bool RemoveUnderLock(const std::string& file,
                     const std::function<bool(RegistryDocument&)>& remove) {
  auto document = ReadDocument(file);
  if (!document || !remove(*document)) return false;
  const UpdateLock lock(file);
  document = lock.held() ? ReadDocument(file) : std::nullopt;
  if (!document || !remove(*document)) return false;
  return WriteFileAtomically(file, document->Format());
}

}  // namespace

RegistryStore::RegistryStore(std::string filePath) : filePath_(std::move(filePath)) {}

std::string RegistryStore::DefaultPath() {
  return ConfigFolder() + "/" + std::string(kFileName);
}

std::optional<std::string> RegistryStore::ReadData(std::string_view key, std::string_view name,
                                                   uint32_t type) const {
  const auto path = FullKeyPath(key);
  const auto document = path ? ReadDocument(filePath_) : std::nullopt;
  if (!document) return std::nullopt;
  const RegistryValue* value = document->FindValue(*path, name);
  if (value == nullptr || value->type != type) return std::nullopt;
  return value->data;
}

bool RegistryStore::WriteValue(std::string_view key, std::string_view name, uint32_t type,
                               std::string data) {
  const auto path = FullKeyPath(key);
  if (!path || !IsStorableName(name)) return false;
  // Read inside the lock, so that a value another window writes meanwhile is kept.
  const UpdateLock lock(filePath_);
  auto document = lock.held() ? DocumentForWriting(filePath_) : std::nullopt;
  if (document) {
    document->SetValue(*path, RegistryValue{std::string(name), type, std::move(data)});
    if (WriteFileAtomically(filePath_, document->Format())) return true;
  }
  if (writeFailed_) writeFailed_();
  return false;
}

bool RegistryStore::SetString(std::string_view key, std::string_view name,
                              std::string_view value) {
  return WriteValue(key, name, kRegistryString, std::string(value));
}

bool RegistryStore::SetDword(std::string_view key, std::string_view name, uint32_t value) {
  std::string data;
  for (size_t i = 0; i < kDwordBytes; ++i) data.push_back(static_cast<char>(value >> (8 * i)));
  return WriteValue(key, name, kRegistryDword, std::move(data));
}

bool RegistryStore::SetBinary(std::string_view key, std::string_view name,
                              std::span<const uint8_t> value) {
  return WriteValue(key, name, kRegistryBinary, std::string(value.begin(), value.end()));
}

std::optional<std::string> RegistryStore::GetString(std::string_view key,
                                                    std::string_view name) const {
  return ReadData(key, name, kRegistryString);
}

std::optional<uint32_t> RegistryStore::GetDword(std::string_view key,
                                                std::string_view name) const {
  const auto data = ReadData(key, name, kRegistryDword);
  if (!data || data->size() != kDwordBytes) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = 0; i < kDwordBytes; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>((*data)[i])) << (8 * i);
  }
  return value;
}

std::optional<std::vector<uint8_t>> RegistryStore::GetBinary(std::string_view key,
                                                             std::string_view name) const {
  const auto data = ReadData(key, name, kRegistryBinary);
  if (!data) return std::nullopt;
  return std::vector<uint8_t>(data->begin(), data->end());
}

bool RegistryStore::KeyExists(std::string_view key) const {
  const auto path = FullKeyPath(key);
  const auto document = path ? ReadDocument(filePath_) : std::nullopt;
  return document && document->HasKey(*path);
}

bool RegistryStore::DeleteValue(std::string_view key, std::string_view name) {
  const auto path = FullKeyPath(key);
  return path && RemoveUnderLock(filePath_, [&](RegistryDocument& document) {
           return document.RemoveValue(*path, name);
         });
}

bool RegistryStore::DeleteKeyTree(std::string_view key) {
  const auto path = FullKeyPath(key);
  return path && RemoveUnderLock(filePath_, [&](RegistryDocument& document) {
           return document.RemoveKeyTree(*path);
         });
}

std::string RegistryStore::FileProblem() const {
  const FileContent content = ReadTextFile(filePath_);
  if (content.status == ReadStatus::Ok && !RegistryDocument::IsRegistryText(content.bytes)) {
    return filePath_ + ": not REGEDIT4 text, ignored; the next write moves it to " + filePath_ +
           std::string(kBackupSuffix);
  }
  return content.message;
}

}  // namespace tavrek::platform
