#include "ui/window/session_bridge.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "core/engine/action.h"

namespace tavrek::ui {
namespace {

void Push(engine::WatchSession& session, const std::string& path) {
  engine::EventBatch batch;
  batch.generation = session.generation();
  engine::ChangeEvent& event = batch.events.emplace_back();
  event.path = path;
  event.action = engine::Action::kWritten;
  session.queue().Push(std::move(batch));
}

TEST(SessionBridgeTest, ManyChangesMakeOneSignalPerTickAndClearingComesFirst) {
  engine::WatchSession session;
  SessionBridge bridge(session);
  std::vector<std::string> order;
  QObject::connect(&bridge, &SessionBridge::logCleared, [&] { order.push_back("logCleared"); });
  QObject::connect(&bridge, &SessionBridge::logRowsAppended, [&](qsizetype from, qsizetype to) {
    order.push_back("logRowsAppended " + std::to_string(from) + "-" + std::to_string(to));
  });
  QObject::connect(&bridge, &SessionBridge::accessStatisticsCleared,
                   [&] { order.push_back("accessCleared"); });
  QObject::connect(&bridge, &SessionBridge::accessStatisticsChanged,
                   [&] { order.push_back("accessChanged"); });

  for (int i = 0; i < 50; ++i) Push(session, "/w/f" + std::to_string(i));
  bridge.Tick();
  EXPECT_EQ(order, (std::vector<std::string>{"logRowsAppended 0-50", "accessChanged"}));

  // Cleared, then grown again before the views hear of it.
  order.clear();
  session.ClearLog();
  session.ResetAccessStatistics();
  Push(session, "/w/g");
  bridge.Tick();
  EXPECT_EQ(order, (std::vector<std::string>{"logCleared", "logRowsAppended 0-1", "accessCleared",
                                             "accessChanged"}));
  order.clear();
  bridge.Tick();  // nothing new: nothing said
  EXPECT_TRUE(order.empty());

  // Setup and watching changes are told once per tick, as they are then.
  session.StopAll(true);  // no folders: a start watches nothing
  bridge.Tick();
  QSignalSpy setup(&bridge, &SessionBridge::setupChanged);
  QSignalSpy watching(&bridge, &SessionBridge::watchingChanged);
  engine::WatchOptions options;
  options.size = 0;
  session.SetOptions(options);
  session.SetLogFilterMode(engine::LogFilterMode::kLogOnlyThese);
  bridge.Tick();
  EXPECT_EQ(setup.count(), 1);
  EXPECT_EQ(watching.count(), 0);
  session.PressStartStop();
  session.PressStartStop();
  bridge.Tick();
  ASSERT_EQ(watching.count(), 1);
  EXPECT_FALSE(watching[0][0].toBool());  // told the state now, not each step
}

}  // namespace
}  // namespace tavrek::ui
