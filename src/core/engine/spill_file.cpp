#include "core/engine/spill_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/platform/config_paths.h"

namespace tavrek::engine {
namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;
// A name of the fallback lives for microseconds; one older than this was
// left by a process that was killed in between.
constexpr time_t kStaleNameSeconds = 60;

std::string AbsoluteVariable(const char* name) {
  const char* value = getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

// Makes every missing folder of `path` (private to the user); 0 or the errno.
int MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), kPrivateFolder) != 0 && errno != EEXIST) return errno;
    if (slash == std::string::npos) return 0;
  }
}

void RemoveStaleNames(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const time_t now = time(nullptr);
  while (const dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, kSpillNamePrefix, sizeof kSpillNamePrefix - 1) != 0) continue;
    struct stat status {};
    if (fstatat(dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
        now - status.st_mtime > kStaleNameSeconds) {
      unlinkat(dirfd(dir), entry->d_name, 0);
    }
  }
  closedir(dir);
}

// The fallback where the file system has no O_TMPFILE: a fresh name,
// unlinked at once.
int CreateAndUnlink(const std::string& folder) {
  std::string name = folder + "/" + kSpillNamePrefix + "XXXXXX";
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  if (unlink(name.c_str()) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

std::vector<std::string> SpillFolderCandidates() {
  std::vector<std::string> folders;
  const std::string cache = AbsoluteVariable("XDG_CACHE_HOME");
  if (!cache.empty()) folders.push_back(cache + "/Tavrek");
  const std::string home = platform::HomeFolder();
  if (!home.empty() && home.front() == '/') folders.push_back(home + "/.cache/Tavrek");
  const std::string temporary = AbsoluteVariable("TMPDIR");
  folders.push_back(temporary.empty() ? "/tmp" : temporary);
  return folders;
}

int SpillFile::OpenIn(const std::string& folder) {
  if (const int error = MakeFolders(folder); error != 0) return error;
  RemoveStaleNames(folder);
  fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivateFile);
  if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    fd_ = CreateAndUnlink(folder);
  }
  return fd_ >= 0 ? 0 : errno;
}

int SpillFile::Open(const std::vector<std::string>& folders) {
  Close();
  int firstError = ENOENT;
  for (size_t i = 0; i < folders.size(); ++i) {
    const int error = OpenIn(folders[i]);
    if (error == 0) {
      folder_ = folders[i];
      return 0;
    }
    if (i == 0) {
      firstError = error;
      folder_ = folders[i];
    }
  }
  return firstError;
}

int SpillFile::GrowTo(size_t size) {
  if (fd_ < 0) return EBADF;
  if (size <= size_) return 0;
  // posix_fallocate reserves the blocks (writing them where the file system
  // cannot allocate): a full disk is told here, never as SIGBUS later.
  const int error =
      posix_fallocate(fd_, static_cast<off_t>(size_), static_cast<off_t>(size - size_));
  if (error != 0) {
    // A part that was reserved is given back: the file stays as it was.
    [[maybe_unused]] const int ignored = ftruncate(fd_, static_cast<off_t>(size_));
    return error;
  }
  size_ = size;
  return 0;
}

char* SpillFile::Map(size_t offset, size_t bytes) const {
  void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                    static_cast<off_t>(offset));
  return data == MAP_FAILED ? nullptr : static_cast<char*>(data);
}

void SpillFile::Close() {
  if (fd_ < 0) return;
  [[maybe_unused]] const int ignored = ftruncate(fd_, 0);
  close(fd_);
  fd_ = -1;
  size_ = 0;
}

}  // namespace tavrek::engine
