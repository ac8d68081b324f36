#pragma once
// Whole-file reading and atomic whole-file replacement for the small text
// stores (settings, registry, documents).
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::platform {

enum class ReadStatus {
  Ok,
  Missing,     // no such file (or a folder on its way is missing)
  OpenFailed,  // it exists but cannot be opened: no permission, for one
  ReadFailed,  // it opens but cannot be read: a folder, an I/O error
  NotRegular,  // ReadTextFile: a FIFO, device, socket or folder, treated as absent
  TooLarge,    // ReadTextFile: larger than the limit, treated as absent
};

// The file is there but its content could not be had: it must not be
// replaced by a write that never saw it.
inline bool IsReadError(ReadStatus status) {
  return status != ReadStatus::Ok && status != ReadStatus::Missing;
}

struct FileContent {
  ReadStatus status = ReadStatus::Missing;
  std::string bytes;
  // ReadTextFile: why a file that is there was not read, for the user; empty
  // when it was read or is missing.
  std::string message;
};

// The largest settings, registry or setup file read: such files are a few
// kilobytes, and a link to an endless file must not eat the memory.
inline constexpr size_t kTextFileLimit = size_t{16} << 20;

// Reads a small file the program keeps (settings, registry store, setup
// documents): only a regular file is read, opened without blocking (a FIFO
// would wait for a writer forever) and only up to `limit` bytes. Anything
// else is NotRegular or TooLarge with a message; callers treat it as absent.
FileContent ReadTextFile(const std::string& path, size_t limit = kTextFileLimit);

// Reads the whole file, also files whose size the kernel reports as 0 (/proc).
// For the kernel's own files; files a user can replace go through ReadTextFile.
FileContent ReadWholeFile(const std::string& path);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string ParentFolder(const std::string& path);

// The file a symbolic link names, followed to its end, so that a file
// replaced by rename is that file and not the link; the path itself when it
// is no link or the link leads nowhere.
std::string ResolveTarget(const std::string& path);

// Creates the folder and its missing parents (new folders get mode 0700, as
// configuration folders should). True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);

// Whether the file is there and write-protected: not writable for this
// process, or with no write permission for anyone (which root, too, is taken
// to respect). A link is asked about the file it names.
bool IsWriteProtected(const std::string& path);

// What the window says of such a file where it refused to write it.
inline constexpr std::string_view kWriteProtectedText = "Die Datei ist schreibgeschützt.";

// Replaces the file's content atomically: a temporary file in the same folder
// is written, flushed to disk and renamed over the file, so a reader sees
// either the old or the new content and a failure leaves the old file as it
// was. Missing parent folders are created. An existing file keeps its mode; a
// symbolic link keeps pointing at the file it names, which gets the content.
// Temporary files (".NAME.PID.N.tmp") that writers of the same file left
// behind when they were killed are removed once their process is gone.
// A write-protected file is refused (false) and stays as it is: the rename
// would otherwise replace it although the user protected it.
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace tavrek::platform
