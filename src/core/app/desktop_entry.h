#pragma once
// Writing desktop entries and the small text files that go with them.
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::app {

// One argument of an Exec line by the desktop-entry rules: in double quotes
// when it holds a reserved character, with `"`, `` ` ``, `$` and `\` escaped
// inside them, every literal "%" as "%%"; then the string escapes of the value
// on top ("\\", "\n", "\t", "\r"), so no byte of it can end the line.
std::string ExecArgument(std::string_view argument);

// A localestring/string value: "\" as "\\", line ends as "\n", tabs as "\t".
std::string EntryValue(std::string_view text);

// A sh word: the text in single quotes, with each "'" written as '\''.
std::string ShellWord(std::string_view text);

// Whether a text can go into desktop entries, action files and XML and read
// back identically: valid UTF-8 (those files are UTF-8 text) without control
// characters (a line feed would start a key of its own) and without the two
// code points XML has no place for (U+FFFE, U+FFFF).
bool IsWritableInEntries(std::string_view text);
// The message refusing a program path that is not; the path is shown with
// its control characters and stray bytes as "\xHH".
std::string RefusedProgramPathText(std::string_view programPath);

// Refused: a text that cannot be written safely was not written.
enum class WriteOutcome { Unchanged, Written, Failed, Refused };

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
  std::string fieldCode;          // e.g. "%f", written as it is after them
  std::string icon;
  std::string extraLines;  // further "Key=value\n" lines, already escaped
};
std::string FormatApplicationEntry(const ApplicationEntry& entry);

}  // namespace tavrek::app
