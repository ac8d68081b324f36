#include "core/engine/backend/capture/capture_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/engine/backend/capture/capture_stream.h"
#include "core/engine/backend/kernel_limits.h"
#include "core/engine/backend/per_file_system.h"
#include "core/engine/process/process_names.h"

extern char** environ;

namespace tavrek::engine {

const char* const kCaptureHelperHint =
    "fanotify needs root or the capture helper: run scripts/install-helper.sh as root "
    "(or install the package) and join the group tavrek";

namespace {

constexpr size_t kReadSize = 64 * 1024;
constexpr int kStartPollMs = 50;  // how often a slow start looks for a cancel
// A helper sets its marks in milliseconds; one that has not answered by then
// (hung, or not a helper at all) is taken as not serving, rather than leaving
// the start that asked waiting for ever.
constexpr std::chrono::seconds kProbeAnswerLimit{5};
using StartClock = std::chrono::steady_clock;

class CaptureBackend final : public Backend {
 public:
  // Without a limit, a start waits until it is cancelled.
  explicit CaptureBackend(std::string helper,
                          std::optional<StartClock::duration> startLimit = std::nullopt)
      : helper_(std::move(helper)), startLimit_(startLimit) {}
  ~CaptureBackend() override { EndHelper(); }
  bool Start(const BackendSettings& settings, std::string& error) override;
  std::vector<int> PollFds() const override { return {output_}; }
  DrainResult Drain(std::vector<RawChange>& out) override;
  // The helper pairs renames itself.
  void FlushPendingPairs(std::vector<RawChange>&) override {}
  std::string_view limitReached() const override { return limitReached_; }

 private:
  bool Spawn(const BackendSettings& settings, std::string& error);
  bool AwaitStart(const std::atomic<bool>* cancel, std::string& error);
  // Reads what the pipe holds; false at its end.
  bool ReadAvailable();
  void Take(CaptureBatch& batch, DrainResult& result, std::vector<RawChange>& out);
  void EndHelper();

  std::string helper_;
  std::optional<StartClock::duration> startLimit_;
  std::string_view limitReached_;
  pid_t pid_ = -1;
  int input_ = -1;   // the helper ends when this closes
  int output_ = -1;
  CaptureReader reader_;
};

bool CaptureBackend::Spawn(const BackendSettings& settings, std::string& error) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  std::vector<std::string> arguments{helper_};
  if (!settings.subtree) arguments.emplace_back("--no-subtree");
  if (settings.wantAccess) arguments.emplace_back("--access");
  arguments.push_back(settings.folder);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const int failed = posix_spawn(&pid_, helper_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
  if (failed != 0) {
    pid_ = -1;
    error = helper_ + ": " + std::strerror(failed);
    return false;
  }
  return true;
}

bool CaptureBackend::Start(const BackendSettings& settings, std::string& error) {
  if (!Spawn(settings, error)) {
    if (error.empty()) error = std::string("capture helper: ") + std::strerror(errno);
    return false;
  }
  return AwaitStart(settings.cancel, error);
}

bool CaptureBackend::AwaitStart(const std::atomic<bool>* cancel, std::string& error) {
  pollfd fd{output_, POLLIN, 0};
  std::optional<StartClock::time_point> deadline;
  if (startLimit_) deadline = StartClock::now() + *startLimit_;
  for (;;) {
    bool broken = false;
    if (auto frame = reader_.Next(broken)) {
      if (frame->type == CaptureFrameType::kStarted) break;
      error = "capture helper: " + frame->message;
      if (frame->message.find(kFanotifyGroupLimit) != std::string::npos) {
        limitReached_ = kFanotifyGroupLimit;
      }
      return false;
    }
    if (cancel && cancel->load()) return false;
    if (deadline && StartClock::now() > *deadline) {
      error = "capture helper: no answer";
      return false;
    }
    const int ready = poll(&fd, 1, kStartPollMs);
    if (broken || (ready > 0 && !ReadAvailable())) {
      error = "capture helper: ended before the watch was set up";
      return false;
    }
  }
  fcntl(output_, F_SETFL, fcntl(output_, F_GETFL) | O_NONBLOCK);
  return true;
}

bool CaptureBackend::ReadAvailable() {
  std::array<char, kReadSize> buffer;
  const ssize_t length = read(output_, buffer.data(), buffer.size());
  if (length > 0) reader_.Add({buffer.data(), static_cast<size_t>(length)});
  return length > 0 || (length < 0 && (errno == EAGAIN || errno == EINTR));
}

void CaptureBackend::Take(CaptureBatch& batch, DrainResult& result,
                          std::vector<RawChange>& out) {
  if (batch.result.rescanned && !result.rescanned) {
    result.rescanned = true;
    result.rescanBegin = out.size() + batch.result.rescanBegin;
  }
  result.ended |= batch.result.ended;
  result.overflows += batch.result.overflows;
  result.watchLimitReached |= batch.result.watchLimitReached;
  if (result.deniedDirectories == 0) result.firstDenied = batch.result.firstDenied;
  result.deniedDirectories += batch.result.deniedDirectories;
  for (CaptureChange& item : batch.changes) {
    // Read by the helper while the process lived: it may be gone by now.
    if (!item.processName.empty()) {
      ProcessNames::Shared().Remember(item.change.pid, item.processName);
    }
    out.push_back(std::move(item.change));
  }
}

DrainResult CaptureBackend::Drain(std::vector<RawChange>& out) {
  DrainResult result;
  const bool open = ReadAvailable();
  bool broken = false;
  while (auto frame = reader_.Next(broken)) {
    if (frame->type == CaptureFrameType::kBatch) Take(frame->batch, result, out);
    // Learned by the helper while the processes lived: programs, users.
    for (const ProcessFacts& facts : frame->processes) ProcessNames::Shared().Learn(facts);
  }
  if (!open || broken) result.ended = true;
  return result;
}

void CaptureBackend::EndHelper() {
  if (input_ >= 0) close(input_);
  if (output_ >= 0) close(output_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

}  // namespace

std::optional<std::string> FindCaptureHelper() {
  if (const char* chosen = std::getenv(kCaptureHelperVariable); chosen && *chosen) {
    if (access(chosen, X_OK) == 0) return std::string(chosen);
    return std::nullopt;
  }
  for (const char* path : kCaptureHelperPaths) {
    if (access(path, X_OK) == 0) return std::string(path);
  }
  return std::nullopt;
}

bool CaptureHelperServes(const std::string& folder) {
  static PerFileSystemAnswer serves([](const std::string& probed) -> std::optional<bool> {
    const auto helper = FindCaptureHelper();
    if (!helper) return false;
    CaptureBackend probe(*helper, kProbeAnswerLimit);
    std::string error;
    if (probe.Start({probed, false, false}, error)) return true;
    // A user at the limit of fanotify groups says nothing about the file system.
    if (!probe.limitReached().empty()) return std::nullopt;
    return false;
  });
  return serves.For(folder);
}

std::unique_ptr<Backend> MakeCaptureBackend(std::string helper) {
  return std::make_unique<CaptureBackend>(std::move(helper));
}

}  // namespace tavrek::engine
