#include "core/engine/source/folder_status_reader.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>

namespace tavrek::engine {
namespace {

// Folders kept open by all readers of the process together: a watch of many
// folders has a reader each, and descriptors are a limited resource (1,024
// by default) that the rest of the program needs as well.
constexpr int kProcessBudget = 256;
std::atomic<int> openInProcess{0};

bool TakeFromBudget() {
  if (openInProcess.fetch_add(1, std::memory_order_relaxed) < kProcessBudget) return true;
  openInProcess.fetch_sub(1, std::memory_order_relaxed);
  return false;
}

void ReturnToBudget() { openInProcess.fetch_sub(1, std::memory_order_relaxed); }

}  // namespace

std::optional<FileStatus> FolderStatusReader::Read(const std::string& path,
                                                   bool withAttributes) {
  const size_t slash = path.rfind('/');
  // A folder too long to open in one call is left to the path's own reading.
  if (slash == std::string::npos || slash + 1 == path.size() || slash >= PATH_MAX) {
    return ReadFileStatus(path, withAttributes);
  }
  const std::string_view folder =
      slash == 0 ? std::string_view("/") : std::string_view(path).substr(0, slash);
  const int fd = FolderFd(folder, withAttributes && XattrCallsRelativeToFolder());
  if (fd < 0) return ReadFileStatus(path, withAttributes);
  return ReadFileStatusAt(fd, path.c_str() + slash + 1, path, withAttributes);
}

int FolderStatusReader::FolderFd(std::string_view folder, bool open) {
  if (const auto found = cache_.Find(open_, folder); found != open_.end()) return found->second;
  if (!open) return -1;
  if (open_.size() >= capacity_) Clear();
  if (!TakeFromBudget()) return -1;
  const int fd = ::open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    ReturnToBudget();
    return -1;
  }
  cache_.Remember(folder, open_.emplace(folder, fd).first);
  return fd;
}

void FolderStatusReader::Forget(std::string_view path) {
  if (open_.empty()) return;
  if (const auto found = open_.find(path); found != open_.end()) Close(found);
  const std::string prefix = std::string(path) + '/';
  for (auto it = open_.lower_bound(prefix); it != open_.end() && it->first.starts_with(prefix);) {
    it = Close(it);
  }
}

FolderStatusReader::OpenFolders::iterator FolderStatusReader::Close(OpenFolders::iterator folder) {
  close(folder->second);
  ReturnToBudget();
  cache_.Forget(folder);
  return open_.erase(folder);
}

void FolderStatusReader::Clear() {
  for (const auto& [folder, fd] : open_) {
    close(fd);
    ReturnToBudget();
  }
  open_.clear();
  cache_.Clear();
}

}  // namespace tavrek::engine
