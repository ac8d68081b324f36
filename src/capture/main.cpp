// tavrek-capture: watches one folder with fanotify for a program running as
// an ordinary user and streams what it sees on standard output (see
// capture_stream.h). It may hold file capabilities, so it reads nothing but
// its command line, drops CAP_SYS_ADMIN as soon as the marks are set and
// ends with its parent: when the parent ends or closes standard input.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <unordered_set>
#include <vector>

#include "capture/capture_arguments.h"
#include "capture/privileges.h"
#include "core/engine/backend/backend.h"
#include "core/engine/backend/capture/capture_stream.h"
#include "core/engine/process/process_names.h"

namespace {

using tavrek::engine::Backend;
using tavrek::engine::DrainResult;
using tavrek::engine::RawChange;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// A rename's halves are paired within this time, as a folder source does.
constexpr int kPairingWaitMilliseconds = 5;
constexpr int kWaitForever = -1;

// Writes all of `bytes`; false once the reader has gone.
bool WriteAll(std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t length = write(STDOUT_FILENO, bytes.data() + written, bytes.size() - written);
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) return false;
    written += static_cast<size_t>(length);
  }
  bytes.clear();
  return true;
}

bool SendBatch(const DrainResult& result, const std::vector<RawChange>& changes,
               std::string& out) {
  if (changes.empty() && !result.ended && result.overflows == 0 && !result.watchLimitReached &&
      result.deniedDirectories == 0) {
    return true;
  }
  const auto& known = tavrek::engine::ProcessNames::Shared();
  std::vector<std::string> names;
  names.reserve(changes.size());
  std::vector<tavrek::engine::ProcessFacts> processes;
  std::unordered_set<int32_t> told;
  for (const RawChange& change : changes) {
    names.push_back(known.Name(change.pid));
    if (change.pid > 0 && told.insert(change.pid).second) {
      processes.push_back(known.Facts(change.pid));
    }
  }
  // Before the batch: the reader knows each program by the time it adds rows.
  if (!processes.empty()) tavrek::engine::AppendProcessesFrame(out, processes);
  // The helper pairs renames itself: the reader never waits for a half.
  DrainResult sent = result;
  sent.pendingPairs = false;
  tavrek::engine::AppendBatchFrame(out, sent, changes, 0, names);
  return WriteAll(out);
}

// True when standard input has ended: the parent closed it or went away.
bool InputEnded(const pollfd& input) {
  if (input.revents & (POLLHUP | POLLERR | POLLNVAL)) return true;
  if (!(input.revents & POLLIN)) return false;
  char byte;
  return read(STDIN_FILENO, &byte, 1) <= 0;
}

int Stream(Backend& backend) {
  std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
  for (const int fd : backend.PollFds()) fds.push_back({fd, POLLIN, 0});
  std::vector<RawChange> changes;
  std::string out;
  DrainResult result = backend.Drain(changes);
  for (;;) {
    if (!SendBatch(result, changes, out) || result.ended) return kExitOk;
    changes.clear();
    const int ready = poll(fds.data(), fds.size(),
                           result.pendingPairs ? kPairingWaitMilliseconds : kWaitForever);
    if (ready < 0 && errno != EINTR) return kExitFailure;
    if (InputEnded(fds[0])) return kExitOk;
    result = DrainResult{};
    if (ready == 0) {
      backend.FlushPendingPairs(changes);
    } else if (ready > 0) {
      result = backend.Drain(changes);
    }
  }
}

int Fail(const std::string& message) {
  std::string out;
  tavrek::engine::AppendFailedFrame(out, message);
  WriteAll(out);
  return kExitFailure;
}

int Run(const std::vector<std::string>& arguments) {
  std::string error;
  const auto parsed = tavrek::capture::ParseCaptureArguments(arguments, error);
  if (!parsed) {
    std::fprintf(stderr, "tavrek-capture: %s\n%s", error.c_str(), tavrek::capture::kCaptureUsage);
    return kExitUsage;
  }
  if (!tavrek::capture::EndWithParent()) return kExitOk;
  auto backend = tavrek::engine::MakeFanotifyBackend();
  const tavrek::engine::BackendSettings settings{parsed->folder, parsed->subtree, parsed->access};
  if (!backend->Start(settings, error)) return Fail(error);
  if (!tavrek::capture::KeepOnlyHandleReading(error)) return Fail(error);
  std::string out;
  tavrek::engine::AppendStartedFrame(out);
  if (!WriteAll(out)) return kExitOk;
  return Stream(*backend);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing from the caller's environment may steer a privileged program.
  clearenv();
  signal(SIGPIPE, SIG_IGN);
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (...) {
    std::fputs("tavrek-capture: unexpected failure\n", stderr);
  }
  return kExitFailure;
}
