#include "core/app/start_command.h"

#include <vector>

namespace tavrek::app {
namespace {

constexpr std::string_view kHelpOption = "-help";
constexpr std::string_view kFolderFormPrefix = "/e";
constexpr char kFieldSeparator = '>';
constexpr char kQuote = '"';
constexpr size_t kFolderField = 2;
constexpr size_t kFallbackFolderField = 1;

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(kFieldSeparator, start);
    fields.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::string FolderOfFolderForm(std::string_view tail) {
  const std::vector<std::string_view> fields = SplitFields(tail);
  auto field = [&fields](size_t index) {
    return index < fields.size() ? fields[index] : std::string_view();
  };
  const std::string_view folder = field(kFolderField);
  return std::string(folder.empty() ? field(kFallbackFolderField) : folder);
}

std::string Unquoted(std::string_view path) {
  if (!path.empty() && path.front() == kQuote) path.remove_prefix(1);
  if (!path.empty() && path.back() == kQuote) path.remove_suffix(1);
  return std::string(path);
}

}  // namespace

std::string JoinCommandTail(int argc, const char* const* argv) {
  std::string tail;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) tail += ' ';
    tail += argv[index];
  }
  return tail;
}

StartCommand ParseStartCommand(std::string_view tail) {
  if (tail.empty()) return {StartForm::Empty, {}};
  if (tail == kHelpOption) return {StartForm::Help, {}};
  if (tail.starts_with(kFolderFormPrefix)) return {StartForm::Folder, FolderOfFolderForm(tail)};
  return {StartForm::Document, Unquoted(tail)};
}

InstallerAnswer HandOffToInstaller(std::string_view, std::string_view) { return {}; }

}  // namespace tavrek::app
