// Tab and Shift+Tab in a fresh frame walk every control of its watch window
// once and wrap.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/app/frame_fixture.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

// Tab from the focus until it comes back: the stops in the order visited.
QList<QWidget*> Round(Qt::Key key) {
  QWidget* start = QApplication::focusWidget();
  QList<QWidget*> stops{start};
  for (int presses = 0; presses < 100; ++presses) {
    QTest::keyClick(QApplication::focusWidget(), key);
    if (QApplication::focusWidget() == start) return stops;
    stops << QApplication::focusWidget();
  }
  return {};  // stuck: it never came back
}

TEST_F(FrameTest, TabVisitsEveryControlOnceAndWrapsAndShiftTabGoesBack) {
  testing::TempFolder folder;
  StartOutcome outcome = Begin("/e>" + folder.path().string() + ">");
  outcome.frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(outcome.frame.get()));
  WatchWindow* window = Watch(Windows(*outcome.frame).front());
  window->logSearch()->field()->setFocus();

  const QList<QWidget*> forward = Round(Qt::Key_Tab);
  QList<QWidget*> reachable;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled() &&
        !widget->focusProxy()) {
      reachable << widget;
    }
  }
  ASSERT_EQ(QSet<QWidget*>(forward.begin(), forward.end()).size(), forward.size());
  EXPECT_EQ(QSet<QWidget*>(forward.begin(), forward.end()), QSet<QWidget*>(reachable.begin(), reachable.end()));
  // The search field, then its two buttons, then the log.
  ASSERT_GE(forward.size(), 4);
  EXPECT_EQ(forward[3], window->changeLog());
  QList<QWidget*> backward = Round(Qt::Key_Backtab);
  ASSERT_EQ(backward.size(), forward.size());
  std::reverse(backward.begin() + 1, backward.end());
  EXPECT_EQ(backward, forward);
}

}  // namespace
}  // namespace tavrek::ui
