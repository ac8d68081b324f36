// tavrek-watch: one watch session on the command line's folders, printing
// every change-log row as it is inserted.
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/check_paths.h"
#include "cli/command_line.h"
#include "cli/coverage_report.h"
#include "cli/export_at_stop.h"
#include "cli/folder_arguments.h"
#include "cli/row_printer.h"
#include "cli/setup_options.h"
#include "core/engine/watch_session.h"
#include "core/platform/visible_text.h"

namespace {

using tavrek::cli::CommandLine;
using tavrek::engine::WatchSession;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr size_t kOutputBufferSize = size_t{1} << 20;

void ApplyFilters(const CommandLine& line, WatchSession& session) {
  session.Apply(tavrek::cli::SetupWithoutFolders(line));
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "tavrek-watch: %s\n", message.c_str());
}

// Output that could not be written (a full disk, a device error) turns an
// exit code into a failure, said on standard error; a reader that went away
// (a closed pipe) is no failure and stays quiet.
int EndWithOutput(int code, int outputError) {
  if (outputError == 0 || outputError == EPIPE) return code;
  PrintError(std::string("cannot write the output: ") + std::strerror(outputError));
  return kExitFailure;
}

// Flushes standard output; the error of a write that failed, or 0.
int FlushedOutputError() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  return errno != 0 ? errno : EIO;
}

bool AnyFolderWatched(const WatchSession& session) {
  for (const auto& row : session.folderRows()) {
    if (!row.failed) return true;
  }
  return false;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

enum class LoopEnd { kStopped, kAllFoldersEnded };

// What a source thread read goes from that thread straight to the output:
// one wake-up instead of two, for a lone change and a burst alike. In a burst
// the source lets its queue fill while it prints, so it loses nothing by not
// going back to the kernel queue at once.
// The session and its printer, shared by the main thread and a source thread
// that hands a lone change on: whoever holds the mutex owns both.
class Console {
 public:
  explicit Console(int wakeFd) : wakeFd_(wakeFd) {}

  // Called on a source thread; declines when the main thread holds the
  // session, which then handles the events after its wake-up.
  bool Deliver() {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || session_ == nullptr) return false;
    HandOn();
    return true;
  }

  // Set before the first source starts, cleared after the last has stopped.
  void Attach(WatchSession* session, tavrek::cli::RowPrinter* printer) {
    session_ = session;
    printer_ = printer;
  }
  std::mutex& mutex() { return mutex_; }
  bool ready() const { return ready_; }
  void SetReady() {
    ready_ = true;
    printer_->Flush();
  }

  // With the mutex held: handles what waits and flushes when nothing else
  // does, so a burst costs one write while a reader through a pipe still
  // sees each single change at once.
  void HandOn() {
    session_->ProcessPending();
    if (ready_ && !session_->HasPendingEvents() && !printer_->Flush()) WakeMainThread();
  }

  // The main thread ends the watch; told at once when output failed here on
  // a source thread.
  void WakeMainThread() const {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
  }

 private:
  int wakeFd_;
  std::mutex mutex_;
  WatchSession* session_ = nullptr;
  tavrek::cli::RowPrinter* printer_ = nullptr;
  bool ready_ = false;  // nothing is flushed before every watch is set up
};

// True once every folder that was being watched has ended ("Abbruch": deleted,
// moved away, unmounted) and its last rows are handled.
bool AllFoldersEnded(const WatchSession& session) {
  const auto& watchers = session.watchers();
  const bool anyStarted = std::any_of(watchers.begin(), watchers.end(),
                                      [](const auto& watcher) { return watcher.started; });
  return anyStarted && session.RunningWatcherCount() == 0 && !session.HasPendingEvents();
}

// Checked with the console's mutex held.
std::optional<LoopEnd> CheckEnd(Console& console, WatchSession& session,
                                const tavrek::cli::RowPrinter& printer) {
  if (!console.ready() && session.SourcesReady()) console.SetReady();
  if (!printer.healthy()) return LoopEnd::kStopped;
  if (console.ready() && AllFoldersEnded(session)) return LoopEnd::kAllFoldersEnded;
  return std::nullopt;
}

// True when the reader of standard output went away (a pipe whose reading
// end closed, a terminal hung up); a descriptor that is no pipe or terminal
// (a file, none at all) is left out of later polls.
bool OutputReaderGone(pollfd& output) {
  if (output.revents & POLLNVAL) output.fd = -1;
  return (output.revents & (POLLERR | POLLHUP)) != 0;
}

// Waits for events or a stop signal; returns when a signal arrived, the
// output reader went away (at once, not only at the next change) or nothing
// is left to watch. Nothing is flushed before every folder's watch is set
// up, so a reader that acts on the start rows never acts too early.
LoopEnd RunLoop(Console& console, WatchSession& session, const tavrek::cli::RowPrinter& printer,
                int wakeFd, int signalFd) {
  constexpr int kReadyPollMs = 2;
  constexpr int kEndCheckMs = 1000;  // a source that ended may wake nobody
  // Standard output is polled for nothing but its errors and hang-ups.
  std::array<pollfd, 3> fds{{{wakeFd, POLLIN, 0}, {signalFd, POLLIN, 0}, {STDOUT_FILENO, 0, 0}}};
  tavrek::cli::CoverageReport coverage(stderr);
  for (;;) {
    {
      std::lock_guard lock(console.mutex());
      if (const auto end = CheckEnd(console, session, printer)) return *end;
      if (console.ready()) coverage.PrintChanges(session);
    }
    if (poll(fds.data(), fds.size(), console.ready() ? kEndCheckMs : kReadyPollMs) < 0) continue;
    if (fds[1].revents & POLLIN || OutputReaderGone(fds[2])) return LoopEnd::kStopped;
    if (!(fds[0].revents & POLLIN)) continue;
    uint64_t count;
    if (read(wakeFd, &count, sizeof count) < 0) continue;
    std::lock_guard lock(console.mutex());
    console.HandOn();
  }
}

tavrek::engine::SessionSettings ConsoleSettings(const CommandLine& line, Console& console) {
  tavrek::engine::SessionSettings settings;
  settings.backend = line.backend;
  settings.pollInterval = line.pollInterval;
  settings.wake = [&console] { console.WakeMainThread(); };
  settings.deliver = [&console](size_t /*events*/) { return console.Deliver(); };
  settings.openFiles = std::make_shared<tavrek::platform::OpenFilesMonitor>();
  // Each row is printed as it comes; only an export at the stop reads the log
  // later, so without one a long watch keeps neither log nor statistics.
  settings.keepLog = !line.exports.empty();
  settings.keepAccessStatistics = false;
  return settings;
}

// Output sent to a file inside a watched folder would report its own
// writes, and print them, for ever.
void LeaveOutOwnOutput(tavrek::cli::RowPrinter& printer) {
  struct stat output {};
  if (fstat(STDOUT_FILENO, &output) != 0 || !S_ISREG(output.st_mode)) return;
  std::array<char, PATH_MAX> target{};
  const ssize_t length = readlink("/proc/self/fd/1", target.data(), target.size() - 1);
  if (length <= 0) return;
  const std::string path(target.data(), static_cast<size_t>(length));
  printer.LeaveOutChangesOf(output, path.substr(path.rfind('/') + 1));
}

// Ctrl+C, kill, and the terminal closing (SIGHUP) all stop the watch the
// same way: stop rows, exports, exit code.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, number);
  return signals;
}

// After the stop: the exports, and the exit code of how the watch ended.
int Finish(LoopEnd end, const WatchSession& session, const CommandLine& line,
           tavrek::cli::RowPrinter& printer) {
  printer.Flush();
  const bool exported = tavrek::cli::ExportAtStop(session.log(), line.exports, stderr);
  int code = exported ? kExitOk : kExitFailure;
  if (end == LoopEnd::kAllFoldersEnded) {
    PrintError("every watched folder has ended; nothing is left to watch");
    code = kExitFailure;
  }
  return EndWithOutput(code, printer.outputError());
}

int Watch(const CommandLine& line) {
  std::string error;
  const auto folders = tavrek::cli::WatchedFolders(line.paths, error);
  const tavrek::engine::FolderChoices choices =
      folders ? tavrek::cli::ChoicesOfFolders(line.paths, *folders, line.folderChoices)
              : tavrek::engine::FolderChoices{};
  if (!folders || !tavrek::cli::ChosenBackendsUsable(line.backend, choices, *folders, error)) {
    PrintError(error);
    return kExitUsage;
  }
  const sigset_t stopSignals = StopSignals();
  // Blocked before any thread starts, so every thread inherits the mask and the
  // signals arrive only through the descriptor.
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  Descriptor signalFd(signalfd(-1, &stopSignals, SFD_CLOEXEC));
  Descriptor wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (signalFd.get() < 0 || wakeFd.get() < 0) {
    std::perror("tavrek-watch");
    return kExitFailure;
  }

  Console console(wakeFd.get());
  WatchSession session(ConsoleSettings(line, console));
  // A new session holds "/" as a window does; the console watches only what it
  // was given, so that default goes before anything is printed.
  session.StopAll(true);
  tavrek::cli::RowPrinter printer(session, stdout, stderr, line.format);
  LeaveOutOwnOutput(printer);
  session.SetObserver(&printer);
  session.SetOptions(line.options);
  ApplyFilters(line, session);
  session.SetFolderChoices(choices);  // --backend, when given, still wins for every folder

  {
    // Sources start here: from now on the session is shared.
    std::lock_guard lock(console.mutex());
    console.Attach(&session, &printer);
    session.StartFolders(*folders, true);
  }
  // The folder rows change on this thread only.
  if (!AnyFolderWatched(session)) {
    printer.Flush();
    PrintError("no folder can be watched");
    return kExitFailure;
  }
  const LoopEnd end = RunLoop(console, session, printer, wakeFd.get(), signalFd.get());
  {
    // Once stopped, no source pushes any more and the session is ours again.
    std::lock_guard lock(console.mutex());
    session.StopAll(false);
    session.SetObserver(nullptr);
    console.Attach(nullptr, nullptr);
  }
  return Finish(end, session, line, printer);
}

// A wrong command line is told with the usage; a right one that cannot be
// carried out (a setup document that cannot be read, an export target that
// cannot be written) by its reason alone.
std::optional<CommandLine> ParseOrSay(const std::vector<std::string>& arguments) {
  std::string error;
  if (!tavrek::cli::ParseCommandLine(arguments, error)) {
    std::fprintf(stderr, "tavrek-watch: %s\n%s%s", error.c_str(), tavrek::cli::kUsage,
                 tavrek::cli::kSetupUsage);
    return std::nullopt;
  }
  auto line = std::make_optional<CommandLine>();
  if (!tavrek::cli::ParseWithSetup(arguments, *line, error)) {
    PrintError(error);
    return std::nullopt;
  }
  return line;
}

int Run(const std::vector<std::string>& arguments) {
  const std::optional<CommandLine> line = ParseOrSay(arguments);
  if (!line) return kExitUsage;
  if (line->help) {
    std::fputs(tavrek::cli::kUsage, stdout);
    std::fputs(tavrek::cli::kSetupUsage, stdout);
    return EndWithOutput(kExitOk, FlushedOutputError());
  }
  if (!line->setup.showFile.empty()) {
    const int code = tavrek::cli::ShowSetup(line->setup.showFile, stdout, stderr);
    return EndWithOutput(code, FlushedOutputError());
  }
  if (!line->setup.saveFile.empty()) return tavrek::cli::SaveSetup(*line, stderr);
  static std::array<char, kOutputBufferSize> outputBuffer;
  std::setvbuf(stdout, outputBuffer.data(), _IOFBF, outputBuffer.size());
  if (!line->check) {
    // Refused now rather than found out when a long watch ends.
    if (const std::string problem = tavrek::cli::ExportTargetsProblem(line->exports);
        !problem.empty()) {
      PrintError(problem);
      return kExitUsage;
    }
    return Watch(*line);
  }
  const int code = tavrek::cli::CheckPaths(*line, stdout, stderr);
  return EndWithOutput(code, FlushedOutputError());
}

}  // namespace

// Nothing may end the program by an exception: every failure is a message
// and an exit code.
int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    PrintError(tavrek::platform::VisibleText(failure.what()));
  } catch (...) {
    PrintError("unexpected failure");
  }
  return kExitFailure;
}
