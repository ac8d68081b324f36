#pragma once
// Writing desktop entries and the small text files that go with them.
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::app {

// One argument of an Exec line: quoted when it holds a reserved character,
// with `"`, `` ` ``, `$` and `\` escaped inside the quotes, and every
// backslash doubled once more for the desktop file's own string escapes.
// A literal "%" becomes "%%".
std::string ExecArgument(std::string_view argument);

// A localestring/string value: "\" as "\\", line ends as "\n", tabs as "\t".
std::string EntryValue(std::string_view text);

// A sh word: the text in single quotes, with each "'" written as '\''.
std::string ShellWord(std::string_view text);

enum class WriteOutcome { Unchanged, Written, Failed };

// Writes the file only when its content differs (atomically, with missing
// folders created); `mode` is applied to a file that was written.
WriteOutcome WriteIfChanged(const std::string& path, std::string_view content,
                            unsigned mode = 0644);

// An application entry: [Desktop Entry] with the given keys after
// Type=Application, Name, Exec and Icon.
struct ApplicationEntry {
  std::string name;
  std::string comment;
  std::vector<std::string> exec;  // the program and its arguments, unquoted
  std::string icon;
  std::string extraLines;  // further "Key=value\n" lines, already escaped
};
std::string FormatApplicationEntry(const ApplicationEntry& entry);

}  // namespace tavrek::app
