#include "core/engine/watch_session.h"

#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "support/temp_folder.h"

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
  size_t logSize = 0;
  int filtered = -1;
};

// A folder that cannot open is marked and starts nothing.
TEST(WatchSessionTest, StartAndStopWriteStatusRowsNewestFirst) {
  TempFolder a, b;
  WatchSession session;
  const std::string missing = a.path().string() + "/missing";
  session.StartFolders({a.path().string(), missing, b.path().string()}, true);
  EXPECT_EQ(session.buttonCaption(), "Stop ....");
  // Stop row for "/" (in the set before), then one start row per good folder.
  EXPECT_EQ(Column(session.log(), kLogColumnAction),
            (std::vector<std::string>{"Starte Überwachung 8", "Starte Überwachung 8",
                                      "Stoppe Überwachung "}));
  EXPECT_EQ(Newest(session.log(), kLogColumnName),
            std::max(a.path().string(), b.path().string()));  // the last folder in key order
  EXPECT_EQ(session.log().Image(session.log().size() - 1), kNoImage);
  EXPECT_EQ(Newest(session.log(), kLogColumnIntern), "");
  EXPECT_EQ(session.watchers().size(), 21u);
  ASSERT_EQ(session.folderRows().size(), 3u);
  for (const auto& row : session.folderRows()) EXPECT_EQ(row.failed, row.path == missing) << row.path;

  session.PressStartStop();
  EXPECT_EQ(session.buttonCaption(), "Start ....");
  EXPECT_EQ(session.log().size(), 6u);  // a stop row per folder
  EXPECT_EQ(Newest(session.log(), kLogColumnAction), "Stoppe Überwachung ");
  EXPECT_EQ(session.RunningWatcherCount(), 0u);
  EXPECT_EQ(session.folderSet().size(), 3u);  // the button keeps the folders
}

TEST(WatchSessionTest, NoOptionsStartsNoWatcherAndSaysSo) {
  TempFolder folder;
  WatchSession session;
  session.SetOptions({0, 0, 0, 0, 0, 0, 0, 1, 0});
  session.Start(folder.path().string(), true);
  EXPECT_EQ(Newest(session.log(), kLogColumnAction), "<<== Keine Überwachungsoptionen = 0");
  EXPECT_EQ(session.RunningWatcherCount(), 0u);
}

TEST(WatchSessionTest, EmptySetStillShowsWatching) {
  WatchSession session;
  session.StopAll(true);
  EXPECT_EQ(session.buttonCaption(), "Start ....");
  session.Start("", false);
  EXPECT_EQ(session.buttonCaption(), "Stop ....");
  EXPECT_TRUE(session.folderRows().empty());
}

TEST(WatchSessionTest, EndIsLoggedOncePerFolderUntilTheNextStop) {
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
}

TEST(WatchSessionTest, FilteredEventsAreOnlyCountedUntilTheNextRebuild) {
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
}

TEST(WatchSessionTest, ClearedBoxesKeepDeletionsAndRenamesInTheTreeOnly) {
  WatchSession session;
  WatchOptions options;
  options.remove = 0;
  options.rename = 0;
  session.SetOptions(options);
  session.HandleEvent(Event("/a/x", Action::kDeleted));
  session.HandleEvent(Event("/a/y", Action::kRenamedOld));
  session.HandleEvent(Event("/a/z"));
  EXPECT_EQ(Column(session.log(), kLogColumnName), (std::vector<std::string>{"/a/z"}));
  EXPECT_EQ(session.accessOverview().size(), 1u);
  EXPECT_EQ(session.accessTree().NodeCount(), 5u);  // "/", a, x, y, z
}

TEST(WatchSessionHandOffTest, DropsStaleBatchesCountsOverflowsAndReportsTheWatchLimit) {
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
}

// The status rows carry the time of the batch's changes, not of the hand-off.
TEST(WatchSessionHandOffTest, WritesStatusRowsAroundTheEventsAndMarksRescanRows) {
  WatchSession session;
  EventBatch batch;
  batch.generation = session.generation();
  batch.time = platform::FromMillisecondOfDay(3723004);  // 01:02:03.004
  batch.notesBefore.push_back({"before", "/w/"});
  batch.events.push_back(Event("/w/found"));
  batch.events.back().fromRescan = true;
  batch.events.push_back(Event("/w/reported"));
  for (ChangeEvent& event : batch.events) event.time = *batch.time;
  batch.notesAfter.push_back({"after", "/w/"});
  session.queue().Push(std::move(batch));

  const size_t before = session.log().size();
  session.ProcessPending();
  ASSERT_EQ(session.log().size(), before + 4);
  EXPECT_EQ(session.log().CellText(before, kLogColumnAction), "before");
  EXPECT_EQ(session.log().CellText(before + 1, kLogColumnIntern), "00 (ID:0) neu eingelesen");
  EXPECT_EQ(session.log().CellText(before + 2, kLogColumnIntern), "00 (ID:0)");
  EXPECT_EQ(session.log().CellText(before + 3, kLogColumnAction), "after");
  EXPECT_EQ(session.log().CellText(before + 3, kLogColumnIntern), "");
  for (size_t row = before; row < before + 4; ++row) {
    EXPECT_EQ(session.log().CellText(row, kLogColumnTime), "01:02:03.004");
  }
}

}  // namespace
}  // namespace tavrek::engine
