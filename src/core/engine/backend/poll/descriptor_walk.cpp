#include "core/engine/backend/poll/descriptor_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tavrek::engine {
namespace {

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

DescriptorWalk::~DescriptorWalk() {
  for (Frame& frame : frames_) CloseFd(frame.fd);
}

void DescriptorWalk::Enter(const std::string& path, int fd, std::vector<std::string> children) {
  if (children.empty()) {
    CloseFd(fd);
    return;
  }
  frames_.push_back({path, fd, 0, 0, std::move(children)});
  while (frames_.size() - firstHeld_ > kHeldDescriptors) CloseShallowest();
}

// Noted before it goes, to know the directory again when the walk is back.
void DescriptorWalk::CloseShallowest() {
  Frame& frame = frames_[firstHeld_++];
  struct stat status {};
  if (frame.fd >= 0 && fstat(frame.fd, &status) == 0) {
    frame.device = status.st_dev;
    frame.inode = status.st_ino;
  }
  CloseFd(frame.fd);
}

bool DescriptorWalk::Next(Step& step) {
  while (!frames_.empty()) {
    Frame& top = frames_.back();
    if (top.children.empty()) {
      Leave();
      continue;
    }
    step.path = std::move(top.children.back());
    top.children.pop_back();
    // "/a/b/" below "/a/": the name is "b".
    step.name.assign(step.path, top.path.size(), step.path.size() - top.path.size() - 1);
    step.parent = top.fd;
    return true;
  }
  return false;
}

// Back up to the parent. When its descriptor was closed on the way down, the
// child's ".." is the parent again, unless it moved while the walk ran: then
// the parent's other children are out of reach for this walk.
void DescriptorWalk::Leave() {
  int child = std::exchange(frames_.back().fd, -1);
  frames_.pop_back();
  if (frames_.size() <= 1 || frames_.size() - 1 >= firstHeld_) {
    if (frames_.size() <= 1) firstHeld_ = 1;
    CloseFd(child);
    return;
  }
  Frame& parent = frames_.back();
  firstHeld_ = frames_.size() - 1;
  if (child >= 0) parent.fd = openat(child, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
  CloseFd(child);
  struct stat status {};
  if (parent.fd >= 0 && (fstat(parent.fd, &status) != 0 || status.st_dev != parent.device ||
                         status.st_ino != parent.inode)) {
    CloseFd(parent.fd);
  }
}

}  // namespace tavrek::engine
