#include "core/install/list_removal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

namespace tavrek::install {
namespace {

using Parts = std::vector<std::string>;

// The components of an absolute path, empty and "." ones dropped; none for
// a relative path or one holding "..".
std::optional<Parts> Components(const std::string& path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  Parts parts;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

std::string Joined(Parts::const_iterator begin, Parts::const_iterator end) {
  std::string path;
  for (auto part = begin; part != end; ++part) path += "/" + *part;
  return path.empty() ? "/" : path;
}

// Where the walk starts (a folder opened as configured) and the names below it.
struct Walk {
  std::string start;
  Parts names;
};

// The walk to an entry that may go: a file 1 to `deepest` levels below a
// place's root, a folder above such files or a removable root itself.
std::optional<Walk> Locate(const Parts& entry, const std::vector<RemovalPlace>& places,
                           bool folder) {
  for (const RemovalPlace& place : places) {
    const std::optional<Parts> root = Components(place.root);
    if (!root || root->empty() || root->size() > entry.size() ||
        !std::equal(root->begin(), root->end(), entry.begin())) {
      continue;
    }
    const int depth = static_cast<int>(entry.size() - root->size());
    const bool allowed = folder ? (depth == 0 ? place.rootRemovable : depth < place.deepest)
                                : (depth >= 1 && depth <= place.deepest);
    if (!allowed) continue;
    // A root is itself removed from its parent, never followed if it is a link.
    const size_t kept = depth == 0 ? root->size() - 1 : root->size();
    return Walk{Joined(entry.begin(), entry.begin() + kept), Parts(entry.begin() + kept, entry.end())};
  }
  return std::nullopt;
}

RemovalResult Failure(int error) {
  if (error == ENOENT || error == ENOTDIR) return {Removal::Missing, 0};
  return {Removal::Failed, error};
}

// Why `name` in the folder `fd` could not be opened or removed.
RemovalResult Classify(int fd, const std::string& name, int error) {
  struct stat status {};
  if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode)) {
    return {Removal::ThroughLink, 0};
  }
  if (error == ENOTEMPTY || error == EEXIST) return {Removal::NotEmpty, 0};
  return Failure(error);
}

RemovalResult RemoveLast(int fd, const std::string& name, bool folder) {
  struct stat status {};
  if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return Failure(errno);
  if (S_ISLNK(status.st_mode)) return {Removal::ThroughLink, 0};
  if (unlinkat(fd, name.c_str(), folder ? AT_REMOVEDIR : 0) == 0) return {Removal::Removed, 0};
  return Classify(fd, name, errno);
}

// Each folder on the way is opened relative to the last one and never
// through a link, so nothing can redirect the walk once it has started.
RemovalResult Remove(const Walk& walk, bool folder) {
  int fd = open(walk.start.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Failure(errno);
  for (size_t index = 0; index + 1 < walk.names.size(); ++index) {
    const int next =
        openat(fd, walk.names[index].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      const RemovalResult problem = Classify(fd, walk.names[index], errno);
      close(fd);
      return problem;
    }
    close(fd);
    fd = next;
  }
  const RemovalResult result = RemoveLast(fd, walk.names.back(), folder);
  close(fd);
  return result;
}

RemovalResult RemoveListed(const std::string& path, const std::vector<RemovalPlace>& places,
                           bool folder) {
  const std::optional<Parts> entry = Components(path);
  if (!entry) return {Removal::Foreign, 0};
  const std::optional<Walk> walk = Locate(*entry, places, folder);
  if (!walk) return {Removal::Foreign, 0};
  return Remove(*walk, folder);
}

}  // namespace

RemovalResult RemoveListedFile(const std::string& path, const std::vector<RemovalPlace>& places) {
  return RemoveListed(path, places, false);
}

RemovalResult RemoveListedFolder(const std::string& path, const std::vector<RemovalPlace>& places) {
  return RemoveListed(path, places, true);
}

}  // namespace tavrek::install
