#include "cli/command_line.h"

#include <string>
#include <string_view>

#include "cli/export_at_stop.h"
#include "core/engine/option_table.h"
#include "core/engine/backend/poll/poll_interval.h"
#include "core/platform/visible_text.h"

namespace tavrek::cli {

const char* const kUsage =
    "usage: tavrek-watch [options] FOLDER...\n"
    "       tavrek-watch [filter options] --check PATH...\n"
    "Prints every change below the folders, one line per change-log row:\n"
    "time, action, name, old name, user, intern, process, separated by TAB\n"
    "(the process is empty where the kernel does not tell it, as with inotify).\n"
    "  --no-creation --no-access --no-write --no-size --no-attributes\n"
    "  --no-rename --no-delete --no-security --no-subtree\n"
    "                         clear one of the nine switches (all are on)\n"
    "  --only LIST            report only the kinds named in LIST (comma separated:\n"
    "                         creation,access,write,size,attributes,rename,delete,\n"
    "                         security); sub-folders stay watched unless --no-subtree\n"
    "  --include TEXT         add filter rows that only let matching paths through\n"
    "  --exclude TEXT         add filter rows that keep matching paths out\n"
    "                         (TEXT is split at \";\", as in the filter dialog)\n"
    "  --log-filter-mode 0|1  0: the filter rows decide; 1: log only what they reject\n"
    "  --backend inotify|fanotify|poll|automatic\n"
    "  --format tsv|json      rows as TAB-separated text (the default) or JSON Lines\n"
    "  --poll-interval SECONDS  how often polled folders are read (default 2, at most\n"
    "                         86400: a day)\n"
    "  --export FILE          when the watch stops, write the change log to FILE as\n"
    "                         .txt, .csv, .html or .xls (by its extension; repeatable)\n"
    "  --check PATH...        print \"passes\" or \"filtered\", TAB, and each path\n"
    "                         (with --format json one object per path)\n"
    "  --help\n";

namespace {

// The change kinds named are switched on and every other kind off; the
// sub-folder switch is no kind of change and keeps its state unless named.
bool ApplyOnly(std::string_view list, engine::WatchOptions& options, std::string& error) {
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    if (option.flag != &engine::WatchOptions::subtree) options.*option.flag = 0;
  }
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view name = list.substr(start, end - start);
    if (!name.empty()) {
      const engine::WatchOption* option = engine::FindOptionByConsoleName(name);
      if (!option) {
        error = "unknown switch in --only: " + platform::VisibleText(name);
        return false;
      }
      options.*option->flag = 1;
    }
    start = end + 1;
  }
  return true;
}

// Options that take a value; returns false with an error for a bad one.
bool ApplyValue(std::string_view option, const std::string& value, CommandLine& line,
                std::string& error) {
  if (option == "--include" || option == "--exclude") {
    line.filters.push_back({value, option == "--exclude"});
  } else if (option == "--only") {
    return ApplyOnly(value, line.options, error);
  } else if (option == "--log-filter-mode") {
    if (value != "0" && value != "1") {
      error = "--log-filter-mode takes 0 or 1";
      return false;
    }
    line.logFilterMode = value == "1" ? engine::LogFilterMode::kLogOnlyThese
                                      : engine::LogFilterMode::kDoNotLogThese;
  } else if (option == "--backend") {
    auto backend = engine::ParseBackendName(value);
    if (!backend) {
      error = "unknown backend: " + platform::VisibleText(value);
      return false;
    }
    line.backend = *backend;
  } else if (option == "--format") {
    const auto format = ParseOutputFormat(value);
    if (!format) {
      error = "--format takes tsv or json";
      return false;
    }
    line.format = *format;
  } else if (option == "--poll-interval") {
    const auto interval = engine::ParsePollSeconds(value);
    if (!interval) {
      error = "--poll-interval takes a positive number of seconds, at most " +
              std::to_string(engine::kLongestPollSeconds) + " (a day)";
      return false;
    }
    line.pollInterval = *interval;
  } else if (option == "--export") {
    if (!ExportFormatOfPath(value)) {
      error = "--export takes a file ending in .txt, .csv, .html or .xls: " +
              platform::VisibleText(value);
      return false;
    }
    line.exports.push_back(value);
  }
  return true;
}

// The option that "--no-NAME" clears; nothing for any other argument.
const engine::WatchOption* SwitchToClear(std::string_view argument) {
  constexpr std::string_view kClearPrefix = "--no-";
  if (!argument.starts_with(kClearPrefix)) return nullptr;
  return engine::FindOptionByConsoleName(argument.substr(kClearPrefix.size()));
}

bool TakesValue(std::string_view option) {
  return option == "--include" || option == "--exclude" || option == "--only" ||
         option == "--log-filter-mode" || option == "--backend" || option == "--export" ||
         option == "--format" || option == "--poll-interval";
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            std::string& error, const CommandLine& start) {
  CommandLine line = start;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      line.paths.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (TakeSetupOption(arguments, i, line.setup, error)) {
      if (!error.empty()) return std::nullopt;
    } else if (argument == "--check") {
      line.check = true;
    } else if (const engine::WatchOption* cleared = SwitchToClear(argument)) {
      line.options.*cleared->flag = 0;
    } else if (TakesValue(argument)) {
      if (i + 1 >= arguments.size()) {
        error = platform::VisibleText(argument) + " needs a value";
        return std::nullopt;
      }
      if (!ApplyValue(argument, arguments[++i], line, error)) return std::nullopt;
    } else {
      error = "unknown option: " + platform::VisibleText(argument);
      return std::nullopt;
    }
  }
  if (!line.help && line.paths.empty() && !line.setup.bringsFolders()) {
    error = line.check ? "--check needs at least one path" : "no folder to watch";
    return std::nullopt;
  }
  return line;
}

}  // namespace tavrek::cli
