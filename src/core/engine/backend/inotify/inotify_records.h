#pragma once
// The records of one inotify read, taken apart without trusting the buffer:
// a record that claims more bytes than the buffer holds ends it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tavrek::engine {

struct InotifyRecord {
  int32_t wd = 0;
  uint32_t mask = 0;
  uint32_t cookie = 0;
  std::string_view name;  // without the padding; empty for the watched directory itself
};

class InotifyRecordReader {
 public:
  explicit InotifyRecordReader(std::span<const std::byte> buffer) : buffer_(buffer) {}

  // The next record, false at the end of the buffer or at a truncated record.
  bool Next(InotifyRecord& record);

 private:
  std::span<const std::byte> buffer_;
  size_t offset_ = 0;
};

}  // namespace tavrek::engine
