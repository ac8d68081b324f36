#pragma once
// Setup documents on the command line of tavrek-watch: --setup watches what a
// document says, --show-setup prints what a window would load from one, and
// --save-setup writes the document a window would write.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "core/engine/watch_setup.h"

namespace tavrek::cli {

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

}  // namespace tavrek::cli
