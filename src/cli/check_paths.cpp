#include "cli/check_paths.h"

#include <string>
#include <string_view>

#include "cli/json_row.h"
#include "cli/setup_options.h"
#include "core/platform/visible_text.h"

namespace tavrek::cli {
namespace {

constexpr int kExitOk = 0;

std::string_view DecisionText(bool filtered) { return filtered ? "filtered" : "passes"; }

std::string TsvLine(bool filtered, const std::string& path) {
  return std::string(DecisionText(filtered)) + "\t" + platform::VisibleText(path) + "\n";
}

// {"result":"passes","path":"/a"}; a path that is not UTF-8 as "path_b64",
// as the watch's JSON rows carry names.
std::string JsonLine(bool filtered, const std::string& path) {
  std::string out = "{\"result\":\"";
  out += DecisionText(filtered);
  if (IsValidUtf8(path)) {
    out += "\",\"path\":";
    AppendJsonString(out, path);
  } else {
    out += "\",\"path_b64\":\"";
    AppendBase64(out, path);
    out += '"';
  }
  out += "}\n";
  return out;
}

}  // namespace

int CheckPaths(const CommandLine& line, std::FILE* out, std::FILE* errors) {
  const engine::WatchSetup setup = SetupWithoutFolders(line);
  engine::FilterSet filter;
  filter.Assign(setup.filterRows);
  // A path alone has no process: rows naming processes cannot decide it.
  if (filter.hasProcessEntries()) {
    std::fputs("tavrek-watch: --check decides by the path rows only; the process rows are not "
               "applied\n", errors);
  }
  for (const std::string& path : line.paths) {
    const bool filtered = filter.IsPathFiltered(path, setup.logFilterMode);
    const std::string text = line.format == OutputFormat::kJson ? JsonLine(filtered, path)
                                                                : TsvLine(filtered, path);
    std::fputs(text.c_str(), out);
  }
  return kExitOk;
}

}  // namespace tavrek::cli
