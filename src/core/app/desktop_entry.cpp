#include "core/app/desktop_entry.h"

#include <sys/stat.h>

#include "core/platform/file_io.h"

namespace tavrek::app {
namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

}  // namespace

std::string ExecArgument(std::string_view argument) {
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string quoted;
  if (quote) quoted += '"';
  for (char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  if (quote) quoted += '"';
  // The Exec value is itself a string value whose backslashes are escaped.
  std::string escaped;
  for (char c : quoted) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string EntryValue(std::string_view text) {
  std::string value;
  for (char c : text) {
    if (c == '\\') {
      value += "\\\\";
    } else if (c == '\n') {
      value += "\\n";
    } else if (c == '\t') {
      value += "\\t";
    } else if (c == '\r') {
      value += "\\r";
    } else {
      value += c;
    }
  }
  return value;
}

std::string ShellWord(std::string_view text) {
  std::string word = "'";
  for (char c : text) {
    if (c == '\'') {
      word += "'\\''";
    } else {
      word += c;
    }
  }
  return word + "'";
}

WriteOutcome WriteIfChanged(const std::string& path, std::string_view content, unsigned mode) {
  const platform::FileContent present = platform::ReadWholeFile(path);
  if (present.status == platform::ReadStatus::Ok && present.bytes == content) {
    return WriteOutcome::Unchanged;
  }
  if (!platform::WriteFileAtomically(path, content)) return WriteOutcome::Failed;
  chmod(path.c_str(), mode);
  return WriteOutcome::Written;
}

std::string FormatApplicationEntry(const ApplicationEntry& entry) {
  std::string exec;
  for (const std::string& argument : entry.exec) {
    if (!exec.empty()) exec += ' ';
    exec += ExecArgument(argument);
  }
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + EntryValue(entry.name) + "\n";
  if (!entry.comment.empty()) text += "Comment=" + EntryValue(entry.comment) + "\n";
  text += "Exec=" + exec + "\n";
  text += "Icon=" + EntryValue(entry.icon) + "\n";
  text += "Terminal=false\n";
  return text + entry.extraLines;
}

}  // namespace tavrek::app
