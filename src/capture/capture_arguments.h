#pragma once
// The helper's whole input: switches and one absolute folder. Nothing comes
// from documents, settings or the environment.
#include <optional>
#include <string>
#include <vector>

namespace tavrek::capture {

struct CaptureArguments {
  std::string folder;  // absolute, normalised, ends in exactly one "/"
  bool subtree = true;
  bool access = false;  // also report reads
};

inline constexpr const char* kCaptureUsage =
    "usage: tavrek-capture [--no-subtree] [--access] /ABSOLUTE/FOLDER\n";

// Nothing (and the reason in `error`) for an unknown switch, a relative path,
// a path with "." or ".." in it, no folder or more than one, or a path that
// is not a folder.
std::optional<CaptureArguments> ParseCaptureArguments(const std::vector<std::string>& arguments,
                                                      std::string& error);

}  // namespace tavrek::capture
