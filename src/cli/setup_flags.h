#pragma once
// The setup-document flags of tavrek-watch's command line, as the parser
// takes them: which document to watch, show or save, and how to save it.
// What the flags then do lives in setup_options.h.
#include <string>
#include <vector>

namespace tavrek::cli {

struct SetupOptions {
  std::string setupFile;  // --setup FILE
  std::string showFile;   // --show-setup FILE
  std::string saveFile;   // --save-setup FILE
  bool force = false;       // --force: --save-setup may replace an existing file
  bool startWatch = false;  // --start-watch: the saved document starts its watch

  // With one of these the command line needs no folder of its own.
  bool bringsFolders() const { return !setupFile.empty() || !showFile.empty() || !saveFile.empty(); }
};

// When arguments[index] is a setup option, takes it (and its value, moving
// `index` past it) and returns true; a missing value also returns true, with
// `error` set.
bool TakeSetupOption(const std::vector<std::string>& arguments, size_t& index,
                     SetupOptions& options, std::string& error);

extern const char* const kSetupUsage;

}  // namespace tavrek::cli
