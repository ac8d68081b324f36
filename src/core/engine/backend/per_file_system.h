#pragma once
// A yes-or-no question about a folder that has one answer for its whole file
// system and costs a kernel group or a helper start to find out: each
// instance asks it once per file system and keeps the answer.
#include <sys/stat.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace tavrek::engine {

class PerFileSystemAnswer {
 public:
  // `probe` gives no answer for a passing failure (out of descriptors or
  // memory): that says nothing about the file system and is asked again.
  using Probe = std::function<std::optional<bool>(const std::string& folder)>;
  explicit PerFileSystemAnswer(Probe probe) : probe_(std::move(probe)) {}

  // False for a path that is no folder.
  bool For(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    std::lock_guard lock(mutex_);
    if (auto known = known_.find(status.st_dev); known != known_.end()) return known->second;
    const std::optional<bool> answer = probe_(folder);
    if (answer) known_.emplace(status.st_dev, *answer);
    return answer.value_or(false);
  }

 private:
  Probe probe_;
  std::mutex mutex_;
  std::map<dev_t, bool> known_;
};

}  // namespace tavrek::engine
