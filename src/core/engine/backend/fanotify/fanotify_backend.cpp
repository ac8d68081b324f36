// The fanotify backend: one group per watched folder with a mark on the
// folder's whole file system (no set-up per directory, so it scales to any
// tree) and an inode mark on the folder for its own end. Needs CAP_SYS_ADMIN.
#include <fcntl.h>
#include <sys/fanotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/fanotify/fanotify_abi.h"
#include "core/engine/backend/fanotify/fanotify_decoder.h"
#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/fanotify/fanotify_mount_watch.h"
#include "core/engine/backend/fanotify/fanotify_pause_signal.h"
#include "core/engine/backend/fanotify/fanotify_programs.h"
#include "core/engine/backend/fanotify/fanotify_quiet_marks.h"
#include "core/engine/backend/kernel_limits.h"
#include "core/engine/process/process_names.h"

namespace tavrek::engine {
namespace {

constexpr size_t kReadBufferSize = 64 * 1024;
// One pass over the queue reads at most this many buffers, and a drain makes at
// most 1 + kLookUpRounds passes, so a flood of events elsewhere on the file
// system cannot hold the thread in one drain; poll reports the rest.
constexpr int kMaxReadsPerDrain = 16;
// How often a drain asks the kernel where directories are and reads again.
constexpr int kLookUpRounds = 4;

std::optional<std::string> RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

std::string Slashed(const std::string& path) { return path == "/" ? path : path + "/"; }

// The process behind a change may end at any moment: its name is read as soon
// as its change is decoded, in the drain that read it. Only changes in the
// folder count: the mark sees the whole file system, and a process caught
// elsewhere in the middle of exec (opening its program) would keep the name
// it had before for the cache's lifetime. A burst comes from one process, so
// runs of one pid are noted once. A pid named before has a name for its rows
// already: it is read again (when due) only after they are out, in `later`.
void NoteProcesses(const std::vector<RawChange>& changes, size_t first,
                   std::vector<int32_t>& later) {
  ProcessNames& names = ProcessNames::Shared();
  int32_t previous = 0;
  for (size_t index = first; index < changes.size(); ++index) {
    if (changes[index].pid == previous) continue;
    previous = changes[index].pid;
    if (names.Named(previous)) {
      later.push_back(previous);
    } else {
      names.Note(previous);
    }
  }
}

class FanotifyBackend final : public Backend {
 public:
  bool Start(const BackendSettings& settings, std::string& error) override;
  std::vector<int> PollFds() const override;
  DrainResult Drain(std::vector<RawChange>& out) override;
  // A rename arrives as one event with both names; what waits are records of
  // directories that could not be found (see the decoder).
  void FlushPendingPairs(std::vector<RawChange>& out) override {
    if (!decoder_) return;
    const size_t first = out.size();
    decoder_->FlushHeld(out);
    quiet_->DropEchoes(out, first);
    if (decoder_->TakeArrival()) quiet_->LiftAll(out);
    NoteProcesses(out, first, namesDue_);
    opener_->Release();
  }
  bool AfterPublish() override;
  std::string_view limitReached() const override { return limitReached_; }
  int PauseWakeFd() override;
  bool TakePauseWake() override {
    return pauseSignal_.fd() >= 0 && pauseSignal_.Take(buffer_, decoder_->cache(), top_);
  }

 private:
  bool FindFolder(const std::string& folder, std::string& error);
  bool OpenGroup(bool wantAccess, std::string& error);
  // Sets `emptied_` when the queue was read to its end.
  bool ReadRecords(std::vector<FanotifyRecord>& records, size_t& bytesRead);
  bool FolderStillThere() const { return IdentifyFolder(realFolder_) == identity_; }
  // Directories in the folder whose path could not be told: changes in them
  // are lost, which a status row with the folder says.
  void TellUnnamed(DrainResult& result) {
    const uint32_t unnamed = opener_->TakeUnnamed();
    if (unnamed == 0) return;
    if (result.deniedDirectories == 0) result.firstDenied = realFolder_;
    result.deniedDirectories += unnamed;
  }

  std::string realFolder_;
  std::string top_;  // realFolder_ ending in "/"
  std::string_view limitReached_;
  FanotifyFolderIdentity identity_;
  FanotifyScopedFd group_;
  FanotifyMountWatch mounts_;
  std::unique_ptr<FanotifyHandleOpener> opener_;
  std::unique_ptr<FanotifyDecoder> decoder_;
  std::unique_ptr<FanotifyQuietMarks> quiet_;
  FanotifyPrograms programs_;
  FanotifyPauseSignal pauseSignal_;
  bool pauseSignalTried_ = false;
  std::vector<std::byte> buffer_;
  bool emptied_ = false;
  std::vector<int32_t> namesDue_;  // pids whose names are read again after the rows
  // Kept from drain to drain: growing it afresh each time costs more than decoding.
  std::vector<FanotifyRecord> records_;
};

bool FanotifyBackend::Start(const BackendSettings& settings, std::string& error) {
  if (decoder_) {
    error = "fanotify: already started";
    return false;
  }
  if (!FindFolder(settings.folder, error) || !OpenGroup(settings.wantAccess, error) ||
      !mounts_.Open(error)) {
    return false;
  }
  if (!FolderStillThere()) {  // swapped while the marks were set
    error = settings.folder + ": changed while the watch was set up";
    return false;
  }
  opener_ = std::make_unique<FanotifyHandleOpener>(MountRootOf(realFolder_, identity_.mountId));
  opener_->CountUnnamedBelow(realFolder_);
  top_ = Slashed(realFolder_);
  FanotifyFolder folder{settings.folder, top_, identity_.key, settings.subtree};
  decoder_ = std::make_unique<FanotifyDecoder>(
      std::move(folder),
      [opener = opener_.get()](const FanotifyFileKey& key) { return opener->DirectoryPath(key); },
      [opener = opener_.get()](const FanotifyEntry& entry) {
        return ProbeEntry(opener->OpenDirectory(entry.directory).get(), entry.name);
      },
      [opener = opener_.get()](const FanotifyFileKey& key) { return opener->ParentEntry(key); });
  decoder_->OnExec(FilesystemId(realFolder_).value_or(0),
                   [this](const FanotifyRecord& record, const std::string& path) {
                     programs_.Started(record, path);
                   });
  quiet_ = std::make_unique<FanotifyQuietMarks>(
      group_.get(), *opener_,
      [decoder = decoder_.get()](const std::string& path) { return decoder->ShownPath(path); });
  buffer_.resize(kReadBufferSize);
  return true;
}

bool FanotifyBackend::FindFolder(const std::string& folder, std::string& error) {
  std::optional<std::string> real = RealPath(folder);
  struct stat status {};
  if (!real || stat(real->c_str(), &status) != 0) {
    error = SystemError(folder);
    return false;
  }
  if (!S_ISDIR(status.st_mode)) {
    errno = ENOTDIR;
    error = SystemError(folder);
    return false;
  }
  std::optional<FanotifyFolderIdentity> identity = IdentifyFolder(*real);
  if (!identity) {
    error = SystemError("name_to_handle_at " + folder);
    return false;
  }
  realFolder_ = std::move(*real);
  identity_ = std::move(*identity);
  return true;
}

bool FanotifyBackend::OpenGroup(bool wantAccess, std::string& error) {
  group_ = OpenFilesystemGroup(realFolder_, FanotifyFilesystemMask(wantAccess));
  if (!group_.valid()) {
    const int reason = errno;
    error = SystemError("fanotify " + realFolder_);
    limitReached_ = InstanceLimitRefusing(reason, kFanotifyGroupLimit);
    // Named in the text too: a capture helper hands on only the text.
    if (!limitReached_.empty()) error += " (" + std::string(limitReached_) + ")";
    return false;
  }
  if (fanotify_mark(group_.get(), FAN_MARK_ADD, kFanotifyFolderSelfEvents, AT_FDCWD,
                    realFolder_.c_str()) != 0) {
    error = SystemError("fanotify_mark " + realFolder_);
    return false;
  }
  return true;
}

std::vector<int> FanotifyBackend::PollFds() const {
  if (!decoder_) return {};
  return {group_.get(), mounts_.WakeFd()};
}

DrainResult FanotifyBackend::Drain(std::vector<RawChange>& out) {
  if (!decoder_) return DrainResult{.ended = true};
  records_.clear();
  size_t bytesRead = 0;
  bool readable = ReadRecords(records_, bytesRead);
  // The kernel tells where a directory is only when asked, and the records of
  // changes made meanwhile are still queued: so it is asked first and the
  // queue read again, until nothing more came (within a bound).
  // Where every directory was known already, no answer can be late.
  size_t asked = 0;
  for (int round = 0; readable && round < kLookUpRounds && asked < records_.size(); ++round) {
    const bool askedKernel = decoder_->LookUp(records_, asked);
    asked = records_.size();
    if (!askedKernel) break;
    readable = ReadRecords(records_, bytesRead);
  }
  const size_t first = out.size();
  DrainResult result = decoder_->DecodeRecords(records_, out);
  result.bytesRead = bytesRead;
  quiet_->DropEchoes(out, first);
  result.elsewhereOnly = bytesRead > 0 && out.size() == first && !result.pendingPairs;
  if (emptied_) quiet_->QueueEmptied();
  if (decoder_->TakeArrival()) quiet_->LiftAll(out);
  quiet_->Quiet(decoder_->TakeBusyOutside());
  TellUnnamed(result);
  NoteProcesses(out, first, namesDue_);
  opener_->Release();
  if (!readable) result.ended = true;
  return result;
}

bool FanotifyBackend::AfterPublish() {
  if (!decoder_) return false;
  for (const int32_t pid : namesDue_) ProcessNames::Shared().Note(pid);
  namesDue_.clear();
  return !mounts_.TakeChange() || FolderStillThere();
}

int FanotifyBackend::PauseWakeFd() {
  // Only a watch that meets other programs' floods spends a second group.
  if (decoder_ && !std::exchange(pauseSignalTried_, true) && pauseSignal_.Open(realFolder_)) {
    quiet_->MirrorOn(pauseSignal_.fd());
  }
  return pauseSignal_.fd();
}

// False when the descriptor fails for a reason other than being empty.
bool FanotifyBackend::ReadRecords(std::vector<FanotifyRecord>& records, size_t& bytesRead) {
  emptied_ = false;
  for (int reads = 0; reads < kMaxReadsPerDrain; ++reads) {
    ssize_t length = read(group_.get(), buffer_.data(), buffer_.size());
    if (length > 0) {
      bytesRead += static_cast<size_t>(length);
      decoder_->Parse({buffer_.data(), static_cast<size_t>(length)}, records);
    } else if (length == 0 || errno == EAGAIN) {
      emptied_ = true;
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<Backend> MakeFanotifyBackend() { return std::make_unique<FanotifyBackend>(); }

}  // namespace tavrek::engine
