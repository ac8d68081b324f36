#include <gtest/gtest.h>

#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

struct CountingObserver : SessionObserver {
  void OnSetupChanged() override { ++setup; }
  void OnAccessTextsChanged() override { ++texts; }
  int setup = 0;
  int texts = 0;
};

TEST(SessionNotifyTest, CheckBoxesAndTheTreeTextsChangeTheSessionAndAreTold) {
  WatchSession session;
  CountingObserver observer;
  session.SetObserver(&observer);
  session.AddFilterText("*.log;*.txt", true);
  observer.setup = 0;
  for (bool checked : {false, false, true}) session.SetFilterRowChecked(1, checked);  // "*.log"
  session.SetFilterRowChecked(7, false);  // no such row
  EXPECT_EQ(observer.setup, 2);
  EXPECT_TRUE(session.filterSet().IsFiltered("/a/b.LOG", LogFilterMode::kDoNotLogThese));
  session.SetFilterRowChecked(1, false);
  EXPECT_FALSE(session.filterSet().IsFiltered("/a/b.LOG", LogFilterMode::kDoNotLogThese));
  EXPECT_TRUE(session.filterSet().IsFiltered("/a/b.txt", LogFilterMode::kDoNotLogThese));

  for (bool counts : {false, false, true}) session.SetAccessShowCounts(counts);
  EXPECT_EQ(observer.texts, 2);
  EXPECT_TRUE(session.accessTree().showCounts());
}

}  // namespace
}  // namespace tavrek::engine
