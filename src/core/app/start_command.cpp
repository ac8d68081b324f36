#include "core/app/start_command.h"

#include <vector>

namespace tavrek::app {
namespace {

constexpr std::string_view kHelpOption = "-help";
constexpr std::string_view kFolderFormPrefix = "/e>";
constexpr std::string_view kFileUriPrefix = "file://";
constexpr int kFolderOptionArgc = 3;  // the program, the option, the folder
constexpr int kHexBase = 16;
constexpr int kHexLetterValue = 10;  // of "a" and "A"
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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + kHexLetterValue;
  if (c >= 'A' && c <= 'F') return c - 'A' + kHexLetterValue;
  return -1;
}

// "file:///path" with its %XX escapes undone; anything else, a URI with a
// host or a broken escape included, stays as it was given.
std::string FolderOfArgument(std::string_view argument) {
  if (!argument.starts_with(kFileUriPrefix)) return std::string(argument);
  const std::string_view path = argument.substr(kFileUriPrefix.size());
  if (!path.starts_with('/')) return std::string(argument);
  std::string decoded;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') {
      decoded += path[i];
      continue;
    }
    const int high = i + 2 < path.size() ? HexDigit(path[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(path[i + 2]) : -1;
    if (low < 0) return std::string(argument);
    decoded += static_cast<char>(high * kHexBase + low);
    i += 2;
  }
  return decoded;
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

StartCommand ParseStartArguments(int argc, const char* const* argv) {
  if (argc == kFolderOptionArgc && argv[1] == kFolderOption) {
    return {StartForm::OneFolder, FolderOfArgument(argv[2])};
  }
  return ParseStartCommand(JoinCommandTail(argc, argv));
}

}  // namespace tavrek::app
