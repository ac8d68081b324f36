#pragma once
// A mount on a test's folder, undone when it goes.
#include <sys/mount.h>

#include <string>
#include <utility>

namespace tavrek::testing {

class ScopedMount {
 public:
  ScopedMount(const char* source, std::string onto, const char* type, unsigned long flags)
      : onto_(std::move(onto)) {
    mounted_ = mount(source, onto_.c_str(), type, flags, nullptr) == 0;
  }
  ~ScopedMount() {
    if (mounted_) umount2(onto_.c_str(), MNT_DETACH);
  }
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;
  bool mounted() const { return mounted_; }
  // A plain unmount: fails while anything keeps the file system busy.
  bool Unmount() {
    mounted_ = mounted_ && umount2(onto_.c_str(), 0) != 0;
    return !mounted_;
  }

 private:
  std::string onto_;
  bool mounted_ = false;
};

}  // namespace tavrek::testing
