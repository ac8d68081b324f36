#include "core/engine/source/folder_status_reader.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace tavrek::engine {

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
  const int fd = ::open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) cache_.Remember(folder, open_.emplace(folder, fd).first);
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
  cache_.Forget(folder);
  return open_.erase(folder);
}

void FolderStatusReader::Clear() {
  for (const auto& [folder, fd] : open_) close(fd);
  open_.clear();
  cache_.Clear();
}

}  // namespace tavrek::engine
