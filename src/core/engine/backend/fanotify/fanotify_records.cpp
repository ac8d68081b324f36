#include "core/engine/backend/fanotify/fanotify_records.h"

#include <cstring>
#include <string_view>

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

constexpr size_t kMetadataSize = sizeof(fanotify_event_metadata);
constexpr size_t kInfoHeaderSize = sizeof(fanotify_event_info_header);
constexpr size_t kFsidSize = sizeof(__kernel_fsid_t);
// struct file_handle: handle_bytes (u32), handle_type (i32), then the bytes.
constexpr size_t kHandleBytesOffset = kInfoHeaderSize + kFsidSize;
constexpr size_t kHandleTypeOffset = kHandleBytesOffset + sizeof(uint32_t);
constexpr size_t kHandleDataOffset = kHandleTypeOffset + sizeof(int32_t);
constexpr uint32_t kMaxHandleBytes = 128;  // MAX_HANDLE_SZ

using Bytes = std::span<const std::byte>;

// Copies a value out of the buffer: the bytes need not be aligned. The caller
// has checked that they lie inside it.
template <typename T>
T ReadAt(Bytes bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

bool IsUsableName(std::string_view name) {
  return name != ".." && name.find('/') == std::string_view::npos;
}

// A handle record: header, fsid, file_handle and, when `withName`, a name
// ended by a zero byte (padding may follow).
bool ParseHandleRecord(Bytes record, bool withName, FanotifyFileKey& key, std::string* name) {
  if (record.size() < kHandleDataOffset) return false;
  const auto handleBytes = ReadAt<uint32_t>(record, kHandleBytesOffset);
  if (handleBytes > kMaxHandleBytes || handleBytes > record.size() - kHandleDataOffset) {
    return false;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(record.data()) + kHandleDataOffset;
  key = MakeFanotifyFileKey(ReadAt<int32_t>(record, kHandleTypeOffset), {data, handleBytes});
  if (!withName) return true;
  Bytes rest = record.subspan(kHandleDataOffset + handleBytes);
  const auto* text = reinterpret_cast<const char*>(rest.data());
  const void* end = std::memchr(text, '\0', rest.size());
  if (end == nullptr) return false;
  std::string_view found(text, static_cast<const char*>(end) - text);
  if (!IsUsableName(found)) return false;
  *name = found;
  return true;
}

bool ParseEntry(Bytes record, bool withName, std::optional<FanotifyEntry>& entry) {
  FanotifyEntry parsed;
  if (!ParseHandleRecord(record, withName, parsed.directory, &parsed.name)) return false;
  entry = std::move(parsed);
  return true;
}

bool IsHandleRecord(uint8_t type) {
  return type == FAN_EVENT_INFO_TYPE_FID || type == FAN_EVENT_INFO_TYPE_DFID_NAME ||
         type == FAN_EVENT_INFO_TYPE_DFID || type == FAN_EVENT_INFO_TYPE_OLD_DFID_NAME ||
         type == FAN_EVENT_INFO_TYPE_NEW_DFID_NAME;
}

bool ParseInfoRecord(uint8_t type, Bytes record, FanotifyRecord& out) {
  if (IsHandleRecord(type) && record.size() >= kHandleBytesOffset) {
    // Every handle record starts with the file system's id.
    out.fsid = ReadAt<uint64_t>(record, kInfoHeaderSize);
  }
  switch (type) {
    case FAN_EVENT_INFO_TYPE_DFID_NAME: return ParseEntry(record, true, out.entry);
    case FAN_EVENT_INFO_TYPE_DFID: return ParseEntry(record, false, out.entry);
    case FAN_EVENT_INFO_TYPE_OLD_DFID_NAME: return ParseEntry(record, true, out.oldEntry);
    case FAN_EVENT_INFO_TYPE_NEW_DFID_NAME: return ParseEntry(record, true, out.newEntry);
    case FAN_EVENT_INFO_TYPE_FID: {
      FanotifyFileKey key;
      if (!ParseHandleRecord(record, false, key, nullptr)) return false;
      out.object = std::move(key);
      return true;
    }
    default: return true;  // a record type this backend does not use
  }
}

bool ParseInfoRecords(Bytes infos, FanotifyRecord& out) {
  size_t offset = 0;
  while (offset < infos.size()) {
    if (infos.size() - offset < kInfoHeaderSize) return false;
    const auto header = ReadAt<fanotify_event_info_header>(infos, offset);
    if (header.len < kInfoHeaderSize || header.len > infos.size() - offset) return false;
    if (!ParseInfoRecord(header.info_type, infos.subspan(offset, header.len), out)) return false;
    offset += header.len;
  }
  return true;
}

// The handle of the directory an event names first, into `key` (its storage
// reused from event to event); false when the event names none.
bool FirstDirectoryKey(Bytes infos, FanotifyFileKey& key) {
  size_t offset = 0;
  while (infos.size() - offset >= kInfoHeaderSize) {
    const auto header = ReadAt<fanotify_event_info_header>(infos, offset);
    if (header.len < kInfoHeaderSize || header.len > infos.size() - offset) return false;
    Bytes record = infos.subspan(offset, header.len);
    const bool isDirectory = header.info_type == FAN_EVENT_INFO_TYPE_DFID_NAME ||
                             header.info_type == FAN_EVENT_INFO_TYPE_DFID;
    if (isDirectory && record.size() >= kHandleDataOffset) {
      const auto handleBytes = ReadAt<uint32_t>(record, kHandleBytesOffset);
      if (handleBytes > kMaxHandleBytes || handleBytes > record.size() - kHandleDataOffset) {
        return false;
      }
      const auto type = ReadAt<int32_t>(record, kHandleTypeOffset);
      key.assign(reinterpret_cast<const char*>(&type), sizeof(type));
      key.append(reinterpret_cast<const char*>(record.data()) + kHandleDataOffset, handleBytes);
      return true;
    }
    offset += header.len;
  }
  return false;
}

bool IsSoundMetadata(const fanotify_event_metadata& metadata, size_t available) {
  return metadata.vers == FANOTIFY_METADATA_VERSION && metadata.metadata_len >= kMetadataSize &&
         metadata.event_len >= metadata.metadata_len && metadata.event_len <= available;
}

}  // namespace

FanotifyFileKey MakeFanotifyFileKey(int32_t handleType, std::span<const unsigned char> handle) {
  FanotifyFileKey key(sizeof(handleType) + handle.size(), '\0');
  std::memcpy(key.data(), &handleType, sizeof(handleType));
  if (!handle.empty()) std::memcpy(key.data() + sizeof(handleType), handle.data(), handle.size());
  return key;
}

bool SplitFanotifyFileKey(const FanotifyFileKey& key, int32_t& handleType,
                          std::span<const unsigned char>& handle) {
  if (key.size() < sizeof(handleType)) return false;
  std::memcpy(&handleType, key.data(), sizeof(handleType));
  handle = {reinterpret_cast<const unsigned char*>(key.data()) + sizeof(handleType),
            key.size() - sizeof(handleType)};
  return true;
}

uint32_t ParseFanotifyRecords(std::span<const std::byte> buffer, std::vector<FanotifyRecord>& out,
                              FanotifyRecordFilter* filter) {
  uint32_t dropped = 0;
  FanotifyFileKey directory;
  size_t offset = 0;
  while (buffer.size() - offset >= kMetadataSize) {
    const auto metadata = ReadAt<fanotify_event_metadata>(buffer, offset);
    if (!IsSoundMetadata(metadata, buffer.size() - offset)) return dropped + 1;
    Bytes event = buffer.subspan(offset, metadata.event_len);
    if (filter && filter->MayPassOver(metadata.mask) &&
        (FirstDirectoryKey(event.subspan(metadata.metadata_len), directory)
             ? filter->PassesOver(directory)
             : filter->PassesOverUnplaced(metadata.mask))) {
      offset += metadata.event_len;
      continue;
    }
    FanotifyRecord record;
    record.mask = metadata.mask;
    record.pid = metadata.pid;
    if (ParseInfoRecords(event.subspan(metadata.metadata_len), record)) {
      out.push_back(std::move(record));
    } else {
      ++dropped;
    }
    offset += metadata.event_len;
  }
  return offset == buffer.size() ? dropped : dropped + 1;
}

}  // namespace tavrek::engine
