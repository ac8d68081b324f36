#pragma once
// Files this machine serves to others through Samba shares, with the user who
// opened each. The list comes from `smbstatus -L --json` (root only), refreshed
// in the background at most once per period, so asking never waits for it.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

struct OpenFile {
  std::string path;  // local path of the file
  std::string user;  // user name of the client that opened it

  bool operator==(const OpenFile&) const = default;
};
using OpenFileList = std::vector<OpenFile>;

// Parses the JSON printed by `smbstatus -L --json`; anything unreadable gives
// an empty list.
OpenFileList ParseSmbstatusJson(std::string_view json);

class OpenFilesMonitor {
 public:
  // Runs the lister and returns its standard output, or nothing on failure.
  using Runner = std::function<std::optional<std::string>()>;

  // The default runner calls smbstatus when it is installed and the process
  // is root; otherwise the monitor stays empty and starts no thread. (It is
  // then an empty Runner; any empty Runner has that effect.)
  static Runner DefaultRunner();

  explicit OpenFilesMonitor(Runner runner = DefaultRunner(),
                            std::chrono::milliseconds period = std::chrono::seconds(1));
  ~OpenFilesMonitor();  // stops and joins the refresh thread
  OpenFilesMonitor(const OpenFilesMonitor&) = delete;
  OpenFilesMonitor& operator=(const OpenFilesMonitor&) = delete;

  // The latest list; asks for a refresh when it is older than the period.
  // Never blocks on the lister. The lister runs only while snapshots are
  // asked for, at most once per period; until its first answer the list is
  // empty, and a failed run empties it.
  std::shared_ptr<const OpenFileList> Snapshot();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavrek::platform
