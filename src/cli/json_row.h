#pragma once
// One change-log row as a line of JSON (JSON Lines): a stream other programs
// read with any JSON parser. Names that are not valid UTF-8 travel as base64
// of their exact bytes, so every file name comes back byte for byte.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine/change_log.h"

namespace tavrek::cli {

// Appends `text` as a JSON string, quotes included; `text` must be UTF-8.
void AppendJsonString(std::string& out, std::string_view text);
// Appends the standard base64 form (with padding) of `bytes`.
void AppendBase64(std::string& out, std::string_view bytes);
bool IsValidUtf8(std::string_view text);

// The executable and the owner of a process, read from /proc while it lives.
struct ProcessDetails {
  std::optional<std::string> exe;
  std::optional<uint32_t> uid;
};
ProcessDetails ReadProcessDetails(pid_t pid);

// Unix time in nanoseconds of a row's local time of day, taken as the last
// such moment not after `now` (a row printed just past midnight belongs to
// the day before).
int64_t UnixNanosecondsOfDayTime(uint32_t millisecondOfDay, int64_t nowNanoseconds);

// Writes rows of one log; remembers the last process's details, since a
// burst of rows comes from one process.
class JsonRowWriter {
 public:
  // Appends the row's line, line feed included.
  void Append(const engine::ChangeLog& log, size_t index, std::string& out);

 private:
  const ProcessDetails& DetailsOf(pid_t pid);
  void AppendProcess(const engine::ChangeLog& log, size_t index, std::string& out);

  pid_t lastPid_ = 0;
  ProcessDetails lastDetails_;
};

}  // namespace tavrek::cli
