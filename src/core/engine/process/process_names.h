#pragma once
// The command names of the processes behind changes. The kernel tells a
// change's pid; the name must be read from /proc while the process lives, so
// the reader thread notes each pid as soon as it sees it and the session asks
// for the name when it makes the row. A process that ends before that is
// still named by the record of its exec, which the kernel queues before any
// change the program makes. Names and program files are few and repeat, so
// they are kept once each; a pid's name is read again after a short while,
// and the oldest pids go when the table is full. Safe to use from any thread.
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

#include "core/engine/process/program_start.h"

namespace tavrek::engine {

struct ProcessNameLimits {
  // A pid is read at most once within this time: a burst of one process
  // costs a few reads, and a name changed by exec is seen soon after.
  std::chrono::steady_clock::duration refresh = std::chrono::milliseconds(100);
  size_t maxPids = 4096;
  // More distinct names (command names and program paths) than this start
  // the tables afresh.
  size_t maxNames = 4096;
};

// What the record of an exec tells: the program file started by a pid.
struct ProcessExec {
  std::string fileName;  // the file's name (the command name is its first 15 bytes)
  std::string exe;       // its path; empty when it could not be found
  std::optional<uint32_t> uid;
};

// A process as the capture helper passes it on.
struct ProcessFacts {
  int32_t pid = 0;
  std::string name;
  std::string exe;
  std::optional<uint32_t> uid;
};

class ProcessNames {
 public:
  using Clock = std::chrono::steady_clock;
  // The name of a running process, or none when it cannot be read (gone,
  // not allowed). Must not block.
  using NameReader = std::function<std::optional<std::string>(int32_t pid)>;
  // The path of a running process's program file, or none (gone, not allowed).
  using ExeReader = std::function<std::optional<std::string>(int32_t pid)>;
  // How the program file at a path is started (see ReadProgramStart).
  using StartReader = std::function<ProgramStart(const std::string& path)>;

  using Limits = ProcessNameLimits;

  ProcessNames() : ProcessNames(ReadCommName, Limits{}) {}
  ProcessNames(NameReader reader, Limits limits, ExeReader exeReader = ReadExe,
               StartReader startReader = ReadProgramStart);

  // One process for the whole program: every fanotify reader notes into it.
  static ProcessNames& Shared();
  // /proc/PID/comm without its line end.
  static std::optional<std::string> ReadCommName(int32_t pid);
  // /proc/PID/exe.
  static std::optional<std::string> ReadExe(int32_t pid);
  // The owner of /proc/PID: the process's effective user id.
  static std::optional<uint32_t> ReadUid(int32_t pid);

  // Reads the name of `pid` unless it was read within the refresh time.
  // A failed read keeps a name read before.
  void Note(int32_t pid, Clock::time_point now = Clock::now());
  // A name read elsewhere (by the capture helper) while the process lived.
  void Remember(int32_t pid, const std::string& name, Clock::time_point now = Clock::now()) {
    if (pid > 0) Store(pid, name, now);
  }
  // `pid` started a program. One exec opens more than one file: an ELF
  // program its loader, a script its interpreter. The first file names the
  // process, as the kernel names it; the loader ends the exec. The kernel
  // merges a loader's record into the same process's earlier one, so a
  // program file that follows another without a loader in between is taken
  // for the interpreter only when the file before is a script that names it.
  // It replaces a name learned before (the pid may have been reused); /proc
  // is read again after the refresh time, and its name (a link's, or one the
  // program gave itself) wins then, unless the exec is still under way (see
  // Note).
  void Exec(int32_t pid, const ProcessExec& exec, Clock::time_point now = Clock::now());
  // What the capture helper learned about a process.
  void Learn(const ProcessFacts& facts, Clock::time_point now = Clock::now());

  // Whether a name is known for `pid` (it may be due for reading again).
  bool Named(int32_t pid) const;
  // The last name read for `pid`; empty when none is known.
  std::string Name(int32_t pid) const;
  // What is known of `pid`: name, program file (from its exec) and user id.
  ProcessFacts Facts(int32_t pid) const;

  // Grows whenever a pid's known name changes: a caller that saw the same
  // version before and after may keep what Name returned.
  uint64_t Version() const { return version_.load(std::memory_order_acquire); }

  size_t PidCount() const;
  size_t NameCount() const;

 private:
  static constexpr uint32_t kUnknown = UINT32_MAX;
  struct Entry {
    uint32_t nameId = kUnknown;
    uint32_t exeId = kUnknown;
    std::optional<uint32_t> uid;
    std::optional<Clock::time_point> readAt;  // none: not read since its exec
    uint64_t serial = 0;                      // which of the pid's places in order_ counts
    bool execOpen = false;                    // its exec has not opened its loader yet
    bool execNamed = false;                   // named by its exec, not yet by /proc
    uint32_t openedId = kUnknown;             // the program file its exec opened last
    std::vector<uint32_t> formerIds;          // its names before, the latest first
  };
  // What a read of /proc must agree with while a pid is named by its exec.
  struct ExecName {
    std::string name;
    std::string exe;  // empty: nothing to check
    std::vector<std::string> former;
  };

  // Reads `pid` unless it was read within the refresh time; ends its exec.
  bool NeedsRead(int32_t pid, Clock::time_point now, ExecName& exec);
  // Whether a name read from /proc is the program's the exec record named.
  bool ProcAgrees(int32_t pid, const std::string& name, const ExecName& exec) const;
  void Store(int32_t pid, const std::optional<std::string>& name, Clock::time_point now);
  // Whether `exec` goes on the exec under way of `pid` (an interpreter, or
  // the same record again); asks the file opened before without the lock.
  bool ContinuesExec(int32_t pid, const ProcessExec& exec);
  // Names the pid after the program it started. Needs the lock.
  void StartExec(int32_t pid, const ProcessExec& exec, Clock::time_point now);
  // The pid's entry, made afresh (the oldest pids go when the table is full)
  // unless `keep` and it exists. Needs the lock.
  Entry& Place(int32_t pid, bool keep);
  // Starts the tables afresh unless `count` more names fit. Needs the lock.
  void MakeRoom(size_t count);
  uint32_t Intern(const std::string& name);
  std::string Text(uint32_t id) const { return id == kUnknown ? std::string() : names_[id]; }

  NameReader reader_;
  ExeReader exeReader_;
  StartReader startReader_;
  Limits limits_;
  mutable std::mutex mutex_;
  std::atomic<uint64_t> version_{0};
  std::unordered_map<int32_t, Entry> pids_;
  // Pids in the order they were placed, with the serial of the placing: a pid
  // placed again (a new exec) leaves its old place behind, which then counts
  // for nothing.
  std::deque<std::pair<int32_t, uint64_t>> order_;
  uint64_t nextSerial_ = 0;
  std::vector<std::string> names_;  // command names and program paths
  std::unordered_map<std::string, uint32_t> nameIds_;
};

}  // namespace tavrek::engine
