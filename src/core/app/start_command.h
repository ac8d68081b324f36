#pragma once
// What a start of the program opens, decided on its command-line tail alone.
#include <string>
#include <string_view>

namespace tavrek::app {

enum class StartForm {
  Empty,      // a new, empty watch window
  Help,       // the help window, no frame
  Folder,     // "/e>long path>shell name": a window watching the folder text
  OneFolder,  // "--folder" and a folder: a window watching exactly that folder
  Document,   // anything else names a watch-setup document
};

// What the file managers' folder actions start the program with: the option,
// then the folder as an argument of its own.
inline constexpr std::string_view kFolderOption = "--folder";

struct StartCommand {
  StartForm form = StartForm::Empty;
  // The folder text (it may list several folders separated by ","), the one
  // folder, or the document path.
  std::string argument;
  bool operator==(const StartCommand&) const = default;
};

// The arguments after the program's name joined by single blanks.
std::string JoinCommandTail(int argc, const char* const* argv);

// "-help" only as the whole tail, in exactly that spelling. A tail beginning
// with "/e>" is split at ">" and names field 2, or field 1 when field 2 is
// empty. Any other tail (also "/etc/x.tvk") is a document path with one
// leading and one trailing double quote taken off; nothing else is trimmed or
// split.
StartCommand ParseStartCommand(std::string_view tail);

// The command line with each argument whole: exactly kFolderOption and one
// more argument is that one folder, taken as it is (a "file://" URI, as Nemo
// hands a folder over, is decoded to its path first); anything else is the
// tail the arguments make joined by single blanks (ParseStartCommand).
StartCommand ParseStartArguments(int argc, const char* const* argv);

// Counts the watch windows a run created through "&Neu" and the command line;
// only the very first of them opens maximised.
class WindowCounter {
 public:
  // Counts one window; true for the first.
  bool TakeMaximise() { return count_++ == 0; }
  unsigned count() const { return count_; }

 private:
  unsigned count_ = 0;
};

}  // namespace tavrek::app
