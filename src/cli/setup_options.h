#pragma once
// Setup documents on the command line of tavrek-watch: --setup watches what a
// document says, --show-setup prints what a window would load from one, and
// --save-setup writes the document a window would write.
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine/watch_setup.h"

namespace tavrek::cli {

struct CommandLine;

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

// Parses the command line. With --setup the document's folders, filter rows,
// options and log filter mode come first and the rest of the command line
// goes on top: switches and the log filter mode override the document's,
// folders and filter texts are added to its lists.
bool ParseWithSetup(const std::vector<std::string>& arguments, CommandLine& line, std::string& error);

// The filter rows, options and log filter mode of a parsed command line, as a
// session takes them over (no folders).
engine::WatchSetup SetupWithoutFolders(const CommandLine& line);

// --show-setup: prints the document's rows; 0, or 1 with a message when the
// file cannot be read.
int ShowSetup(const std::string& file, std::FILE* out, std::FILE* errors);

// --save-setup: writes the command line's setup; 0, or 1 with a message when
// the file exists (without --force) or cannot be written.
int SaveSetup(const CommandLine& line, std::FILE* errors);

extern const char* const kSetupUsage;

}  // namespace tavrek::cli
