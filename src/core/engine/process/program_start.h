#pragma once
// How a program file is started: an ELF program by itself, a script by the
// interpreter its "#!" line names, which the kernel opens right after it
// for the same exec. Telling the two apart says whether the program file a
// process opens next is that interpreter or a program the process started
// in its place (the kernel may merge the records in between).
#include <string>
#include <string_view>

namespace tavrek::engine {

struct ProgramStart {
  bool known = false;       // an ELF program or a script; false: unreadable or another format
  std::string interpreter;  // a script's, as its "#!" line names it; empty for a program
  std::string resolved;     // the interpreter's path with links resolved, when it exists
};

// What the first bytes of a program file say (at most the 256 the kernel reads).
ProgramStart ParseProgramStart(std::string_view head);
// Reads the file's first bytes; unknown when it is no regular file or unreadable.
ProgramStart ReadProgramStart(const std::string& path);

// Whether a program file opened by the same exec after a script is the
// interpreter that script asks for: compared by path when the record found
// one (`exe`), else by file name. What cannot be told counts as interpreter.
bool IsInterpreterOf(const ProgramStart& script, const std::string& fileName,
                     const std::string& exe);

}  // namespace tavrek::engine
