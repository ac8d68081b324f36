#include "core/engine/process/process_text.h"

#include <unistd.h>

namespace tavrek::engine {

std::string FormatProcessText(std::string_view name, int32_t pid, bool own) {
  if (pid <= 0) return {};
  std::string text;
  text.reserve(name.size() + 24);
  if (!name.empty()) {
    text += name;
    text += ' ';
  }
  text += '(';
  text += std::to_string(pid);
  if (own) {
    text += ", ";
    text += kOwnProcessMark;
  }
  text += ')';
  return text;
}

// getpid() is asked each time: a forked child is not this program.
bool IsOwnProcess(int32_t pid) { return pid > 0 && pid == getpid(); }

}  // namespace tavrek::engine
