#include "core/engine/watch_session.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "core/engine/action.h"
#include "core/engine/backend/backend.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/network_user.h"
#include "core/platform/folder_probe.h"

namespace tavrek::engine {
namespace {

constexpr int kEndReported = 1;

std::string StartStatusText(int optionCount) {
  char buffer[64];
  const int length =
      optionCount == 0
          ? std::snprintf(buffer, sizeof buffer, "<<== Keine Überwachungsoptionen = %d", 0)
          : std::snprintf(buffer, sizeof buffer, "Starte Überwachung %d", optionCount);
  return std::string(buffer, static_cast<size_t>(length));
}

std::string_view SpillFailureText(int error) {
  const bool full = error == ENOSPC || error == EDQUOT || error == EFBIG;
  return full ? kStatusSpillFull : kStatusSpillUnusable;
}

}  // namespace

WatchSession::WatchSession(SessionSettings settings)
    : settings_(std::move(settings)),
      queue_(std::make_shared<EventQueue>(settings_.wake, settings_.deliver)),
      log_(ProcessNames::Shared(),
           settings_.keepLog ? std::optional<SpillSettings>(settings_.spill) : std::nullopt) {
  folders_.Add(kWholeDrive);
  folderRows_.push_back({std::string(kWholeDrive), false});
}

WatchSession::~WatchSession() {
  for (auto& source : sources_) {
    if (source) source->RequestStop();
  }
  for (auto& source : retired_) source->RequestStop();
  // Destroying a source joins its thread, which ends promptly once asked.
  sources_.clear();
  retired_.clear();
}

void WatchSession::StopSources() {
  ++generation_;  // batches already queued by the stopped sources are dropped
  for (auto& source : sources_) {
    if (!source) continue;
    source->RequestStop();
    retired_.push_back(std::move(source));
  }
  sources_.clear();
  for (Watcher& watcher : watchers_) watcher.started = false;
  ReapRetiredSources();
}

void WatchSession::ReapRetiredSources() {
  std::erase_if(retired_, [](const std::unique_ptr<FolderSource>& source) {
    return source->Finished();
  });
}

void WatchSession::StopAll(bool replace) {
  const size_t oldSize = log_.size();
  reportedEnds_.clear();
  StopSources();
  for (const std::string& path : announced_) AddStatusRow(kStatusStopping, path, StatusKind::kStop);
  announced_.clear();
  if (replace) {
    folders_.Clear();
    folderRows_.clear();
    watching_ = false;
    if (observer_) {
      observer_->OnFolderRowsChanged();
      observer_->OnWatchingChanged(false);
    }
    NotifySetupChanged();
  }
  NotifyLogGrowth(oldSize);
}

void WatchSession::Start(std::string_view folder, bool replace) {
  StopAll(replace);
  folders_.Add(folder);
  StartAll();
}

void WatchSession::StartFolders(const std::vector<std::string>& folders, bool replace) {
  StopAll(replace);
  for (const std::string& folder : folders) folders_.Add(folder);
  StartAll();
}

WatchSetup WatchSession::Setup() const {
  WatchSetup setup;
  for (const auto& [key, path] : folders_.folders()) setup.folders.push_back(path);
  setup.filterRows = filterRows_;
  setup.options = options_;
  setup.logFilterMode = logFilterMode_;
  setup.folderChoices = ChoicesWithin(choices_, folders_);
  return setup;
}

void WatchSession::Apply(const WatchSetup& setup) {
  StopAll(true);
  for (const std::string& folder : setup.folders) folders_.Add(folder);
  for (const auto& [key, path] : folders_.folders()) folderRows_.push_back({path, false});
  choices_ = ChoicesWithin(setup.folderChoices, folders_);
  options_ = setup.options;
  logFilterMode_ = setup.logFilterMode;
  // The rows stay as the setup has them; the filtered count stays too.
  filterRows_ = setup.filterRows;
  std::stable_partition(filterRows_.begin(), filterRows_.end(),
                        [](const FilterRow& row) { return !IsProcessKind(row.kind); });
  filter_.Assign(filterRows_);
  if (observer_) observer_->OnFolderRowsChanged();
  NotifySetupChanged();
}

void WatchSession::SetOptions(const WatchOptions& options) {
  if (options == options_) return;
  options_ = options;
  NotifySetupChanged();
}

void WatchSession::SetLogFilterMode(LogFilterMode mode) {
  if (mode == logFilterMode_) return;
  logFilterMode_ = mode;
  NotifySetupChanged();
}

void WatchSession::StartAll() {
  const size_t oldSize = log_.size();
  watching_ = true;
  folderRows_.clear();
  watchers_.clear();
  sources_.clear();
  // A folder that left the set takes its choice with it.
  choices_ = ChoicesWithin(choices_, folders_);

  const KindSet kinds = KindsToStart(options_);
  size_t position = 0;
  for (const auto& [key, path] : folders_.folders()) StartFolder(position++, path, kinds);

  if (observer_) {
    observer_->OnFolderRowsChanged();
    observer_->OnWatchingChanged(true);
  }
  NotifySetupChanged();  // the folders may have changed
  NotifyLogGrowth(oldSize);
}

void WatchSession::StartFolder(size_t position, const std::string& path, const KindSet& kinds) {
  const bool opened = platform::ProbeFolder(path);
  folderRows_.push_back({path, !opened});
  sources_.emplace_back();
  for (uint8_t kind = 0; kind < kKindCount; ++kind) {
    watchers_.push_back({NormaliseFolderPath(path), kKindMasks[kind], options_.subtree, kind,
                         opened && kinds[kind]});
  }
  if (!opened) return;

  const bool anyKind = std::any_of(kinds.begin(), kinds.end(), [](bool on) { return on; });
  if (anyKind) {
    FolderSourceSettings source;
    source.folder = NormaliseFolderPath(path);
    source.subtree = options_.subtree == 1;
    source.kinds = kinds;
    source.backend = EffectiveChoice(settings_.backend, choices_, path);
    source.pollInterval = settings_.pollInterval;
    source.generation = generation_;
    sources_[position] = FolderSource::Start(std::move(source), queue_);
  }
  const int optionCount = OptionCount(options_);
  AddStatusRow(StartStatusText(optionCount), path,
               optionCount == 0 ? StatusKind::kOther : StatusKind::kStart);
  announced_.push_back(path);
  if (EffectiveChoice(settings_.backend, choices_, path) == BackendType::Fanotify) {
    NoteFanotifyRefused(path);
  } else {
    NoteInotifyFallback(path);
  }
}

// fanotify chosen for a folder it cannot watch: the watch ends there, as a
// backend named on the command line does, and this row says why.
void WatchSession::NoteFanotifyRefused(const std::string& path) {
  const std::string folder = NormaliseFolderPath(path);
  if (FanotifyUsable(folder) || CaptureHelperServes(folder)) return;
  AddStatusRow(kStatusFanotifyRefused, path, StatusKind::kFanotifyRefused);
}

// An ordinary user whose automatic choice ends at inotify is told once why,
// and how to get fanotify through the capture helper.
void WatchSession::NoteInotifyFallback(const std::string& path) {
  const BackendType asked = EffectiveChoice(settings_.backend, choices_, path);
  if (inotifyFallbackNoted_ || asked != BackendType::Automatic || geteuid() == 0) {
    return;
  }
  if (ReachableBackend(NormaliseFolderPath(path)) != BackendType::Inotify) {
    return;
  }
  inotifyFallbackNoted_ = true;
  AddStatusRow(kStatusInotifyFallback, path, StatusKind::kInotifyFallback);
}

void WatchSession::PressStartStop() {
  if (watching_) {
    StopAll(false);
    watching_ = false;
    if (observer_) observer_->OnWatchingChanged(false);
  } else {
    Start({}, false);
  }
}

void WatchSession::RemoveFolderRows(std::vector<size_t> rows) {
  std::sort(rows.begin(), rows.end());
  // The rest as a list: a "," is an ordinary character of a name.
  std::vector<std::string> remaining;
  for (size_t row = 0; row < folderRows_.size(); ++row) {
    if (!std::binary_search(rows.begin(), rows.end(), row)) remaining.push_back(folderRows_[row].path);
  }
  StopAll(true);
  StartFolders(remaining, true);
}

void WatchSession::RemoveAllFolders() {
  choices_.clear();
  StopAll(true);
}

BackendType WatchSession::WatchChoiceOf(size_t row) const {
  if (row >= folderRows_.size()) return BackendType::Automatic;
  return ChoiceOf(choices_, folderRows_[row].path);
}

void WatchSession::SetWatchChoice(const std::vector<size_t>& rows, BackendType choice) {
  bool changed = false;
  for (size_t row : rows) {
    if (row >= folderRows_.size()) continue;
    changed = SetChoice(choices_, folderRows_[row].path, choice) || changed;
  }
  if (!changed) return;
  if (watching_) {
    Start({}, false);  // tells the rows and the setup itself
    return;
  }
  if (observer_) observer_->OnFolderRowsChanged();
  NotifySetupChanged();
}

size_t WatchSession::RunningWatcherCount() const {
  size_t running = 0;
  for (size_t position = 0; position < sources_.size(); ++position) {
    if (!sources_[position] || sources_[position]->Finished()) continue;
    for (uint8_t kind = 0; kind < kKindCount; ++kind) {
      running += watchers_[position * kKindCount + kind].started ? 1 : 0;
    }
  }
  return running;
}

FolderCoverage WatchSession::CoverageOf(size_t row) const {
  if (row >= sources_.size() || !sources_[row]) return {};
  return sources_[row]->coverage();
}

bool WatchSession::SourcesReady() const {
  return std::all_of(sources_.begin(), sources_.end(), [](const auto& source) {
    return !source || source->Ready();
  });
}

void WatchSession::AddStatusRow(std::string_view text, std::string_view path, StatusKind kind) {
  log_.AddStatus(platform::GetLocalTime(), text, path, kind);
}

void WatchSession::ReportStoreFailure() {
  if (const auto failure = log_.TakeStoreFailure()) {
    AddStatusRow(SpillFailureText(failure->error), failure->folder, StatusKind::kOther);
  }
}

void WatchSession::NotifyLogGrowth(size_t oldSize) {
  ReportStoreFailure();
  if (observer_ && log_.size() != oldSize) observer_->OnLogRowsAppended(oldSize, log_.size());
  if (log_.droppedRows() != reportedDropped_) {
    reportedDropped_ = log_.droppedRows();
    if (observer_) observer_->OnLogRowsDropped(reportedDropped_);
  }
  if (!settings_.keepLog && log_.size() > 0) {
    log_.Rewind();
    if (observer_) observer_->OnLogCleared();
  }
}

void WatchSession::NotifySetupChanged() {
  if (observer_) observer_->OnSetupChanged();
}

// ---- filter ----

void WatchSession::AddFilterText(std::string_view text, bool exclude) {
  AddFilterPieces(text, FilterKindFor(false, exclude));
}

void WatchSession::AddProcessFilterText(std::string_view text, bool exclude) {
  AddFilterPieces(text, FilterKindFor(true, exclude));
}

void WatchSession::AddFilterPieces(std::string_view text, FilterKind kind) {
  std::vector<FilterRow> rows;
  for (std::string& piece : SplitFilterText(text)) {
    rows.insert(rows.begin(), FilterRow{std::move(piece), kind, true});
  }
  rows.insert(rows.end(), filterRows_.begin(), filterRows_.end());
  SetFilterRows(std::move(rows));
}

void WatchSession::RemoveFilterRows(std::vector<size_t> indices) {
  std::sort(indices.rbegin(), indices.rend());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  std::vector<FilterRow> rows = filterRows_;
  for (size_t index : indices) {
    if (index < rows.size()) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
  }
  SetFilterRows(std::move(rows));
}

void WatchSession::RemoveAllFilterRows() { SetFilterRows({}); }

void WatchSession::SetFilterRows(std::vector<FilterRow> rows) {
  filterRows_ = filter_.Rebuild(rows);
  ResetFilteredCount();
  NotifySetupChanged();
}

void WatchSession::SetFilterRowChecked(size_t index, bool checked) {
  if (index >= filterRows_.size() || filterRows_[index].checked == checked) return;
  filterRows_[index].checked = checked;
  filter_.Assign(filterRows_);
  NotifySetupChanged();
}

std::string WatchSession::FilteredCountText() const {
  return "Gefiltert:" + std::to_string(filteredCount_);
}

void WatchSession::ResetFilteredCount() {
  filteredCount_ = 0;
  if (observer_) observer_->OnFilteredCountChanged(0);
}

// ---- events ----

size_t WatchSession::ProcessPending() {
  ReapRetiredSources();
  batches_.clear();
  if (!queue_->TakeAll(batches_)) return 0;
  if (settings_.openFiles) openFiles_ = settings_.openFiles->Snapshot();

  const size_t oldSize = log_.size();
  const int oldFiltered = filteredCount_;
  const uint64_t oldOverflows = overflows_;
  size_t handled = 0;
  bool coverageChanged = false;
  for (const EventBatch& batch : batches_) {
    if (batch.generation != generation_) continue;
    HandleBatch(batch);
    handled += batch.events.size();
    coverageChanged = coverageChanged || batch.coverageChanged;
  }
  batches_.clear();
  openFiles_.reset();

  if (observer_) {
    if (filteredCount_ != oldFiltered) observer_->OnFilteredCountChanged(filteredCount_);
    if (overflows_ != oldOverflows) observer_->OnOverflowCountChanged(overflows_);
    if (coverageChanged) observer_->OnFolderRowsChanged();
    if (handled > 0) observer_->OnAccessStatisticsChanged();
  }
  NotifyLogGrowth(oldSize);
  return handled;
}

void WatchSession::HandleBatch(const EventBatch& batch) {
  overflows_ += batch.overflows;
  const platform::SystemTime time = batch.time.value_or(platform::GetLocalTime());
  const auto status = [&](std::string_view text, std::string_view path, StatusKind kind) {
    log_.AddStatus(time, text, path, kind);
  };
  if (batch.overflows > 0) status(kStatusOverflow, batch.folder, StatusKind::kOverflow);
  if (batch.watchLimitReached) status(kStatusWatchLimit, batch.folder, StatusKind::kWatchLimit);
  for (const StatusNote& note : batch.notesBefore) status(note.text, note.path, note.kind);
  for (const ChangeEvent& event : batch.events) HandleEvent(event);
  for (const StatusNote& note : batch.notesAfter) status(note.text, note.path, note.kind);
}

void WatchSession::HandleEndEvent(const ChangeEvent& event) {
  int32_t& mark = reportedEnds_[event.path];
  if (mark == kEndReported) return;
  log_.AddEvent(event, {});
  mark = kEndReported;
}

void WatchSession::HandleEvent(const ChangeEvent& event) {
  if (event.action == Action::kEnded) {
    HandleEndEvent(event);
    return;
  }
  if (IsFiltered(event)) {
    ++filteredCount_;
    return;
  }
  if (settings_.keepAccessStatistics) tree_.Add(event);
  if (!MayLog(options_, event.action)) return;
  userBuffer_.clear();
  if (openFiles_) NetworkUserOf(event.path, *openFiles_, userBuffer_);
  log_.AddEvent(event, userBuffer_);
  if (settings_.keepAccessStatistics) overview_.Add(event);
}

// The process's name is asked only when a filter row names processes.
bool WatchSession::IsFiltered(const ChangeEvent& event) {
  if (filter_.empty()) return false;
  if (!filter_.hasProcessEntries()) return filter_.IsFiltered(event.path, logFilterMode_);
  return filter_.IsFiltered(event.path, log_.ProcessNameOf(event.pid), logFilterMode_);
}

void WatchSession::ClearLog() {
  log_.Clear();
  reportedDropped_ = 0;
  if (observer_) observer_->OnLogCleared();
}

void WatchSession::ResetAccessStatistics() {
  tree_.Clear();
  overview_.Clear();
  if (observer_) observer_->OnAccessStatisticsCleared();
}

void WatchSession::SetAccessShowCounts(bool showCounts) {
  if (tree_.showCounts() == showCounts) return;
  tree_.setShowCounts(showCounts);
  if (observer_) observer_->OnAccessTextsChanged();
}

}  // namespace tavrek::engine
