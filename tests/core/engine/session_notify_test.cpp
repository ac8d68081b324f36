#include <gtest/gtest.h>

#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

TEST(SessionNotifyTest, CheckBoxesAndTreeTextsAreToldWhenTheyChange) {
  struct Counter : SessionObserver {
    void OnSetupChanged() override { ++setup; }
    void OnAccessTextsChanged() override { ++texts; }
    int setup = 0, texts = 0;
  } counter;
  WatchSession session;
  session.SetObserver(&counter);
  session.AddFilterText("*.log", true);
  for (bool checked : {false, false, true, false}) session.SetFilterRowChecked(0, checked);
  session.SetFilterRowChecked(7, true);  // no such row
  for (bool counts : {false, false, true}) session.SetAccessShowCounts(counts);
  EXPECT_EQ(counter.setup, 4);  // the added row, then three changes
  EXPECT_EQ(counter.texts, 2);
  EXPECT_FALSE(session.filterSet().IsFiltered("/a/b.LOG", LogFilterMode::kDoNotLogThese));
}

}  // namespace
}  // namespace tavrek::engine
