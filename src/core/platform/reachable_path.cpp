#include "core/platform/reachable_path.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace tavrek::platform {
namespace {

// The longest piece handed to the kernel at once, with room for its end.
constexpr size_t kLongestPiece = PATH_MAX - 1;

// Opens `folder` a piece at a time, each piece from the last; -1 when it fails.
int OpenInPieces(const std::string& folder) {
  int current = AT_FDCWD;
  size_t start = 0;
  while (start < folder.size()) {
    size_t end = folder.size();
    if (end - start > kLongestPiece) {
      // A name is at most 255 bytes, so a piece this long holds a "/".
      end = folder.rfind('/', start + kLongestPiece);
      if (end == std::string::npos || end <= start) end = start + kLongestPiece;
    }
    const std::string piece = folder.substr(start, end - start);
    const int next = openat(current, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (current != AT_FDCWD) close(current);
    if (next < 0) return -1;
    current = next;
    start = end + 1;
  }
  return current == AT_FDCWD ? -1 : current;
}

}  // namespace

ReachablePath::ReachablePath(const std::string& path) : given_(path) {
  if (path.size() < PATH_MAX) return;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  folder_ = OpenInPieces(path.substr(0, slash));
  if (folder_ < 0) return;
  reachable_ = "/proc/self/fd/" + std::to_string(folder_) + path.substr(slash);
}

ReachablePath::~ReachablePath() {
  if (folder_ >= 0) close(folder_);
}

}  // namespace tavrek::platform
