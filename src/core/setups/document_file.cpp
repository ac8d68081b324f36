#include "core/setups/document_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "core/platform/file_io.h"

namespace tavrek::setups {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads at most one byte more than the cap, so that a file that grew after
// the size check is still caught.
DocumentStatus ReadCapped(int fd, std::string& bytes) {
  std::array<char, kReadChunk> chunk{};
  while (bytes.size() <= kMaxDocumentBytes) {
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return DocumentStatus::Unreadable;
    if (got == 0) return DocumentStatus::Ok;
    bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  return DocumentStatus::TooLarge;
}

// The bytes of a regular file; O_NONBLOCK keeps the open of a FIFO without
// a writer from waiting for one.
DocumentStatus ReadRegularFile(const std::string& path, std::string& bytes) {
  const Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    return errno == ENOENT || errno == ENOTDIR ? DocumentStatus::Missing : DocumentStatus::Unreadable;
  }
  struct stat status {};
  if (fstat(fd.get(), &status) != 0) return DocumentStatus::Unreadable;
  if (!S_ISREG(status.st_mode)) return DocumentStatus::NotAFile;
  if (static_cast<size_t>(status.st_size) > kMaxDocumentBytes) return DocumentStatus::TooLarge;
  return ReadCapped(fd.get(), bytes);
}

}  // namespace

DocumentRead ReadSetupDocument(const std::string& path) {
  DocumentRead result;
  std::string bytes;
  result.status = ReadRegularFile(path, bytes);
  if (result.status == DocumentStatus::Ok) result.document = ParseSetupDocument(bytes);
  return result;
}

std::string_view DescribeStatus(DocumentStatus status) {
  switch (status) {
    case DocumentStatus::Ok: return "read";
    case DocumentStatus::Missing: return "no such file";
    case DocumentStatus::NotAFile: return "not a regular file";
    case DocumentStatus::TooLarge: return "file too large for a setup document";
    case DocumentStatus::Unreadable: return "cannot be read";
  }
  return "cannot be read";
}

bool SetupTargetExists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// A document goes into a folder that is there: a mistyped folder name is
// reported, not created.
bool WriteSetupDocument(const std::string& path, const SetupDocument& document) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  return platform::WriteFileAtomically(path, FormatSetupDocument(document));
}

}  // namespace tavrek::setups
