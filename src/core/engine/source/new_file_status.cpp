#include "core/engine/source/new_file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <string>
#include <string_view>

namespace tavrek::engine {
namespace {

constexpr uint32_t kNewFileMode = 0666;
constexpr uint32_t kNewDirectoryMode = 0777;
constexpr uint32_t kUmaskBits = 0777;
// The usual umask, for a system where no process's can be read.
constexpr uint32_t kUsualUmask = 022;
constexpr std::string_view kUmaskKey = "\nUmask:";
constexpr int kOctal = 8;
// /proc/PID/status is about 1.5 KB; the umask line is near its start.
constexpr size_t kStatusBytes = 4096;

std::optional<uint32_t> ParseUmask(std::string_view text) {
  const size_t key = text.find(kUmaskKey);
  if (key == std::string_view::npos) return std::nullopt;
  size_t at = key + kUmaskKey.size();
  while (at < text.size() && (text[at] == '\t' || text[at] == ' ')) ++at;
  uint32_t value = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] < '8'; ++at, ++digits) {
    value = value * kOctal + static_cast<uint32_t>(text[at] - '0');
  }
  if (digits == 0) return std::nullopt;
  return value & kUmaskBits;
}

}  // namespace

std::optional<uint32_t> ReadProcessUmask(int32_t pid) {
  const std::string path =
      "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/status";
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::array<char, kStatusBytes> buffer;
  const ssize_t length = read(fd, buffer.data(), buffer.size());
  close(fd);
  if (length <= 0) return std::nullopt;
  return ParseUmask(std::string_view(buffer.data(), static_cast<size_t>(length)));
}

MakerUmask::MakerUmask() : own_(ReadProcessUmask(0).value_or(kUsualUmask)) {}

uint32_t MakerUmask::Of(int32_t pid) {
  if (pid <= 0) return own_;
  if (pid != lastPid_) {
    lastPid_ = pid;
    lastUmask_ = ReadProcessUmask(pid).value_or(own_);
  }
  return lastUmask_;
}

FileStatus NewFileStatus(const std::optional<FileStatus>& read, bool isDirectory, uint32_t umask) {
  FileStatus status = read.value_or(FileStatus{});
  // Gone before it could be read (renamed at once, say): its size and mode
  // are still the rule's; its owner, group and extended attributes wait for
  // its first read under whatever name it has then.
  status.known = read ? kAllParts : kPartSize | kPartOwnership;
  status.ownerUnread = !read;
  if (!read) status.attributesKnown = false;
  status.size = 0;
  const uint32_t type = isDirectory ? S_IFDIR : S_IFREG;
  status.mode = type | ((isDirectory ? kNewDirectoryMode : kNewFileMode) & ~umask);
  status.assumed = kPartOwnership;
  status.atBirth = 0;
  if (read && read->birthKnown) {
    status.accessTime = status.modifyTime = read->birthTime;
    status.atBirth = kPartAccessTime | kPartModifyTime;
  }
  return status;
}

}  // namespace tavrek::engine
