#include "core/engine/process/process_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>

namespace tavrek::engine {
namespace {

// TASK_COMM_LEN is 16 with the closing zero; room for the line end and more.
constexpr size_t kCommBufferSize = 64;

}  // namespace

ProcessNames::ProcessNames(NameReader reader, Limits limits)
    : reader_(std::move(reader)), limits_(limits) {}

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

bool ProcessNames::IsFresh(int32_t pid, Clock::time_point now) const {
  std::lock_guard lock(mutex_);
  auto found = pids_.find(pid);
  return found != pids_.end() && now - found->second.readAt < limits_.refresh;
}

void ProcessNames::Note(int32_t pid, Clock::time_point now) {
  if (pid <= 0 || IsFresh(pid, now)) return;
  // Read without the lock: the session's look-ups never wait for /proc.
  Store(pid, reader_(pid), now);
}

void ProcessNames::Store(int32_t pid, const std::optional<std::string>& name,
                         Clock::time_point now) {
  std::lock_guard lock(mutex_);
  const uint32_t nameId = name ? Intern(*name) : kUnknown;  // may start the tables afresh
  auto [entry, inserted] = pids_.try_emplace(pid);
  entry->second.readAt = now;
  if (name && entry->second.nameId != nameId) {
    entry->second.nameId = nameId;
    version_.fetch_add(1, std::memory_order_release);
  }
  if (!inserted) return;
  order_.push_back(pid);
  while (pids_.size() > limits_.maxPids && order_.front() != pid) {
    pids_.erase(order_.front());
    order_.pop_front();
    version_.fetch_add(1, std::memory_order_release);
  }
}

uint32_t ProcessNames::Intern(const std::string& name) {
  if (names_.size() >= limits_.maxNames && !nameIds_.contains(name)) {
    // Name ids never leave this class, so starting afresh loses only the
    // cache: each pid is read again at its next change.
    pids_.clear();
    order_.clear();
    version_.fetch_add(1, std::memory_order_release);
    names_.clear();
    nameIds_.clear();
  }
  auto [it, inserted] = nameIds_.try_emplace(name, static_cast<uint32_t>(names_.size()));
  if (inserted) names_.push_back(name);
  return it->second;
}

std::string ProcessNames::Name(int32_t pid) const {
  std::lock_guard lock(mutex_);
  auto found = pids_.find(pid);
  if (found == pids_.end() || found->second.nameId == kUnknown) return {};
  return names_[found->second.nameId];
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
