#include "core/app/desktop_entry.h"

#include <sys/stat.h>

#include "core/platform/file_io.h"
#include "core/platform/utf8.h"
#include "core/platform/visible_text.h"

namespace tavrek::app {
namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\r\"'\\><~|&;$*?#()`";

constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kLastC1Control = 0x9F;
constexpr char32_t kFirstXmlNonCharacter = 0xFFFE;
constexpr char32_t kLastXmlNonCharacter = 0xFFFF;

bool IsWritableCodePoint(char32_t codePoint) {
  if (codePoint < kFirstPrintable) return false;
  if (codePoint >= kDelete && codePoint <= kLastC1Control) return false;
  return codePoint < kFirstXmlNonCharacter || codePoint > kLastXmlNonCharacter;
}

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
  // The Exec value is itself a string value: its escapes are undone first.
  return EntryValue(quoted);
}

bool IsWritableInEntries(std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    const platform::Utf8Sequence sequence = platform::DecodeUtf8At(text, position);
    if (sequence.length == 0 || !IsWritableCodePoint(sequence.codePoint)) return false;
    position += sequence.length;
  }
  return true;
}

std::string RefusedProgramPathText(std::string_view programPath) {
  return "Der Programmpfad lässt sich nicht eintragen (Zeilenumbruch, Steuerzeichen "
         "oder kein UTF-8):\n" +
         platform::VisibleText(programPath);
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
  if (!entry.fieldCode.empty()) exec += " " + entry.fieldCode;
  text += "Exec=" + exec + "\n";
  text += "Icon=" + EntryValue(entry.icon) + "\n";
  text += "Terminal=false\n";
  return text + entry.extraLines;
}

}  // namespace tavrek::app
