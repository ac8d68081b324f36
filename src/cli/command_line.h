#pragma once
// The command line of tavrek-watch.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/backend_type.h"
#include "core/engine/file_filter.h"
#include "core/engine/folder_choices.h"
#include "core/engine/watch_options.h"
#include "cli/output_format.h"
#include "cli/setup_flags.h"

namespace tavrek::cli {

struct FilterText {
  std::string text;
  bool exclude = false;
};

struct CommandLine {
  engine::WatchOptions options;
  std::vector<FilterText> filters;  // in the order given
  engine::LogFilterMode logFilterMode = engine::LogFilterMode::kDoNotLogThese;
  engine::BackendType backend = engine::BackendType::Automatic;
  std::chrono::milliseconds pollInterval{2000};  // --poll-interval SECONDS
  bool check = false;              // --check: decide the paths, watch nothing
  std::vector<std::string> paths;  // folders to watch, or paths to check
  bool help = false;
  std::vector<engine::FilterRow> filterRows;  // rows a setup document brought, before `filters`
  engine::FolderChoices folderChoices;  // how a setup document's folders are to be watched
  SetupOptions setup;
  OutputFormat format = OutputFormat::kTsv;  // --format
  std::vector<std::string> exports;  // --export: files the change log goes to at the stop
};

// Parses argv[1..] on top of `start`; on error returns nothing and sets `error`.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            std::string& error, const CommandLine& start = {});

extern const char* const kUsage;

}  // namespace tavrek::cli
