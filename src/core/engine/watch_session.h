#pragma once
// Everything of one watch window that can be decided without pixels: the
// options, the folder set and its watchers, the file filter, the change log,
// the access statistics and the counters. The owner calls it on one thread
// only; kernel sources hand their events over through the queue and the owner
// drains it with ProcessPending when woken.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/backend_type.h"
#include "core/engine/change_log.h"
#include "core/engine/event_queue.h"
#include "core/engine/file_filter.h"
#include "core/engine/folder_set.h"
#include "core/engine/source/folder_source.h"
#include "core/engine/watch_options.h"
#include "core/engine/watch_setup.h"
#include "core/platform/open_files.h"
#include "core/engine/statistics/access_overview.h"
#include "core/engine/statistics/access_tree.h"

namespace tavrek::engine {

inline constexpr std::string_view kCaptionStart = "Start ....";
inline constexpr std::string_view kCaptionStop = "Stop ....";
inline constexpr std::string_view kStatusStopping = "Stoppe Überwachung ";
inline constexpr std::string_view kFolderFailedMark = "Fehler";
// Written once per folder when the kernel's per-user watch limit leaves part
// of the folder unwatched.
inline constexpr std::string_view kStatusWatchLimit =
    "Überwachungslimit erreicht (fs.inotify.max_user_watches), nicht alles wird überwacht: ";
// Written whenever the kernel's queue overflowed: changes were lost there.
inline constexpr std::string_view kStatusOverflow =
    "Änderungen verloren (Warteschlange des Kernels übergelaufen)";
// Written once, with the folder, when the log's spill file cannot grow (disk
// or quota full) or cannot be made; the log goes on in memory up to a cap.
// Written when a folder is to be watched by fanotify, as the user chose,
// without the rights to it; the folder's watch then ends.
inline constexpr std::string_view kStatusFanotifyRefused =
    "fanotify kann diesen Ordner nicht überwachen (nötig: CAP_SYS_ADMIN und ein Dateisystem "
    "mit Datei-Handles); ohne root das Hilfsprogramm installieren (scripts/install-helper.sh) "
    "und der Gruppe tavrek beitreten";
inline constexpr std::string_view kStatusSpillFull = "Protokolldatei voll – weiter im Speicher";
inline constexpr std::string_view kStatusSpillUnusable =
    "Protokolldatei nicht anlegbar – weiter im Speicher";

// One row of the folder list after a start.
struct FolderRow {
  std::string path;
  bool failed = false;  // the folder could not be opened; none of its watchers runs
};

// One watcher record: folder position p uses records 7p to 7p + 6.
struct Watcher {
  std::string folder;
  uint32_t mask = 0;
  int32_t subtree = 1;
  uint8_t kindIndex = 0;
  bool started = false;
};

// Told about changes, on the session's thread; the default does nothing.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  virtual void OnLogRowsAppended(size_t /*oldSize*/, size_t /*newSize*/) {}
  virtual void OnLogCleared() {}
  virtual void OnFilteredCountChanged(int /*count*/) {}
  virtual void OnFolderRowsChanged() {}
  virtual void OnWatchingChanged(bool /*watching*/) {}
  virtual void OnOverflowCountChanged(uint64_t /*total*/) {}
  // Rows the log found no room for (disk and memory cap full), since it was cleared.
  virtual void OnLogRowsDropped(uint64_t /*total*/) {}
  virtual void OnAccessStatisticsChanged() {}
  // Reset emptied the statistics; what follows counts afresh.
  virtual void OnAccessStatisticsCleared() {}
  // The grouped tree shows counts instead of times or the reverse: every
  // node's texts changed.
  virtual void OnAccessTextsChanged() {}
  // Folders, filter rows, options or the log filter mode changed.
  virtual void OnSetupChanged() {}
};

struct SessionSettings {
  BackendType backend = BackendType::Automatic;
  std::chrono::milliseconds pollInterval{2000};  // for folders that are polled
  // Called from a source thread when events wait; must only schedule
  // ProcessPending on the session's thread.
  EventQueue::Wake wake;
  // Optional: lets a source thread hand its events on itself (see
  // EventQueue::Deliver); it must then own the session while it does.
  EventQueue::Deliver deliver;
  // Where the network users come from; none leaves the user column empty.
  std::shared_ptr<platform::OpenFilesMonitor> openFiles;
  // A window keeps every row and its statistics. A console watch prints each
  // row as it comes and needs neither: without keepLog the rows are let go as
  // soon as the observer has been told of them (with OnLogCleared), so a long
  // watch does not grow.
  bool keepLog = true;
  bool keepAccessStatistics = true;
  // Where a kept log spills its rows to (the user's cache folder unless set).
  SpillSettings spill;
};

class WatchSession {
 public:
  explicit WatchSession(SessionSettings settings = {});
  ~WatchSession();  // stops every watcher and waits for the sources to end
  WatchSession(const WatchSession&) = delete;
  WatchSession& operator=(const WatchSession&) = delete;

  void SetObserver(SessionObserver* observer) { observer_ = observer; }

  // Options take effect at the next start.
  const WatchOptions& options() const { return options_; }
  void SetOptions(const WatchOptions& options);

  // Stops all, adds the one folder, its bytes whole, "," and all (replacing
  // the set when asked; an empty one adds nothing) and starts every folder
  // that opens.
  void Start(std::string_view folder, bool replace);
  // The same with several folders, each entry one folder.
  void StartFolders(const std::vector<std::string>& folders, bool replace);

  // The setup as a value: folders in key order, filter rows, options, log filter mode.
  WatchSetup Setup() const;
  // Takes over a setup: stops every watcher, replaces folders, filter rows
  // (kept in their order and check state, see FilterSet::Assign), options and
  // log filter mode; the watch is not started (the caller decides) and the
  // filtered count stays.
  void Apply(const WatchSetup& setup);
  // Stops every watcher, writing one status row per folder that got a start
  // row since the last stop (a folder that never started has nothing to
  // stop); replace also empties the folder set and leaves the session not
  // watching.
  void StopAll(bool replace);
  // The Start/Stop button: starts when not watching, stops otherwise; the
  // folder set stays.
  void PressStartStop();
  bool watching() const { return watching_; }
  // The folder menu's removals: the rows (positions of folderRows) go, the
  // watch stops and runs again on the rest; removing all leaves it stopped.
  void RemoveFolderRows(std::vector<size_t> rows);
  void RemoveAllFolders();
  std::string_view buttonCaption() const { return watching_ ? kCaptionStop : kCaptionStart; }

  const FolderSet& folderSet() const { return folders_; }
  // How the user wants the folder of a row watched (Automatic when not chosen).
  BackendType WatchChoiceOf(size_t row) const;
  // Sets the choice of the rows' folders; a running watch starts again so
  // that it takes effect. A backend forced in the settings still wins.
  void SetWatchChoice(const std::vector<size_t>& rows, BackendType choice);
  // Replaces every folder's choice; takes effect at the next start.
  void SetFolderChoices(FolderChoices choices) { choices_ = std::move(choices); }
  const std::vector<FolderRow>& folderRows() const { return folderRows_; }
  // How the folder of a row is watched (not known for a failed or stopped one).
  FolderCoverage CoverageOf(size_t row) const;
  const std::vector<Watcher>& watchers() const { return watchers_; }
  size_t RunningWatcherCount() const;
  // True when every running source has its initial watches set up.
  bool SourcesReady() const;

  // The filter list and the set built from it.
  const std::vector<FilterRow>& filterRows() const { return filterRows_; }
  // Rows of the filter dialog: each piece of the text becomes a row on top.
  void AddFilterText(std::string_view text, bool exclude);
  // The same for process rows: each piece is a pattern for the command name
  // of the process behind a change.
  void AddProcessFilterText(std::string_view text, bool exclude);
  void RemoveFilterRows(std::vector<size_t> indices);
  void RemoveAllFilterRows();
  // Replaces the rows as edited in the list, then rebuilds the set.
  void SetFilterRows(std::vector<FilterRow> rows);
  // A row's check box: a cleared box switches its pattern off at once and a
  // set one on again; the rows keep their order and the filtered count stays.
  void SetFilterRowChecked(size_t index, bool checked);
  const FilterSet& filterSet() const { return filter_; }
  LogFilterMode logFilterMode() const { return logFilterMode_; }
  void SetLogFilterMode(LogFilterMode mode);
  int filteredCount() const { return filteredCount_; }
  std::string FilteredCountText() const;
  void ResetFilteredCount();

  // Handles every event the sources have handed over; returns how many.
  size_t ProcessPending();
  bool HasPendingEvents() const { return !queue_->Empty(); }
  // Where sources hand their batches over, and the tag a batch needs to be
  // handled (tests and benchmarks feed events the same way).
  EventQueue& queue() { return *queue_; }
  uint64_t generation() const { return generation_; }
  // Handles one event as the change log does: ends once per folder, filter,
  // statistics, logging rules, log row, overview row.
  void HandleEvent(const ChangeEvent& event);

  const ChangeLog& log() const { return log_; }
  void ClearLog();
  const engine::AccessTree& accessTree() const { return tree_; }
  engine::AccessTree& accessTree() { return tree_; }
  const engine::AccessOverview& accessOverview() const { return overview_; }
  void ResetAccessStatistics();
  // Whether the grouped tree shows how often (true) or when (false).
  void SetAccessShowCounts(bool showCounts);

  uint64_t overflowCount() const { return overflows_; }

 private:
  void StopSources();
  void ReapRetiredSources();
  void StartAll();
  void StartFolder(size_t position, const std::string& path, const KindSet& kinds);
  void AddStatusRow(std::string_view text, std::string_view path, StatusKind kind);
  void NoteInotifyFallback(const std::string& path);
  void NoteFanotifyRefused(const std::string& path);
  void HandleEndEvent(const ChangeEvent& event);
  void NotifyLogGrowth(size_t oldSize);
  void ReportStoreFailure();
  void NotifySetupChanged();
  void AddFilterPieces(std::string_view text, FilterKind kind);
  bool IsFiltered(const ChangeEvent& event);
  void HandleBatch(const EventBatch& batch);

  SessionSettings settings_;
  SessionObserver* observer_ = nullptr;
  std::shared_ptr<EventQueue> queue_;
  uint64_t generation_ = 1;

  WatchOptions options_;
  FolderSet folders_;
  FolderChoices choices_;
  std::vector<FolderRow> folderRows_;
  std::vector<Watcher> watchers_;
  std::vector<std::unique_ptr<FolderSource>> sources_;
  std::vector<std::unique_ptr<FolderSource>> retired_;
  // Folders that got a start row, in the order they did: each gets its stop
  // row at the next stop, and no other folder does.
  std::vector<std::string> announced_;
  bool watching_ = false;
  bool inotifyFallbackNoted_ = false;

  std::vector<FilterRow> filterRows_;
  FilterSet filter_;
  LogFilterMode logFilterMode_ = LogFilterMode::kDoNotLogThese;
  int filteredCount_ = 0;

  ChangeLog log_;
  uint64_t reportedDropped_ = 0;
  std::map<std::string, int32_t> reportedEnds_;
  engine::AccessTree tree_;
  engine::AccessOverview overview_;
  uint64_t overflows_ = 0;

  std::shared_ptr<const platform::OpenFileList> openFiles_;
  std::string userBuffer_;
  std::vector<EventBatch> batches_;
};

}  // namespace tavrek::engine
