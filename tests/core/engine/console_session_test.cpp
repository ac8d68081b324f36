// A session set up as the console watcher uses it: rows are handed to the
// observer and then let go.
#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

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

TEST(ConsoleSessionTest, RowsAreHandedOnAndNotKept) {
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
  EXPECT_EQ(observer.names, (std::vector<std::string>{"/", "/w/0", "/w/1", "/w/2"}));
  EXPECT_EQ(observer.clears, 4);
  EXPECT_EQ(session.accessOverview().size(), 0u);
  EXPECT_EQ(session.accessTree().NodeCount(), 0u);
  session.SetObserver(nullptr);
}

// The console lets the source thread hand a lone change on itself; when it
// declines (a burst, or the session is busy) the consumer is woken instead.
TEST(ConsoleSessionTest, ADeliveredPushWakesNobody) {
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
