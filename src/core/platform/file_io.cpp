#include "core/platform/file_io.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>

namespace tavrek::platform {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr mode_t kNewFolderMode = 0700;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr int kTemporaryNameAttempts = 100;
constexpr std::string_view kTemporarySuffix = ".tmp";

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    content.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The writer's pid of a temporary name ".BASE.PID.N.tmp" of `base`; 0 for any other name.
pid_t TemporaryWriter(std::string_view name, const std::string& base) {
  const std::string prefix = "." + base + ".";
  if (!name.starts_with(prefix) || !name.ends_with(kTemporarySuffix)) return 0;
  name = name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
  const size_t dot = name.find('.');
  if (dot == std::string_view::npos || !AllDigits(name.substr(dot + 1))) return 0;
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + dot, pid);
  return error == std::errc() && end == name.data() + dot ? pid : 0;
}

bool ProcessIsGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// A writer killed between creating its temporary file and the rename leaves
// the file behind; the next write of the same file removes it once the
// writer's process is gone. Files of live writers are theirs.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = ParentFolder(target);
  const std::string base = BaseName(target);
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    const pid_t writer = TemporaryWriter(entry->d_name, base);
    if (writer <= 0 || writer == getpid() || !ProcessIsGone(writer)) continue;
    unlinkat(dirfd(listing), entry->d_name, 0);  // a peer may have removed it already
  }
  closedir(listing);
}

// Opens a new temporary file beside `target`; returns -1 and leaves `name` empty on failure.
int CreateTemporaryBeside(const std::string& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = ParentFolder(target);
  const std::string base = BaseName(target);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    name = folder + "/." + base + "." + std::to_string(getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + std::string(kTemporarySuffix);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  name.clear();
  return -1;
}

// Writes, keeps the mode of the file it replaces and flushes; closes `fd`.
bool FillTemporary(int fd, const std::string& target, std::string_view content) {
  struct stat existing {};
  bool ok = WriteAll(fd, content);
  if (ok && stat(target.c_str(), &existing) == 0) ok = fchmod(fd, existing.st_mode & 07777) == 0;
  if (ok) ok = fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: the rename itself has already succeeded
  close(fd);
}

ReadStatus OpenFailure() {
  return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::OpenFailed;
}

// Reads up to limit + 1 bytes, so that a larger file shows itself.
ReadStatus ReadUpTo(int fd, size_t limit, std::string& bytes) {
  std::array<char, kReadChunk> chunk{};
  while (bytes.size() <= limit) {
    const size_t want = std::min(chunk.size(), limit + 1 - bytes.size());
    const ssize_t got = read(fd, chunk.data(), want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReadStatus::ReadFailed;
    if (got == 0) return ReadStatus::Ok;
    bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  return ReadStatus::TooLarge;
}

std::string ProblemText(const std::string& path, ReadStatus status, size_t limit) {
  switch (status) {
    case ReadStatus::Ok:
    case ReadStatus::Missing: return {};
    case ReadStatus::OpenFailed: return path + ": cannot be opened, ignored";
    case ReadStatus::ReadFailed: return path + ": cannot be read, ignored";
    case ReadStatus::NotRegular: return path + ": not a regular file, ignored";
    case ReadStatus::TooLarge:
      return path + ": larger than " + std::to_string(limit >> 20) + " MiB, ignored";
  }
  return {};
}

}  // namespace

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ResolveTarget(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  std::array<char, PATH_MAX> resolved{};
  if (realpath(path.c_str(), resolved.data()) == nullptr) return path;
  return resolved.data();
}

FileContent ReadTextFile(const std::string& path, size_t limit) {
  FileContent result;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat status {};
  if (fd < 0) {
    result.status = OpenFailure();
  } else if (fstat(fd, &status) != 0) {
    result.status = ReadStatus::ReadFailed;
  } else if (!S_ISREG(status.st_mode)) {
    result.status = ReadStatus::NotRegular;
  } else {
    result.status = ReadUpTo(fd, limit, result.bytes);
  }
  if (fd >= 0) close(fd);
  if (result.status != ReadStatus::Ok) result.bytes.clear();
  result.message = ProblemText(path, result.status, limit);
  return result;
}

FileContent ReadWholeFile(const std::string& path) {
  FileContent result;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.status = OpenFailure();
    return result;
  }
  result.status = ReadStatus::Ok;
  std::array<char, kReadChunk> chunk{};
  for (;;) {
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result.status = ReadStatus::ReadFailed;
    if (got <= 0) break;
    result.bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  close(fd);
  if (result.status != ReadStatus::Ok) result.bytes.clear();
  return result;
}

bool MakeFolders(const std::string& folder) {
  struct stat status {};
  if (folder.empty()) return false;
  if (stat(folder.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
  const std::string parent = ParentFolder(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  if (mkdir(folder.c_str(), kNewFolderMode) == 0) return true;
  return errno == EEXIST && stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsWriteProtected(const std::string& path) {
  constexpr mode_t kAnyoneWrites = S_IWUSR | S_IWGRP | S_IWOTH;
  const std::string target = ResolveTarget(path);
  struct stat status {};
  if (stat(target.c_str(), &status) != 0) return false;
  return access(target.c_str(), W_OK) != 0 || (status.st_mode & kAnyoneWrites) == 0;
}

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  if (path.empty() || path.back() == '/') return false;
  const std::string target = ResolveTarget(path);
  if (!MakeFolders(ParentFolder(target))) return false;
  struct stat status {};
  if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return false;
  if (IsWriteProtected(target)) return false;
  RemoveStaleTemporaries(target);
  std::string temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) return false;
  if (!FillTemporary(fd, target, content) || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolder(ParentFolder(target));
  return true;
}

}  // namespace tavrek::platform
