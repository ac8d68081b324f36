#include "core/engine/backend/inotify/inotify_records.h"

#include <sys/inotify.h>

#include <cstring>

namespace tavrek::engine {

bool InotifyRecordReader::Next(InotifyRecord& record) {
  constexpr size_t kHeaderSize = sizeof(inotify_event);
  if (buffer_.size() - offset_ < kHeaderSize) return false;
  // Copied out rather than cast: a buffer need not be aligned for the header.
  inotify_event header;
  std::memcpy(&header, buffer_.data() + offset_, kHeaderSize);
  if (header.len > buffer_.size() - offset_ - kHeaderSize) return false;

  const char* name = reinterpret_cast<const char*>(buffer_.data() + offset_ + kHeaderSize);
  record.wd = header.wd;
  record.mask = header.mask;
  record.cookie = header.cookie;
  // The kernel pads the name with NUL bytes up to the next record.
  record.name = std::string_view(name, strnlen(name, header.len));
  offset_ += kHeaderSize + header.len;
  return true;
}

}  // namespace tavrek::engine
