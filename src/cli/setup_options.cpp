#include "cli/setup_options.h"

#include <filesystem>
#include <string_view>

#include "cli/command_line.h"
#include "cli/folder_arguments.h"
#include "core/engine/option_table.h"
#include "core/engine/watch_session.h"
#include "core/platform/file_io.h"
#include "core/platform/visible_text.h"
#include "core/setups/document_file.h"

namespace tavrek::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;

// A text as one valid UTF-8 field, escaped as the change-log rows escape
// names (C1 controls too), so a reader undoes both the same way.
std::string Escaped(std::string_view text) { return platform::VisibleText(text); }

void PrintSetup(const setups::SetupDocument& document, std::FILE* out) {
  const engine::WatchSetup& setup = document.setup;
  for (const std::string& folder : setup.folders) {
    std::fprintf(out, "folder\t%s\n", Escaped(folder).c_str());
  }
  for (const auto& [folder, choice] : setup.folderChoices) {
    std::fprintf(out, "choice\t%s\t%s\n", std::string(engine::BackendName(choice)).c_str(),
                 Escaped(folder).c_str());
  }
  for (const engine::FilterRow& row : setup.filterRows) {
    std::fprintf(out, "filter\t%s\t%d\t%s\n", Escaped(row.pattern).c_str(), row.checked ? 1 : 0,
                 std::string(engine::FilterTypeText(row.kind)).c_str());
  }
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    std::fprintf(out, "option\t%s\t%d\n", std::string(option.documentKey).c_str(),
                 setup.options.*option.flag != 0 ? 1 : 0);
  }
  std::fprintf(out, "%s\t%d\n", std::string(setups::kKeyStartWatch).c_str(), document.startWatch);
  std::fprintf(out, "%s\t%d\n", std::string(setups::kKeyLogFilterMode).c_str(),
               static_cast<int>(setup.logFilterMode));
}

// Notes named one by one on the console; the rest are counted.
constexpr size_t kNotesShown = 100;

void PrintNotes(const std::string& file, const char* what,
                const std::vector<setups::DocumentNote>& notes, std::FILE* errors) {
  for (const std::string& line :
       setups::DescribeNotes(notes, setups::NoteLanguage::English, kNotesShown)) {
    std::fprintf(errors, "tavrek-watch: %s %s: %s\n", what, file.c_str(), line.c_str());
  }
}

bool ReportUnread(const std::string& file, setups::DocumentStatus status, std::FILE* errors) {
  std::fprintf(errors, "tavrek-watch: cannot open %s (%s)\n", platform::VisibleText(file).c_str(),
               std::string(setups::DescribeStatus(status)).c_str());
  return false;
}

// The command line a document brings before the rest of the arguments.
bool StartFromDocument(const CommandLine& first, CommandLine& start, std::string& error) {
  const setups::DocumentRead read = setups::ReadSetupDocument(first.setup.setupFile);
  if (read.status != setups::DocumentStatus::Ok) {
    error = "cannot open " + platform::VisibleText(first.setup.setupFile) + " (" +
            std::string(setups::DescribeStatus(read.status)) + ")";
    return false;
  }
  PrintNotes(first.setup.setupFile, "not loaded from", read.notLoaded, stderr);
  const engine::WatchSetup& setup = read.document.setup;
  start.options = setup.options;
  start.logFilterMode = setup.logFilterMode;
  start.filterRows = setup.filterRows;
  start.folderChoices = setup.folderChoices;
  // With --check the paths are the ones to decide, not folders.
  if (!first.check) start.paths = setup.folders;
  return true;
}

}  // namespace

bool ParseWithSetup(const std::vector<std::string>& arguments, CommandLine& line, std::string& error) {
  std::optional<CommandLine> first = ParseCommandLine(arguments, error);
  if (!first) return false;
  if (first->setup.setupFile.empty() || first->help || !first->setup.showFile.empty()) {
    line = std::move(*first);
    return true;
  }
  CommandLine start;
  if (!StartFromDocument(*first, start, error)) return false;
  std::optional<CommandLine> second = ParseCommandLine(arguments, error, start);
  if (!second) return false;
  if (second->paths.empty() && second->setup.saveFile.empty()) {
    error = second->check
                ? "--check needs at least one path"
                : "no folder to watch in " + platform::VisibleText(second->setup.setupFile);
    return false;
  }
  line = std::move(*second);
  return true;
}

engine::WatchSetup SetupWithoutFolders(const CommandLine& line) {
  engine::WatchSession session;
  session.Apply({{}, line.filterRows, line.options, line.logFilterMode, {}});
  for (const FilterText& filter : line.filters) session.AddFilterText(filter.text, filter.exclude);
  return session.Setup();
}

int ShowSetup(const std::string& file, std::FILE* out, std::FILE* errors) {
  const setups::DocumentRead read = setups::ReadSetupDocument(file);
  if (read.status != setups::DocumentStatus::Ok) {
    ReportUnread(file, read.status, errors);
    return kExitFailure;
  }
  PrintNotes(file, "not loaded from", read.notLoaded, errors);
  PrintSetup(read.document, out);
  return kExitOk;
}

int SaveSetup(const CommandLine& line, std::FILE* errors) {
  setups::SetupDocument document{SetupWithoutFolders(line), line.setup.startWatch ? 1 : 0};
  for (const std::string& path : line.paths) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    document.setup.folders.push_back(absolute.empty() ? path : absolute.string());
  }
  // A document read by --setup keeps its folders' choices.
  document.setup.folderChoices =
      ChoicesOfFolders(line.paths, document.setup.folders, line.folderChoices);
  const std::string target = setups::CompleteSetupExtension(line.setup.saveFile);
  if (!line.setup.force && setups::SetupTargetExists(target)) {
    std::fprintf(errors, "tavrek-watch: %s exists already; --force replaces it\n",
                 platform::VisibleText(target).c_str());
    return kExitFailure;
  }
  const setups::DocumentWrite write = setups::WriteSetupDocument(target, document);
  if (!write.written) {
    std::fprintf(errors, "tavrek-watch: cannot write %s%s\n", platform::VisibleText(target).c_str(),
                 platform::IsWriteProtected(target) ? " (write-protected)" : "");
    return kExitFailure;
  }
  PrintNotes(target, "left out of", write.leftOut, errors);
  return kExitOk;
}

}  // namespace tavrek::cli
