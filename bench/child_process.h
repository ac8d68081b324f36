#pragma once
// A watcher command run as a child with its standard output and error on
// pipes, for the harnesses that time what a watcher prints. Header-only: each
// harness is one program.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace tavrek::bench {

using Clock = std::chrono::steady_clock;

enum class Stream { kOut, kErr };

class ChildProcess {
 public:
  using LineHandler = std::function<void(Stream, std::string_view line, Clock::time_point)>;

  // Starts `argv` (looked up in PATH) with both output streams on pipes and
  // standard input on /dev/null. Null with `error` set when it cannot start.
  static std::unique_ptr<ChildProcess> Spawn(const std::vector<std::string>& argv,
                                             std::string& error);

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  pid_t pid() const { return pid_; }

  // Waits at most until `deadline` for output and hands each complete line
  // that arrived to `onLine` with the time it was read. False once both pipes
  // are closed.
  bool ReadLines(Clock::time_point deadline, const LineHandler& onLine);

  // SIGTERM, then reads until both pipes close (bounded; SIGKILL past the
  // bound) and reaps the child. Returns its wait status, -1 if already stopped.
  int Stop();

 private:
  static constexpr size_t kReadSize = 64 * 1024;
  static constexpr auto kStopBound = std::chrono::seconds(60);

  struct Pipe {
    int fd = -1;
    std::string pending;  // bytes after the last complete line
  };

  ChildProcess(pid_t pid, int outFd, int errFd) : pid_(pid) {
    pipes_[0].fd = outFd;
    pipes_[1].fd = errFd;
  }
  void ReadPipe(size_t index, Clock::time_point now, const LineHandler& onLine);
  void ClosePipe(size_t index) {
    close(pipes_[index].fd);
    pipes_[index].fd = -1;
  }

  pid_t pid_ = -1;
  std::array<Pipe, 2> pipes_;
};

inline std::unique_ptr<ChildProcess> ChildProcess::Spawn(const std::vector<std::string>& argv,
                                                         std::string& error) {
  std::array<int, 2> out{-1, -1};
  std::array<int, 2> err{-1, -1};
  if (pipe2(out.data(), O_CLOEXEC) != 0 || pipe2(err.data(), O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    for (int fd : {out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) close(fd);
    }
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int result = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (result != 0) {
    error = argv[0] + ": " + std::strerror(result);
    close(out[0]);
    close(err[0]);
    return nullptr;
  }
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid, out[0], err[0]));
}

inline bool ChildProcess::ReadLines(Clock::time_point deadline, const LineHandler& onLine) {
  std::array<pollfd, 2> fds{{{pipes_[0].fd, POLLIN, 0}, {pipes_[1].fd, POLLIN, 0}}};
  if (fds[0].fd < 0 && fds[1].fd < 0) return false;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  const int timeout = static_cast<int>(std::max<int64_t>(0, left.count()));
  if (poll(fds.data(), fds.size(), timeout) <= 0) return true;  // timed out or interrupted
  const Clock::time_point now = Clock::now();
  for (size_t i = 0; i < fds.size(); ++i) {
    if (fds[i].revents != 0) ReadPipe(i, now, onLine);
  }
  return pipes_[0].fd >= 0 || pipes_[1].fd >= 0;
}

inline void ChildProcess::ReadPipe(size_t index, Clock::time_point now,
                                   const LineHandler& onLine) {
  Pipe& pipe = pipes_[index];
  std::array<char, kReadSize> buffer;
  const ssize_t got = read(pipe.fd, buffer.data(), buffer.size());
  if (got <= 0) {
    if (got == 0 || errno != EINTR) ClosePipe(index);
    return;
  }
  pipe.pending.append(buffer.data(), static_cast<size_t>(got));
  const Stream stream = index == 0 ? Stream::kOut : Stream::kErr;
  size_t start = 0;
  for (size_t end; (end = pipe.pending.find('\n', start)) != std::string::npos; start = end + 1) {
    onLine(stream, std::string_view(pipe.pending).substr(start, end - start), now);
  }
  pipe.pending.erase(0, start);
}

inline int ChildProcess::Stop() {
  if (pid_ < 0) return -1;
  kill(pid_, SIGTERM);
  const Clock::time_point bound = Clock::now() + kStopBound;
  const LineHandler ignore = [](Stream, std::string_view, Clock::time_point) {};
  while (Clock::now() < bound && ReadLines(bound, ignore)) {
  }
  if (Clock::now() >= bound) kill(pid_, SIGKILL);
  for (size_t i = 0; i < pipes_.size(); ++i) {
    if (pipes_[i].fd >= 0) ClosePipe(i);
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return status;
}

// The line that tells a watcher is ready: the first line on standard output,
// or the first on standard error that holds a text.
struct ReadyMarker {
  Stream stream = Stream::kOut;
  std::string text;  // empty: any line
};

// Reads the child's output until the marker line arrives; the instant it was
// read, or nothing when the child ended or `bound` passed first.
inline std::optional<Clock::time_point> WaitForMarker(ChildProcess& child,
                                                      const ReadyMarker& marker,
                                                      Clock::time_point bound) {
  std::optional<Clock::time_point> seen;
  const auto onLine = [&](Stream stream, std::string_view line, Clock::time_point at) {
    if (!seen && stream == marker.stream && line.find(marker.text) != std::string_view::npos) {
      seen = at;
    }
  };
  while (!seen && Clock::now() < bound && child.ReadLines(bound, onLine)) {
  }
  return seen;
}

// Milliseconds between two instants.
inline double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

// The start of /proc/PID/FILE as text; empty when unreadable.
inline std::string ReadProcText(pid_t pid, const char* file) {
  const std::string path = "/proc/" + std::to_string(pid) + "/" + file;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::array<char, 4096> text{};
  const ssize_t got = read(fd, text.data(), text.size() - 1);
  close(fd);
  return got > 0 ? std::string(text.data(), static_cast<size_t>(got)) : std::string();
}

// The process's resident memory in KiB from /proc (0 when unreadable).
inline long ResidentKib(pid_t pid) {
  const std::string text = ReadProcText(pid, "status");
  const char* field = std::strstr(text.c_str(), "VmRSS:");
  return field ? std::strtol(field + std::strlen("VmRSS:"), nullptr, 10) : 0;
}

// CPU time the process has used so far (user and system), in milliseconds from
// /proc; 0 when unreadable.
inline double CpuMilliseconds(pid_t pid) {
  const std::string text = ReadProcText(pid, "stat");
  // The command name may hold spaces and parentheses: fields count from its end.
  const char* field = std::strrchr(text.c_str(), ')');
  if (field == nullptr) return 0;
  constexpr int kUserTimeField = 14;  // then system time; "state" (3) follows the name
  for (int number = 2; number < kUserTimeField && field != nullptr; ++number) {
    field = std::strchr(field + 1, ' ');
  }
  if (field == nullptr) return 0;
  char* end = nullptr;
  const long user = std::strtol(field, &end, 10);
  const long system = std::strtol(end, nullptr, 10);
  return 1000.0 * static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace tavrek::bench
