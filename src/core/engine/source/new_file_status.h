#pragma once
// The status a file the log has just seen made starts from. Its status can
// only be read once its event is handled, by when later changes may have
// happened (a write, a chmod); so what a new file had is not read but taken
// as every new file has it: empty, with the mode its maker's umask gives a
// new file, its times those of its birth.
#include <cstdint>
#include <optional>

#include "core/engine/source/file_status.h"

namespace tavrek::engine {

// `read` is what a read of the file gave when its creation was handled
// (nothing when it was gone by then): it gives what a new file's status does
// not fix (its inode, owner, group, extended attributes, birth time); without
// it, the first later read gives them.
FileStatus NewFileStatus(const std::optional<FileStatus>& read, bool isDirectory, uint32_t umask);

// The umask of the process that made a file: the kernel may name it (0 when
// not), and a burst of changes comes from one process, so the last one is
// remembered. This process's own umask stands in for one that cannot be read.
class MakerUmask {
 public:
  MakerUmask();
  uint32_t Of(int32_t pid);

 private:
  uint32_t own_;
  int32_t lastPid_ = 0;
  uint32_t lastUmask_ = 0;
};

// The umask line of /proc/<pid>/status ("self" for 0); nothing when it cannot
// be read.
std::optional<uint32_t> ReadProcessUmask(int32_t pid);

}  // namespace tavrek::engine
