#include "core/engine/source/folder_source.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <optional>
#include <utility>
#include <system_error>
#include <thread>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/backend/kernel_limits.h"
#include "core/engine/folder_set.h"
#include "core/engine/source/kind_classifier.h"
#include "core/engine/source/read_pacer.h"
#include "core/engine/source/status_notes.h"
#include "core/engine/watcher_decoder.h"
#include "core/platform/local_time.h"

namespace tavrek::engine {
namespace {

// How long an unpaired rename half may wait for its partner before it counts
// as a move out of the tree. The kernel queues both halves together, so a
// partner that is coming at all is there at once.
constexpr int kPairingWaitMilliseconds = 5;
constexpr int kWaitForever = -1;
// A read of at most this many changes is a lone change or two: the rows that
// need no status from the disk go out before the reads.
constexpr size_t kEarlyRowsLimit = 8;

class ThreadedFolderSource final : public FolderSource {
 public:
  ThreadedFolderSource(FolderSourceSettings settings, std::shared_ptr<EventQueue> queue)
      : settings_(std::move(settings)),
        queue_(std::move(queue)),
        backend_(settings_.backend),
        decoder_(settings_.kinds) {}

  ~ThreadedFolderSource() override {
    RequestStop();
    if (thread_.joinable()) thread_.join();
    if (stopFd_ >= 0) close(stopFd_);
  }

  void Launch();
  void RequestStop() override;
  bool Finished() const override { return finished_.load(); }
  BackendType backend() const override { return backend_.load(); }
  bool Ready() const override { return ready_.load(); }
  FolderCoverage coverage() const override {
    std::lock_guard lock(coverageMutex_);
    return coverage_;
  }

 private:
  // What the thread reuses from one read to the next.
  struct Buffers {
    std::vector<RawChange> raw;
  };

  void Run();
  std::unique_ptr<Backend> MakeBackend();
  // A folder the kernel grants no instance of its own is polled, and the
  // limit in the way is said once.
  bool PollInstead(std::unique_ptr<Backend>& backend, const BackendSettings& settings);
  void Loop(Backend& backend);
  // Waits for input; false when a stop was asked for meanwhile. Lets a busy
  // queue fill before it returns (see ReadPacer).
  bool WaitForInput(Backend& backend, std::vector<pollfd>& fds, int timeout,
                    DrainSummary drained, int& ready);
  // Sleeps for `pause` unless a stop comes first (false), or `waker` (when
  // given) tells of a record that may be the folder's own.
  bool PauseUnlessStopped(ReadPacer::Duration pause, Backend* waker = nullptr);
  // A pause for other folders' records that the backend can end early.
  bool PauseForOthers(Backend& backend);
  bool Publish(const DrainResult& result, KindClassifier& classifier, Buffers& buffers);
  // Classifies the raw changes [begin, end) into the batch's events; returns
  // how many of them gave any. With `earlyRows`, a short read pushes the rows
  // it has before its first status read, and `batch` goes on with the rest.
  uint32_t Decode(KindClassifier& classifier, Buffers& buffers, size_t begin, size_t end,
                  EventBatch& batch, bool earlyRows = false);
  // Pushes the rows of `batch` so far; `batch` goes on empty, with its time.
  bool PushEarlyRows(EventBatch& batch);
  bool PushUnlessEmpty(EventBatch batch);
  // Pushes the rows of what the classifier put off until the burst's rows
  // were out, as a batch of their own.
  bool PushPutOff(KindClassifier& classifier);
  void PublishEnd();
  // Takes what a drain told of how the folder is watched; true when it changed.
  bool UpdateCoverage(const DrainResult& result);
  bool PushUnlessStopped(EventBatch batch);
  void Finish() {
    ready_.store(true);
    finished_.store(true);
  }

  const FolderSourceSettings settings_;
  const std::shared_ptr<EventQueue> queue_;
  int stopFd_ = -1;
  std::mutex pushMutex_;  // makes "stopped" and "pushed" exclude each other
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> ready_{false};
  std::atomic<bool> finished_{false};
  std::atomic<BackendType> backend_;
  mutable std::mutex coverageMutex_;
  FolderCoverage coverage_;
  std::optional<StatusNote> limitNote_;  // used by the thread only
  WatcherDecoder decoder_;  // used by the thread only
  ReadPacer pacer_;         // likewise
  bool ownWake_ = false;    // likewise: the last pause ended for the folder's record
  std::thread thread_;
};

void ThreadedFolderSource::Launch() {
  RaiseDescriptorLimit();
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: the watch ends before it began, as for an unwatchable folder.
    PublishEnd();
    Finish();
  }
}

void ThreadedFolderSource::RequestStop() {
  {
    std::lock_guard lock(pushMutex_);
    stopRequested_.store(true);
  }
  if (stopFd_ >= 0) {
    const uint64_t one = 1;
    // A full counter still wakes the thread; nothing else can go wrong here.
    [[maybe_unused]] ssize_t written = write(stopFd_, &one, sizeof one);
  }
}

void ThreadedFolderSource::Run() {
  {
    std::unique_ptr<Backend> backend = stopFd_ >= 0 ? MakeBackend() : nullptr;
    BackendSettings backendSettings{settings_.folder, settings_.subtree,
                                    settings_.kinds[kKindAccess], &stopRequested_,
                                    settings_.pollInterval};
    std::string error;
    bool started = backend && backend->Start(backendSettings, error);
    if (!started && backend && !backend->limitReached().empty()) {
      started = PollInstead(backend, backendSettings);
    }
    if (started) {
      ready_.store(true);
      Loop(*backend);
    } else {
      PublishEnd();
    }
  }
  Finish();
}

std::unique_ptr<Backend> ThreadedFolderSource::MakeBackend() {
  BackendType type = ResolveBackend(settings_.backend, settings_.folder);
  std::unique_ptr<Backend> backend;
  if (type == BackendType::Fanotify) backend = MakeFanotifyBackend();
  if (type == BackendType::Capture) {
    if (auto helper = FindCaptureHelper()) backend = MakeCaptureBackend(std::move(*helper));
  }
  if (type == BackendType::Poll) backend = MakePollBackend();
  if (!backend) {
    type = BackendType::Inotify;
    backend = MakeInotifyBackend();
  }
  backend_.store(type);
  return backend;
}

bool ThreadedFolderSource::PollInstead(std::unique_ptr<Backend>& backend,
                                       const BackendSettings& settings) {
  limitNote_ =
      InstanceLimitNote(backend->limitReached(), std::string(FolderName(settings_.folder)));
  backend = MakePollBackend();
  backend_.store(BackendType::Poll);
  std::string error;
  return backend->Start(settings, error);
}

void ThreadedFolderSource::Loop(Backend& backend) {
  std::vector<pollfd> fds;
  for (int fd : backend.PollFds()) fds.push_back({fd, POLLIN, 0});
  fds.push_back({stopFd_, POLLIN, 0});
  KindClassifier classifier(settings_.kinds);
  Buffers buffers;
  // What happened while the watches were set up comes first.
  DrainResult result = backend.Drain(buffers.raw);
  for (;;) {
    if (!Publish(result, classifier, buffers)) return;
    if (!result.ended && !backend.AfterPublish()) result.ended = true;
    if (result.ended) {
      PublishEnd();
      return;
    }
    const int timeout = result.pendingPairs ? kPairingWaitMilliseconds : kWaitForever;
    int ready = 0;
    if (!WaitForInput(backend, fds, timeout, {result.bytesRead, result.elsewhereOnly}, ready)) {
      return;
    }
    result = DrainResult{};
    if (ready < 0) {
      result.ended = errno != EINTR;
    } else if (ready == 0) {
      backend.FlushPendingPairs(buffers.raw);
    } else {
      result = backend.Drain(buffers.raw);
    }
  }
}

bool ThreadedFolderSource::WaitForInput(Backend& backend, std::vector<pollfd>& fds, int timeout,
                                        DrainSummary drained, int& ready) {
  const auto waitStart = std::chrono::steady_clock::now();
  ready = poll(fds.data(), fds.size(), timeout);
  if (stopRequested_.load()) return false;
  if (ready <= 0) return true;
  const auto waited = std::chrono::steady_clock::now() - waitStart;
  const auto pause = pacer_.PauseBeforeRead(waited, drained);
  if (pause.count() == 0) return true;
  if (pacer_.PausedForOthers() && backend.PauseWakeFd() >= 0) {
    pacer_.OthersPausesWakeable();
    return PauseForOthers(backend);
  }
  return PauseUnlessStopped(pause);
}

bool ThreadedFolderSource::PauseForOthers(Backend& backend) {
  // What woke it before the pause may have come with the records just read;
  // one such read unpaused costs less than a change of the folder held back.
  // After a pause the folder's record ended, the next read is not paused
  // either: the kernel may have queued the wake-up a moment before the record
  // itself, which the read after that pause then missed.
  if (std::exchange(ownWake_, false) || backend.TakePauseWake()) return true;
  return PauseUnlessStopped(ReadPacer::kWakeablePause, &backend);
}

bool ThreadedFolderSource::PauseUnlessStopped(ReadPacer::Duration pause, Backend* waker) {
  const int wakeFd = waker != nullptr ? waker->PauseWakeFd() : -1;
  std::array<pollfd, 2> fds{pollfd{stopFd_, POLLIN, 0}, pollfd{wakeFd, POLLIN, 0}};
  const nfds_t count = wakeFd >= 0 ? 2 : 1;
  const auto until = std::chrono::steady_clock::now() + pause;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const auto seconds = std::chrono::floor<std::chrono::seconds>(left);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
    const int ready = ppoll(fds.data(), count, &wait, nullptr);
    if (stopRequested_.load()) return false;
    if (ready > 0 && (fds[1].revents & POLLIN) != 0 && waker->TakePauseWake()) {
      ownWake_ = true;
      break;
    }
  }
  return true;
}

bool ThreadedFolderSource::Publish(const DrainResult& result, KindClassifier& classifier,
                                   Buffers& buffers) {
  const size_t rescanBegin =
      result.rescanned ? std::min(result.rescanBegin, buffers.raw.size()) : buffers.raw.size();
  EventBatch batch;
  if (limitNote_) batch.notesBefore.push_back(*std::exchange(limitNote_, std::nullopt));
  batch.overflows = result.overflows;
  batch.watchLimitReached = result.watchLimitReached;
  if (result.watchLimitReached || result.overflows > 0) batch.folder = FolderName(settings_.folder);
  if (result.deniedDirectories > 0) {
    batch.notesBefore.push_back(NoAccessNote(result.deniedDirectories, result.firstDenied));
  }
  if (UpdateCoverage(result)) {
    batch.coverageChanged = true;
    // Said in the log where polling is involved, so the interval in force is seen.
    const FolderCoverage now = coverage();
    if (now.polled()) {
      batch.notesBefore.push_back({CoverageText(now), std::string(FolderName(settings_.folder))});
    }
  }
  Decode(classifier, buffers, 0, rescanBegin, batch, true);
  bool pushed = PushUnlessEmpty(std::move(batch)) && PushPutOff(classifier);
  if (pushed && result.rescanned) {
    // What the rescan found, between a row before and a row after, all with
    // the time of the rescan's own batch.
    EventBatch rescan;
    const std::string folder(FolderName(settings_.folder));
    rescan.notesBefore.push_back(
        {std::string(kStatusRescanStart), folder, StatusKind::kRescanStart});
    const uint32_t found = Decode(classifier, buffers, rescanBegin, buffers.raw.size(), rescan);
    for (ChangeEvent& event : rescan.events) event.fromRescan = true;
    rescan.notesAfter.push_back(RescanDoneNote(found, folder));
    pushed = PushUnlessEmpty(std::move(rescan)) && PushPutOff(classifier);
  }
  buffers.raw.clear();
  // Open folders would keep their mount busy while the source waits.
  classifier.CloseFolders();
  return pushed;
}

bool ThreadedFolderSource::UpdateCoverage(const DrainResult& result) {
  std::lock_guard lock(coverageMutex_);
  const FolderCoverage before = coverage_;
  coverage_.backend = backend_.load();
  if (result.kernelFolders > 0) coverage_.kernelFolders = result.kernelFolders;
  if (result.pollInterval.count() > 0) {
    coverage_.pollInterval = result.pollInterval;
    coverage_.polledFolders = result.polledFolders;
  }
  return coverage_ != before;
}

uint32_t ThreadedFolderSource::Decode(KindClassifier& classifier, Buffers& buffers, size_t begin,
                                      size_t end, EventBatch& batch, bool earlyRows) {
  if (begin == end) return 0;
  uint32_t reported = 0;
  // A new name is seen by two watchers (name and creation): room for both.
  batch.events.reserve(2 * (end - begin));
  if (!batch.time) batch.time = platform::GetLocalTime();
  decoder_.BeginRead(*batch.time, batch.events);
  earlyRows = earlyRows && end - begin <= kEarlyRowsLimit;
  for (size_t index = begin; index < end; ++index) {
    const RawChange& change = buffers.raw[index];
    if (earlyRows && !batch.events.empty() && classifier.ReadsBeforeRows(change)) {
      earlyRows = false;
      if (!PushEarlyRows(batch)) break;
    }
    const size_t before = batch.events.size();
    if (earlyRows || index + 1 == end) {
      classifier.ClassifyPuttingOff(change, decoder_);
    } else {
      classifier.Classify(change, decoder_);
    }
    if (batch.events.size() != before) ++reported;
    if (!change.polled) continue;
    for (size_t event = before; event < batch.events.size(); ++event) {
      batch.events[event].fromRescan = kFoundByPolling;
    }
  }
  decoder_.EndRead();
  return reported;
}

bool ThreadedFolderSource::PushEarlyRows(EventBatch& batch) {
  EventBatch early = std::exchange(batch, EventBatch{});
  batch.time = early.time;
  batch.events.reserve(early.events.capacity());
  decoder_.ContinueReadInto(batch.events);
  return PushUnlessEmpty(std::move(early));
}

bool ThreadedFolderSource::PushPutOff(KindClassifier& classifier) {
  if (!classifier.HasPutOff()) return true;
  EventBatch late;
  late.time = platform::GetLocalTime();
  decoder_.BeginRead(*late.time, late.events);
  classifier.ReadPutOff(decoder_);
  decoder_.EndRead();
  return PushUnlessEmpty(std::move(late));
}

bool ThreadedFolderSource::PushUnlessEmpty(EventBatch batch) {
  if (batch.events.empty() && batch.overflows == 0 && !batch.watchLimitReached &&
      batch.notesBefore.empty() && batch.notesAfter.empty() && !batch.coverageChanged) {
    return true;
  }
  batch.generation = settings_.generation;
  if (!batch.time) batch.time = platform::GetLocalTime();
  return PushUnlessStopped(std::move(batch));
}

void ThreadedFolderSource::PublishEnd() {
  EventBatch batch;
  batch.generation = settings_.generation;
  decoder_.AppendEndEvents(std::string(FolderName(settings_.folder)), platform::GetLocalTime(),
                          batch.events);
  PushUnlessStopped(std::move(batch));
}

bool ThreadedFolderSource::PushUnlessStopped(EventBatch batch) {
  std::lock_guard lock(pushMutex_);
  if (stopRequested_.load()) return false;
  queue_->Push(std::move(batch));
  return true;
}

}  // namespace

std::unique_ptr<FolderSource> FolderSource::Start(FolderSourceSettings settings,
                                                  std::shared_ptr<EventQueue> queue) {
  auto source = std::make_unique<ThreadedFolderSource>(std::move(settings), std::move(queue));
  source->Launch();
  return source;
}

}  // namespace tavrek::engine
