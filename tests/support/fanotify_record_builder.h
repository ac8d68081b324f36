#pragma once
// Writes fanotify events byte for byte as the kernel lays them out, so the
// decoder can be fed records that no real file system would produce on cue.
#include <sys/fanotify.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_abi.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::testing {

inline constexpr int32_t kTestHandleType = 1;

// The key the decoder sees for a handle whose bytes are `name`.
inline engine::FanotifyFileKey TestKey(const std::string& name) {
  return engine::MakeFanotifyFileKey(
      kTestHandleType, {reinterpret_cast<const unsigned char*>(name.data()), name.size()});
}

struct InfoRecord {
  uint8_t type = FAN_EVENT_INFO_TYPE_FID;
  std::string handle;
  std::string name;
  bool hasName = false;
};

inline InfoRecord Dfid(std::string handle, std::string name) {
  return {FAN_EVENT_INFO_TYPE_DFID_NAME, std::move(handle), std::move(name), true};
}
inline InfoRecord OldDfid(std::string handle, std::string name) {
  return {FAN_EVENT_INFO_TYPE_OLD_DFID_NAME, std::move(handle), std::move(name), true};
}
inline InfoRecord NewDfid(std::string handle, std::string name) {
  return {FAN_EVENT_INFO_TYPE_NEW_DFID_NAME, std::move(handle), std::move(name), true};
}
inline InfoRecord Fid(std::string handle) {
  return {FAN_EVENT_INFO_TYPE_FID, std::move(handle), {}, false};
}

class RecordBuilder {
 public:
  static constexpr size_t kInfoAlignment = 4;

  RecordBuilder& Event(uint64_t mask, int32_t pid, const std::vector<InfoRecord>& infos = {}) {
    std::vector<std::byte> body;
    for (const InfoRecord& info : infos) AppendInfo(info, body);
    fanotify_event_metadata metadata{};
    metadata.vers = FANOTIFY_METADATA_VERSION;
    metadata.metadata_len = sizeof(metadata);
    metadata.event_len = static_cast<uint32_t>(sizeof(metadata) + body.size());
    metadata.mask = mask;
    metadata.fd = FAN_NOFD;
    metadata.pid = pid;
    Append(&metadata, sizeof(metadata), bytes_);
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    return *this;
  }

  std::vector<std::byte>& bytes() { return bytes_; }

 private:
  static void Append(const void* data, size_t size, std::vector<std::byte>& to) {
    const auto* first = static_cast<const std::byte*>(data);
    to.insert(to.end(), first, first + size);
  }

  static void AppendInfo(const InfoRecord& info, std::vector<std::byte>& to) {
    std::vector<std::byte> record(sizeof(fanotify_event_info_header) + sizeof(__kernel_fsid_t));
    const uint32_t handleBytes = static_cast<uint32_t>(info.handle.size());
    Append(&handleBytes, sizeof(handleBytes), record);
    Append(&kTestHandleType, sizeof(kTestHandleType), record);
    Append(info.handle.data(), info.handle.size(), record);
    if (info.hasName) Append(info.name.c_str(), info.name.size() + 1, record);
    record.resize((record.size() + kInfoAlignment - 1) / kInfoAlignment * kInfoAlignment);
    fanotify_event_info_header header{};
    header.info_type = info.type;
    header.len = static_cast<uint16_t>(record.size());
    std::memcpy(record.data(), &header, sizeof(header));
    to.insert(to.end(), record.begin(), record.end());
  }

  std::vector<std::byte> bytes_;
};

}  // namespace tavrek::testing
