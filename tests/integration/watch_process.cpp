#include "watch_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace tavrek::testing {
namespace {

constexpr std::chrono::milliseconds kLimit = std::chrono::seconds(10);

}  // namespace

WatchProcess::WatchProcess(std::vector<std::string> arguments,
                           const std::vector<std::string>& wrapper, const std::string& folder) {
  int out[2], err[2];
  EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
  EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  arguments.insert(arguments.begin(), TAVREK_WATCH_BINARY);
  arguments.insert(arguments.begin(), wrapper.begin(), wrapper.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // The path search is for the wrapper; the program itself is named by its full path.
  EXPECT_EQ(posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
}

WatchProcess::~WatchProcess() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  close(out_);
  close(err_);
}

std::optional<std::string> WatchProcess::ReadLine() {
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  while (true) {
    if (size_t end = buffer_.find('\n'); end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      seen_ += line + "\n";
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!ReadMore(left)) return std::nullopt;
  }
}

std::optional<std::string> WatchProcess::ReadLineWith(const std::string& text) {
  while (auto line = ReadLine()) {
    if (line->find(text) != std::string::npos) return line;
  }
  return std::nullopt;
}

std::string WatchProcess::ReadRest() {
  while (ReadMore(kLimit)) {}
  std::string rest;
  rest.swap(buffer_);
  return rest;
}

std::string WatchProcess::ReadErrors() {
  std::string text;
  char chunk[4096];
  for (ssize_t got; (got = read(err_, chunk, sizeof chunk)) > 0;) {
    text.append(chunk, static_cast<size_t>(got));
  }
  return text;
}

void WatchProcess::Signal(int number) { kill(pid_, number); }

void WatchProcess::CloseOutput() {
  close(out_);
  out_ = -1;
}

int WatchProcess::Wait() {
  int status = 0;
  waitpid(pid_, &status, 0);
  exited_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WatchProcess::ReadMore(std::chrono::milliseconds wait) {
  pollfd fd{out_, POLLIN, 0};
  if (wait.count() <= 0 || poll(&fd, 1, static_cast<int>(wait.count())) <= 0) return false;
  char chunk[4096];
  const ssize_t got = read(out_, chunk, sizeof chunk);
  if (got <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(got));
  return true;
}

}  // namespace tavrek::testing
