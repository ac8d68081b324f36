#include "core/platform/run_program.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace tavrek::platform {
namespace {

constexpr std::string_view kFallbackFolder = "/usr/bin";
constexpr size_t kReadChunk = 64 * 1024;

bool IsExecutableFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// Owns the spawn settings: stdout into the pipe, stdin and stderr on
// /dev/null, default signal handling and no blocked signals in the child.
class SpawnSetup {
 public:
  explicit SpawnSetup(int outputFd) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &pipeSignal);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments) const {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));  // posix_spawn does not write them
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions_, &attributes_, argv.data(), environ) != 0) {
      return -1;
    }
    return pid;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Reads until end of file; false on timeout, error or too much output.
bool ReadUntilEnd(int fd, std::chrono::milliseconds timeout, size_t maxOutput,
                  std::string& output) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::array<char, kReadChunk> chunk{};
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    output.append(chunk.data(), static_cast<size_t>(got));
    if (output.size() > maxOutput) return false;
  }
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string FindProgram(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  const char* path = getenv("PATH");
  std::string folders = path == nullptr ? std::string() : std::string(path);
  folders += ":" + std::string(kFallbackFolder);
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    // An empty or relative entry would run whatever lies in the current folder.
    if (!folder.empty() && folder.front() == '/') {
      const std::string candidate = folder + "/" + std::string(name);
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

std::optional<std::string> RunProgram(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      std::chrono::milliseconds timeout, size_t maxOutput) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t pid = SpawnSetup(pipeFds[1]).Spawn(program, arguments);
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    return std::nullopt;
  }
  std::string output;
  const bool complete = ReadUntilEnd(pipeFds[0], timeout, maxOutput, output);
  close(pipeFds[0]);
  if (!complete) kill(pid, SIGKILL);
  const int exitCode = WaitForExit(pid);
  if (!complete || exitCode != 0) return std::nullopt;
  return output;
}

}  // namespace tavrek::platform
