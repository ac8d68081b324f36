#pragma once
// The command names of the processes behind changes. The kernel tells a
// change's pid; the name must be read from /proc while the process lives, so
// the reader thread notes each pid as soon as it sees it and the session asks
// for the name when it makes the row. Names are few and repeat, so they are
// kept once each; a pid's name is read again after a short while, and the
// oldest pids go when the table is full. Safe to use from any thread.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavrek::engine {

struct ProcessNameLimits {
  // A pid is read at most once within this time: a burst of one process
  // costs a few reads, and a name changed by exec is seen soon after.
  std::chrono::steady_clock::duration refresh = std::chrono::milliseconds(100);
  size_t maxPids = 4096;
  // More distinct names than this start the tables afresh.
  size_t maxNames = 4096;
};

class ProcessNames {
 public:
  using Clock = std::chrono::steady_clock;
  // The name of a running process, or none when it cannot be read (gone,
  // not allowed). Must not block.
  using NameReader = std::function<std::optional<std::string>(int32_t pid)>;

  using Limits = ProcessNameLimits;

  ProcessNames() : ProcessNames(ReadCommName, Limits{}) {}
  ProcessNames(NameReader reader, Limits limits);

  // One process for the whole program: every fanotify reader notes into it.
  static ProcessNames& Shared();
  // /proc/PID/comm without its line end.
  static std::optional<std::string> ReadCommName(int32_t pid);

  // Reads the name of `pid` unless it was read within the refresh time.
  // A failed read keeps a name read before.
  void Note(int32_t pid, Clock::time_point now = Clock::now());
  // A name read elsewhere (by the capture helper) while the process lived.
  void Remember(int32_t pid, const std::string& name, Clock::time_point now = Clock::now()) {
    if (pid > 0) Store(pid, name, now);
  }
  // The last name read for `pid`; empty when none is known.
  std::string Name(int32_t pid) const;

  // Grows whenever a pid's known name changes: a caller that saw the same
  // version before and after may keep what Name returned.
  uint64_t Version() const { return version_.load(std::memory_order_acquire); }

  size_t PidCount() const;
  size_t NameCount() const;

 private:
  static constexpr uint32_t kUnknown = UINT32_MAX;
  struct Entry {
    uint32_t nameId = kUnknown;
    Clock::time_point readAt;
  };

  bool IsFresh(int32_t pid, Clock::time_point now) const;
  void Store(int32_t pid, const std::optional<std::string>& name, Clock::time_point now);
  uint32_t Intern(const std::string& name);

  NameReader reader_;
  Limits limits_;
  mutable std::mutex mutex_;
  std::atomic<uint64_t> version_{0};
  std::unordered_map<int32_t, Entry> pids_;
  std::deque<int32_t> order_;  // pids in the order they were first noted
  std::vector<std::string> names_;
  std::unordered_map<std::string, uint32_t> nameIds_;
};

}  // namespace tavrek::engine
