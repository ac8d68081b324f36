#pragma once
// The programs processes start, as the records of their execs tell: each
// start names its process at once, before the changes it makes are read. A
// program on the watched folder's file system is placed by the decoder; one
// on the root file system (where programs mostly are) is found here.
#include <cstdint>
#include <optional>
#include <string>

#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyPrograms {
 public:
  FanotifyPrograms() : rootFsid_(FilesystemId("/")), root_("/") {}

  // The record's process started the program it names; `path` is where the
  // program is, when the decoder could place it.
  void Started(const FanotifyRecord& record, std::string path);

 private:
  std::optional<uint64_t> rootFsid_;
  FanotifyHandleOpener root_;
};

}  // namespace tavrek::engine
