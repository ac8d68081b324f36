#include "core/engine/watch_session.h"

#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::engine {
namespace {

using tavrek::testing::TempFolder;

ChangeEvent Event(std::string path, Action action = Action::kCreated) {
  ChangeEvent event;
  event.path = std::move(path);
  event.action = action;
  return event;
}

// A column as the window shows it: newest row first.
std::vector<std::string> Column(const ChangeLog& log, int column) {
  std::vector<std::string> texts;
  for (size_t row = log.size(); row-- > 0;) texts.push_back(log.CellText(row, column));
  return texts;
}

std::string Newest(const ChangeLog& log, int column) {
  return log.CellText(log.size() - 1, column);
}

class RecordingObserver : public SessionObserver {
 public:
  void OnLogRowsAppended(size_t, size_t newSize) override { logSize = newSize; }
  void OnFilteredCountChanged(int count) override { filtered = count; }
  void OnSetupChanged() override { ++setup; }
  void OnAccessTextsChanged() override { ++texts; }
  size_t logSize = 0;
  int filtered = -1, setup = 0, texts = 0;
};

// A folder that cannot open is marked and starts nothing; stop rows pair
// with start rows, so neither the default "/" nor the missing folder gets one.
TEST(WatchSessionTest, StartAndStopWriteStatusRowsInPairsNewestFirst) {
  TempFolder a, b;
  WatchSession session;
  const std::string missing = a.path().string() + "/missing";
  session.StartFolders({a.path().string(), missing, b.path().string()}, true);
  EXPECT_EQ(session.buttonCaption(), "Stop ....");
  EXPECT_EQ(Column(session.log(), kLogColumnAction),
            (std::vector<std::string>{"Starte Überwachung 8", "Starte Überwachung 8"}));
  const std::vector<std::string> started = Column(session.log(), kLogColumnName);
  EXPECT_EQ(started.front(), std::max(a.path().string(), b.path().string()));  // last in key order
  EXPECT_EQ(session.log().Image(session.log().size() - 1), kNoImage);
  EXPECT_EQ(Newest(session.log(), kLogColumnIntern), "");
  EXPECT_EQ(session.watchers().size(), 21u);
  ASSERT_EQ(session.folderRows().size(), 3u);
  for (const auto& row : session.folderRows()) {
    EXPECT_EQ(row.failed, row.path == missing) << row.path;
  }

  session.PressStartStop();
  session.StopAll(false);  // stopped already: nothing more to stop
  EXPECT_EQ(session.buttonCaption(), "Start ....");
  const std::string stop(kStatusStopping), start = "Starte Überwachung 8";
  EXPECT_EQ(Column(session.log(), kLogColumnAction),
            (std::vector<std::string>{stop, stop, start, start}));
  EXPECT_EQ(Column(session.log(), kLogColumnName),
            (std::vector<std::string>{started[0], started[1], started[0], started[1]}));
  EXPECT_EQ(session.RunningWatcherCount(), 0u);
  EXPECT_EQ(session.folderSet().size(), 3u);  // the button keeps the folders
  // No options start no watcher and say so.
  TempFolder unwatched;
  WatchSession none;
  none.SetOptions({0, 0, 0, 0, 0, 0, 0, 1, 0});
  none.Start(unwatched.path().string(), true);
  EXPECT_EQ(Newest(none.log(), kLogColumnAction), "<<== Keine Überwachungsoptionen = 0");
  EXPECT_EQ(none.RunningWatcherCount(), 0u);
  // An empty set still shows watching.
  WatchSession empty;
  empty.StopAll(true);
  EXPECT_EQ(empty.buttonCaption(), "Start ....");
  empty.Start("", false);
  EXPECT_EQ(empty.buttonCaption(), "Stop ....");
  EXPECT_TRUE(empty.folderRows().empty());
}

TEST(WatchSessionTest, EndIsLoggedOnceAndClearedBoxesKeepChangesInTheTreeOnly) {
  WatchSession session;
  ChangeEvent end = Event("/w/", Action::kEnded);
  for (int kind = 0; kind < 4; ++kind) session.HandleEvent(end);
  session.HandleEvent(Event("/v/", Action::kEnded));
  EXPECT_EQ(session.log().size(), 2u);
  EXPECT_EQ(session.log().Image(0), kActionEnded);
  session.StopAll(true);
  session.HandleEvent(end);
  EXPECT_EQ(Newest(session.log(), kLogColumnAction), "Abbruch");
  EXPECT_EQ(session.accessTree().NodeCount(), 0u);  // ends never reach the statistics
  // Cleared boxes keep deletions and renames in the tree only.
  WatchSession boxes;
  WatchOptions options;
  options.remove = 0;
  options.rename = 0;
  boxes.SetOptions(options);
  boxes.HandleEvent(Event("/a/x", Action::kDeleted));
  boxes.HandleEvent(Event("/a/y", Action::kRenamedOld));
  boxes.HandleEvent(Event("/a/z"));
  EXPECT_EQ(Column(boxes.log(), kLogColumnName), (std::vector<std::string>{"/a/z"}));
  EXPECT_EQ(boxes.accessOverview().size(), 1u);
  EXPECT_EQ(boxes.accessTree().NodeCount(), 5u);  // "/", a, x, y, z
}

TEST(WatchSessionTest, FilteredEventsAreCountedUntilTheNextRebuildAndChangesAreTold) {
  WatchSession session;
  RecordingObserver observer;
  session.SetObserver(&observer);
  session.AddFilterText("*.log;;*.tmp;", true);
  EXPECT_EQ(session.filterRows().size(), 2u);
  session.HandleEvent(Event("/a/x.LOG"));
  session.HandleEvent(Event("/a/x.txt"));
  EXPECT_EQ(session.filteredCount(), 1);
  EXPECT_EQ(session.FilteredCountText(), "Gefiltert:1");
  EXPECT_EQ(session.log().size(), 1u);
  EXPECT_EQ(session.accessOverview().size(), 1u);

  session.RemoveFilterRows({0});
  EXPECT_EQ(session.filteredCount(), 0);
  EXPECT_EQ(observer.filtered, 0);
  EXPECT_EQ(session.filterRows().size(), 1u);
  session.RemoveAllFilterRows();
  session.HandleEvent(Event("/a/x.log"));
  EXPECT_EQ(session.log().size(), 2u);

  // Check boxes and tree texts are told when they change.
  const int setup = observer.setup;
  session.AddFilterText("*.log", true);
  for (bool checked : {false, false, true, false}) session.SetFilterRowChecked(0, checked);
  session.SetFilterRowChecked(7, true);  // no such row
  for (bool counts : {false, false, true}) session.SetAccessShowCounts(counts);
  EXPECT_EQ(observer.setup, setup + 4);  // the added row, then three changes
  EXPECT_EQ(observer.texts, 2);
  EXPECT_FALSE(session.filterSet().IsFiltered("/a/b.LOG", LogFilterMode::kDoNotLogThese));
}

TEST(WatchSessionHandOffTest, DropsStaleBatchesCountsOverflowsAndWritesStatusRowsAroundTheEvents) {
  WatchSession session;
  const uint64_t stale = session.generation();
  session.StopAll(true);  // a stop makes everything queued before it stale
  EventBatch old;
  old.generation = stale;
  old.events.push_back(Event("/w/old"));
  session.queue().Push(std::move(old));

  EventBatch current;
  current.generation = session.generation();
  current.overflows = 2;
  current.watchLimitReached = true;
  current.folder = "/w/";
  current.events.push_back(Event("/w/new"));
  session.queue().Push(std::move(current));

  const size_t before = session.log().size();
  EXPECT_EQ(session.ProcessPending(), 1u);
  EXPECT_EQ(session.overflowCount(), 2u);
  ASSERT_EQ(session.log().size(), before + 3);
  EXPECT_EQ(session.log().CellText(before, kLogColumnAction), kStatusOverflow);
  EXPECT_EQ(session.log().CellText(before, kLogColumnName), "/w/");
  EXPECT_EQ(session.log().CellText(before + 1, kLogColumnAction), kStatusWatchLimit);
  EXPECT_EQ(session.log().CellText(before + 2, kLogColumnName), "/w/new");
  // The status rows carry the time of the batch's changes, not of the hand-off.
  WatchSession timed;
  EventBatch batch;
  batch.generation = timed.generation();
  batch.time = platform::FromMillisecondOfDay(3723004);  // 01:02:03.004
  batch.notesBefore.push_back({"before", "/w/"});
  batch.events.push_back(Event("/w/found"));
  batch.events.back().fromRescan = true;
  batch.events.push_back(Event("/w/reported"));
  for (ChangeEvent& event : batch.events) event.time = *batch.time;
  batch.notesAfter.push_back({"after", "/w/"});
  timed.queue().Push(std::move(batch));

  const size_t first = timed.log().size();
  timed.ProcessPending();
  ASSERT_EQ(timed.log().size(), first + 4);
  EXPECT_EQ(timed.log().CellText(first, kLogColumnAction), "before");
  EXPECT_EQ(timed.log().CellText(first + 1, kLogColumnIntern), "00 (ID:0) neu eingelesen");
  EXPECT_EQ(timed.log().CellText(first + 2, kLogColumnIntern), "00 (ID:0)");
  EXPECT_EQ(timed.log().CellText(first + 3, kLogColumnAction), "after");
  EXPECT_EQ(timed.log().CellText(first + 3, kLogColumnIntern), "");
  for (size_t row = first; row < first + 4; ++row) {
    EXPECT_EQ(timed.log().CellText(row, kLogColumnTime), "01:02:03.004");
  }
}

// A folder's watch choice reaches its source, travels with the setup, and
// leaves with the folder; a backend forced for the session still wins.
TEST(FolderChoiceTest, TheChoiceIsUsedUnlessABackendIsForcedAndLeavesWithItsFolder) {
  struct Case {
    BackendType forced;
    BackendType used;
  };
  for (const Case& test : {Case{BackendType::Automatic, BackendType::Poll},
                           Case{BackendType::Inotify, BackendType::Inotify}}) {
    TempFolder a, b;
    const std::string folder = a.path().string();
    SessionSettings settings;
    settings.backend = test.forced;
    WatchSession session(std::move(settings));
    session.StartFolders({folder}, true);
    session.SetWatchChoice({0}, BackendType::Poll);  // restarts the running watch
    EXPECT_EQ(session.Setup().folderChoices, (FolderChoices{{folder, BackendType::Poll}}));
    ASSERT_TRUE(testing::WaitUntil([&] { return session.CoverageOf(0).known(); }));
    EXPECT_EQ(session.CoverageOf(0).backend, test.used);

    session.StartFolders({b.path().string()}, false);
    const size_t row = session.folderRows()[0].path == folder ? 0 : 1;
    EXPECT_EQ(session.WatchChoiceOf(row), BackendType::Poll);
    session.RemoveFolderRows({row});
    session.StartFolders({folder}, false);  // back, but without its choice
    EXPECT_TRUE(session.Setup().folderChoices.empty());
  }
}

// A session set up as the console watcher uses it: rows are handed to the
// observer and then let go.
class PrintingObserver : public SessionObserver {
 public:
  explicit PrintingObserver(const WatchSession& session) : session_(session) {}
  void OnLogRowsAppended(size_t oldSize, size_t newSize) override {
    for (size_t row = oldSize; row < newSize; ++row) {
      names.push_back(session_.log().CellText(row, kLogColumnName));
    }
  }
  void OnLogCleared() override { ++clears; }
  std::vector<std::string> names;
  int clears = 0;

 private:
  const WatchSession& session_;
};

TEST(ConsoleSessionTest, RowsAreHandedOnAndNotKeptAndADeliveredPushWakesNobody) {
  SessionSettings settings;
  settings.keepLog = false;
  settings.keepAccessStatistics = false;
  WatchSession session(std::move(settings));
  PrintingObserver observer(session);
  session.SetObserver(&observer);
  session.StopAll(true);
  size_t reserved = 0;
  for (int round = 0; round < 3; ++round) {
    EventBatch batch;
    batch.generation = session.generation();
    ChangeEvent event;
    event.path = "/w/" + std::to_string(round);
    event.action = Action::kCreated;
    batch.events.push_back(event);
    session.queue().Push(std::move(batch));
    EXPECT_EQ(session.ProcessPending(), 1u);
    EXPECT_EQ(session.log().size(), 0u);
    // The memory of one round serves the next: a row costs no allocation.
    if (round == 0) reserved = session.log().BytesReserved();
    EXPECT_EQ(session.log().BytesReserved(), reserved);
  }
  EXPECT_EQ(observer.names, (std::vector<std::string>{"/w/0", "/w/1", "/w/2"}));
  EXPECT_EQ(observer.clears, 3);
  EXPECT_EQ(session.accessOverview().size(), 0u);
  EXPECT_EQ(session.accessTree().NodeCount(), 0u);
  session.SetObserver(nullptr);
  // The console lets the source thread hand a lone change on itself; when it
  // declines (a burst, or the session is busy) the consumer is woken instead.
  int wakes = 0;
  std::vector<size_t> offered;
  bool accept = true;
  EventQueue queue([&wakes] { ++wakes; }, [&](size_t events) {
    offered.push_back(events);
    if (!accept) return false;
    std::vector<EventBatch> taken;
    return queue.TakeAll(taken);
  });
  EventBatch batch;
  batch.events.resize(2);
  queue.Push(batch);
  EXPECT_EQ(wakes, 0);
  EXPECT_TRUE(queue.Empty());
  accept = false;
  queue.Push(batch);
  queue.Push(batch);
  EXPECT_EQ(wakes, 1);  // one wake-up until the consumer drains
  EXPECT_FALSE(queue.Empty());
  EXPECT_EQ(offered, (std::vector<size_t>{2, 2, 2}));
}

}  // namespace
}  // namespace tavrek::engine
