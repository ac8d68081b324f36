#include "core/lists/export_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>

#include "core/platform/file_io.h"

namespace tavrek::lists {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// An existing target must be a regular file: a FIFO would block the writer,
// a device or folder is no export. A write-protected one stays as the user
// protected it, although the rename could replace it.
int CheckTarget(const std::string& target) {
  struct stat status {};
  if (stat(target.c_str(), &status) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISREG(status.st_mode)) return EINVAL;
  return platform::IsWriteProtected(target) ? EACCES : 0;
}

// A symbolic link keeps pointing at the file it names, which gets the export.
std::string ResolveLink(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  std::array<char, PATH_MAX> resolved{};
  if (realpath(path.c_str(), resolved.data()) == nullptr) return path;
  return resolved.data();
}

// A file that is replaced keeps its permissions.
bool KeepMode(int fd, const std::string& target) {
  struct stat existing {};
  if (stat(target.c_str(), &existing) != 0) return true;
  return fchmod(fd, existing.st_mode & 07777) == 0;
}

}  // namespace

ExportFile::~ExportFile() { Discard(); }

bool ExportFile::Open(const std::string& target) {
  Discard();
  error_ = target.empty() || target.back() == '/' ? EISDIR : CheckTarget(target);
  if (error_ != 0) return false;
  static std::atomic<unsigned> counter{0};
  target_ = ResolveLink(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = FolderOf(target_) + "/." + BaseName(target_) + "." + std::to_string(getpid()) +
                 "." + std::to_string(counter.fetch_add(1)) + ".part";
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd_ >= 0) return true;
    if (errno != EEXIST) break;
  }
  error_ = errno;
  temporary_.clear();
  return false;
}

bool ExportFile::Write(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = written < 0 ? errno : EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool ExportFile::Commit() {
  if (fd_ < 0) return false;
  const int fd = fd_;
  fd_ = -1;
  const bool kept = KeepMode(fd, target_);
  if (close(fd) != 0 || !kept || rename(temporary_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  temporary_.clear();
  return true;
}

void ExportFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

ExportResult ExportToFile(const std::string& path,
                          const std::function<ExportResult(Sink& sink)>& write) {
  ExportFile file;
  ExportResult result;
  if (!file.Open(path)) {
    result.status = ExportStatus::OpenFailed;
    result.error = file.error();
    return result;
  }
  result = write(file);
  if (result.ok() && !file.Commit()) result.status = ExportStatus::WriteFailed;
  if (!result.ok()) {
    result.error = file.error();
    file.Discard();
  }
  return result;
}

}  // namespace tavrek::lists
