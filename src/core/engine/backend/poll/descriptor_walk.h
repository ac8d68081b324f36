#pragma once
// A depth-first walk of a tree by directory descriptors: each directory is
// reached relative to its parent's descriptor, never by its whole path, so
// no directory is out of reach however deep it lies (a path may be longer
// than the kernel takes in one call). Only the descriptors of the deepest
// directories on the way down stay open; a shallower one closed for that is
// opened again through ".." of its child when the walk climbs back to it.
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tavrek::engine {

class DescriptorWalk {
 public:
  // Beyond the root, this many directories of the way down keep their
  // descriptor open.
  static constexpr size_t kHeldDescriptors = 48;

  struct Step {
    std::string path;  // of the directory to look at, ends in "/"
    std::string name;  // its name in the parent
    int parent = -1;   // the parent's descriptor, owned by the walk; -1 when lost
  };

  DescriptorWalk() = default;
  ~DescriptorWalk();
  DescriptorWalk(const DescriptorWalk&) = delete;
  DescriptorWalk& operator=(const DescriptorWalk&) = delete;

  // The directory at `path` (open as `fd`, which the walk owns from now on;
  // may be -1) has the subdirectories `children` (paths ending in "/", the
  // last is walked first). They come next, before the rest of the walk.
  void Enter(const std::string& path, int fd, std::vector<std::string> children);
  // The next directory to look at; false when the walk is over.
  bool Next(Step& step);

 private:
  struct Frame {
    std::string path;
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> children;
  };
  void Leave();
  void CloseShallowest();

  std::vector<Frame> frames_;
  size_t firstHeld_ = 1;  // frames [1, firstHeld_) have closed their descriptor
};

}  // namespace tavrek::engine
