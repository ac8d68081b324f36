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
};

// The file is there but its content could not be had.
inline bool IsReadError(ReadStatus status) {
  return status == ReadStatus::OpenFailed || status == ReadStatus::ReadFailed;
}

struct FileContent {
  ReadStatus status = ReadStatus::Missing;
  std::string bytes;
};

// Reads the whole file, also files whose size the kernel reports as 0 (/proc).
FileContent ReadWholeFile(const std::string& path);

// Creates the folder and its missing parents (new folders get mode 0700, as
// configuration folders should). True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);

// Replaces the file's content atomically: a temporary file in the same folder
// is written, flushed to disk and renamed over the file, so a reader sees
// either the old or the new content and a failure leaves the old file as it
// was. Missing parent folders are created. An existing file keeps its mode; a
// symbolic link keeps pointing at the file it names, which gets the content.
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace tavrek::platform
