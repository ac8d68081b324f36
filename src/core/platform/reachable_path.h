#pragma once
// A path the kernel takes in one call, for any path however long. The kernel
// refuses a path of PATH_MAX (4,096) bytes or more, but a tree may be deeper:
// the folders above are then opened in pieces, and the path is given as the
// last one's descriptor under /proc/self/fd plus the final name. Links are
// followed on the way as a single call would follow them; the final name
// stays as it is, so calls that do not follow it still do not.
#include <string>

namespace tavrek::platform {

class ReachablePath {
 public:
  explicit ReachablePath(const std::string& path);
  ~ReachablePath();
  ReachablePath(const ReachablePath&) = delete;
  ReachablePath& operator=(const ReachablePath&) = delete;

  // The path to give the kernel; the path as it was when it is short, or when
  // a folder above could not be opened (the call then fails as it would have).
  // Valid while the path given lives.
  const char* c_str() const { return folder_ < 0 ? given_.c_str() : reachable_.c_str(); }

 private:
  const std::string& given_;  // not copied: most paths are short, and read often
  int folder_ = -1;
  std::string reachable_;
};

}  // namespace tavrek::platform
