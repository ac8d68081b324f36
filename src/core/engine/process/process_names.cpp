#include "core/engine/process/process_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cerrno>
#include <string>

namespace tavrek::engine {
namespace {

// TASK_COMM_LEN is 16 with the closing zero; room for the line end and more.
constexpr size_t kCommBufferSize = 64;
// The kernel names a process after the first bytes of its program file's name.
constexpr size_t kCommandNameLength = 15;
// Names of a pid before its present program that /proc may still show
// while the exec is under way: the one before, and a few more the kernel's
// merged records may have put in between.
constexpr size_t kFormerNames = 6;

// The ELF program loader ("ld-linux-x86-64.so.2", "ld-musl-x86_64.so.1",
// "ld.so"): the kernel opens it for every dynamically linked program, after
// the program itself.
bool IsProgramLoader(std::string_view file) {
  return (file.starts_with("ld-") || file.starts_with("ld.")) &&
         file.find(".so") != std::string_view::npos;
}

}  // namespace

ProcessNames::ProcessNames(NameReader reader, Limits limits, ExeReader exeReader,
                           StartReader startReader)
    : reader_(std::move(reader)),
      exeReader_(std::move(exeReader)),
      startReader_(std::move(startReader)),
      limits_(limits) {}

ProcessNames& ProcessNames::Shared() {
  static ProcessNames names;
  return names;
}

std::optional<std::string> ProcessNames::ReadCommName(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  const std::string path = "/proc/" + std::to_string(pid) + "/comm";
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  std::array<char, kCommBufferSize> buffer{};
  ssize_t length = -1;
  do {
    length = read(fd, buffer.data(), buffer.size());
  } while (length < 0 && errno == EINTR);
  close(fd);
  if (length <= 0) return std::nullopt;
  std::string name(buffer.data(), static_cast<size_t>(length));
  if (name.back() == '\n') name.pop_back();
  return name;
}

std::optional<std::string> ProcessNames::ReadExe(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::array<char, PATH_MAX> target{};
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) == target.size()) return std::nullopt;
  return std::string(target.data(), static_cast<size_t>(length));
}

std::optional<uint32_t> ProcessNames::ReadUid(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  struct stat status {};
  if (stat(("/proc/" + std::to_string(pid)).c_str(), &status) != 0) return std::nullopt;
  return status.st_uid;
}

bool ProcessNames::NeedsRead(int32_t pid, Clock::time_point now, ExecName& exec) {
  std::lock_guard lock(mutex_);
  auto found = pids_.find(pid);
  if (found == pids_.end()) return true;
  if (found->second.execNamed) {
    exec = {Text(found->second.nameId), Text(found->second.exeId), {}};
    for (const uint32_t former : found->second.formerIds) exec.former.push_back(Text(former));
  }
  // A change of the program's own: whatever exec comes next is a new one.
  found->second.execOpen = false;
  const auto& readAt = found->second.readAt;
  return !readAt || now - *readAt >= limits_.refresh;
}

void ProcessNames::Note(int32_t pid, Clock::time_point now) {
  ExecName exec;
  if (pid <= 0 || !NeedsRead(pid, now, exec)) return;
  // Read without the lock: the session's look-ups never wait for /proc.
  std::optional<std::string> name = reader_(pid);
  if (name && !ProcAgrees(pid, *name, exec)) name.reset();  // as a failed read: tried again later
  Store(pid, name, now);
}

// A process held up in the middle of its exec still shows the name and the
// program file of the one it replaces, for as long as it is held up. So a
// name from /proc replaces the one its exec record gave only when it is the
// same, or when /proc's program file is the record's: then the exec is done,
// and a different name is a link's or one the program gave itself. Unless it
// is a name the process had before: the kernel shows the new program file a
// moment before the new name. A process
// gone before its file was read keeps the record's name; where the record
// found no file there is nothing to compare, and /proc is taken as it is.
bool ProcessNames::ProcAgrees(int32_t pid, const std::string& name, const ExecName& exec) const {
  if (exec.exe.empty() || name == exec.name) return true;
  if (std::find(exec.former.begin(), exec.former.end(), name) != exec.former.end()) return false;
  const std::optional<std::string> exe = exeReader_(pid);
  return exe && *exe == exec.exe;
}

ProcessNames::Entry& ProcessNames::Place(int32_t pid, bool keep) {
  if (auto found = pids_.find(pid); keep && found != pids_.end()) return found->second;
  const uint64_t serial = nextSerial_++;
  Entry fresh;
  fresh.serial = serial;
  pids_[pid] = fresh;
  order_.emplace_back(pid, serial);
  while (order_.size() > limits_.maxPids) {
    const auto [oldest, placedAs] = order_.front();
    order_.pop_front();
    auto placed = pids_.find(oldest);
    if (placed == pids_.end() || placed->second.serial != placedAs) continue;
    pids_.erase(placed);
    version_.fetch_add(1, std::memory_order_release);
  }
  return pids_.at(pid);
}

void ProcessNames::Store(int32_t pid, const std::optional<std::string>& name,
                         Clock::time_point now) {
  std::lock_guard lock(mutex_);
  const uint32_t nameId = name ? Intern(*name) : kUnknown;  // may start the tables afresh
  Entry& entry = Place(pid, true);
  entry.readAt = now;
  if (name) entry.execNamed = false;
  if (name && entry.nameId != nameId) {
    entry.nameId = nameId;
    version_.fetch_add(1, std::memory_order_release);
  }
}

void ProcessNames::Exec(int32_t pid, const ProcessExec& exec, Clock::time_point now) {
  if (pid <= 0 || exec.fileName.empty()) return;
  if (IsProgramLoader(exec.fileName)) {
    std::lock_guard lock(mutex_);
    if (auto found = pids_.find(pid); found != pids_.end()) found->second.execOpen = false;
    return;
  }
  if (ContinuesExec(pid, exec)) return;
  std::lock_guard lock(mutex_);
  StartExec(pid, exec, now);
}

bool ProcessNames::ContinuesExec(int32_t pid, const ProcessExec& exec) {
  std::string opened;
  {
    std::lock_guard lock(mutex_);
    auto found = pids_.find(pid);
    if (found == pids_.end() || !found->second.execOpen) return false;
    opened = Text(found->second.openedId);
  }
  // The same record again: the readers of other folders see it too.
  if (!opened.empty() && opened == exec.exe) return true;
  // Where the file before is unknown, the old way: the file after is its interpreter.
  if (!opened.empty() && !IsInterpreterOf(startReader_(opened), exec.fileName, exec.exe)) {
    return false;
  }
  std::lock_guard lock(mutex_);
  const uint32_t openedId = exec.exe.empty() ? kUnknown : Intern(exec.exe);
  if (auto found = pids_.find(pid); found != pids_.end()) found->second.openedId = openedId;
  return true;
}

void ProcessNames::StartExec(int32_t pid, const ProcessExec& exec, Clock::time_point now) {
  MakeRoom(2);
  const uint32_t nameId = Intern(exec.fileName.substr(0, kCommandNameLength));
  const uint32_t exeId = exec.exe.empty() ? kUnknown : Intern(exec.exe);
  std::vector<uint32_t> former;
  if (auto found = pids_.find(pid); found != pids_.end()) {
    former = std::move(found->second.formerIds);
    if (found->second.nameId != kUnknown) former.insert(former.begin(), found->second.nameId);
    if (former.size() > kFormerNames) former.resize(kFormerNames);
  }
  Entry& entry = Place(pid, false);
  // Counts as a read: /proc may still show the name from before while the
  // exec is under way, and a change read with the record (the program file
  // read for the exec, inside the folder) would take that name.
  entry.readAt = now;
  entry.nameId = nameId;
  entry.exeId = exeId;
  entry.openedId = exeId;
  entry.formerIds = std::move(former);
  entry.uid = exec.uid;
  entry.execOpen = true;
  entry.execNamed = true;
  version_.fetch_add(1, std::memory_order_release);
}

void ProcessNames::Learn(const ProcessFacts& facts, Clock::time_point now) {
  if (facts.pid <= 0) return;
  std::lock_guard lock(mutex_);
  MakeRoom(2);
  Entry& entry = Place(facts.pid, true);
  entry.readAt = now;
  if (!facts.exe.empty()) entry.exeId = Intern(facts.exe);
  if (facts.uid) entry.uid = facts.uid;
  if (facts.name.empty()) return;
  const uint32_t nameId = Intern(facts.name);
  if (entry.nameId == nameId) return;
  entry.nameId = nameId;
  version_.fetch_add(1, std::memory_order_release);
}

void ProcessNames::MakeRoom(size_t count) {
  if (names_.size() + count <= limits_.maxNames) return;
  // Ids never leave this class, so starting afresh loses only the cache:
  // each pid is read again at its next change.
  pids_.clear();
  order_.clear();
  version_.fetch_add(1, std::memory_order_release);
  names_.clear();
  nameIds_.clear();
}

uint32_t ProcessNames::Intern(const std::string& name) {
  if (!nameIds_.contains(name)) MakeRoom(1);
  auto [it, inserted] = nameIds_.try_emplace(name, static_cast<uint32_t>(names_.size()));
  if (inserted) names_.push_back(name);
  return it->second;
}

bool ProcessNames::Named(int32_t pid) const {
  std::lock_guard lock(mutex_);
  const auto found = pids_.find(pid);
  return found != pids_.end() && found->second.nameId != kUnknown;
}

std::string ProcessNames::Name(int32_t pid) const {
  std::lock_guard lock(mutex_);
  auto found = pids_.find(pid);
  return found == pids_.end() ? std::string() : Text(found->second.nameId);
}

ProcessFacts ProcessNames::Facts(int32_t pid) const {
  std::lock_guard lock(mutex_);
  auto found = pids_.find(pid);
  if (found == pids_.end()) return {pid, {}, {}, std::nullopt};
  const Entry& entry = found->second;
  return {pid, Text(entry.nameId), Text(entry.exeId), entry.uid};
}

size_t ProcessNames::PidCount() const {
  std::lock_guard lock(mutex_);
  return pids_.size();
}

size_t ProcessNames::NameCount() const {
  std::lock_guard lock(mutex_);
  return names_.size();
}

}  // namespace tavrek::engine
