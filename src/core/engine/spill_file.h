#pragma once
// A file without a name that holds the change log's rows and texts, so that
// a long watch keeps every row on disk instead of in memory. Made with
// O_TMPFILE (or created and unlinked at once where that is not supported),
// it disappears with the process however the process ends, and no other
// program can open it by a name.
#include <cstddef>
#include <string>
#include <vector>

namespace tavrek::engine {

// Where a spill file is made, in the order tried: $XDG_CACHE_HOME/Tavrek,
// ~/.cache/Tavrek, the temporary folder ($TMPDIR or /tmp).
std::vector<std::string> SpillFolderCandidates();

// Names left behind by the create-and-unlink fallback when a process was
// killed between the two steps begin with this; an opening removes old ones.
inline constexpr char kSpillNamePrefix[] = "tavrek-spill-";

class SpillFile {
 public:
  SpillFile() = default;
  ~SpillFile() { Close(); }
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Opens a new file in the first folder that takes one, making the folder
  // when missing. Returns 0, or the errno of the first folder tried (whose
  // name folder() then gives).
  int Open(const std::vector<std::string>& folders);
  bool open() const { return fd_ >= 0; }
  // Grows the file to `size` bytes with its disk blocks allocated, so that
  // writing through a mapping can never fail for want of space. Returns 0 or
  // the errno (ENOSPC, EDQUOT, EFBIG, EIO ...).
  int GrowTo(size_t size);
  // Maps `bytes` of address space from `offset` for reading and writing;
  // nullptr on failure. Only the part below size() may be touched.
  char* Map(size_t offset, size_t bytes) const;
  // Empties and closes the file: its disk blocks are free as soon as every
  // mapping of it is gone.
  void Close();

  size_t size() const { return size_; }
  const std::string& folder() const { return folder_; }

 private:
  int OpenIn(const std::string& folder);

  int fd_ = -1;
  size_t size_ = 0;
  std::string folder_;
};

}  // namespace tavrek::engine
