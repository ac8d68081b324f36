// Tab and Shift+Tab in a fresh frame walk every control of its window once and wrap.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/app/frame_fixture.h"
#include "ui/window/log_search_bar.h"

namespace tavrek::ui {
namespace {

// The stops from the focus on until it comes back; none when it never does.
QList<QWidget*> Round(Qt::Key key) {
  QList<QWidget*> stops{QApplication::focusWidget()};
  for (int presses = 0; presses < 100; ++presses) {
    QTest::keyClick(QApplication::focusWidget(), key);
    if (QApplication::focusWidget() == stops.front()) return stops;
    stops << QApplication::focusWidget();
  }
  return {};
}

TEST_F(FrameTest, TabVisitsEveryControlOnceAndWrapsAndShiftTabGoesBack) {
  testing::TempFolder folder;
  StartOutcome outcome = Begin("/e>" + folder.path().string() + ">");
  outcome.frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(outcome.frame.get()));
  WatchWindow* window = Watch(Windows(*outcome.frame).front());
  window->logSearch()->field()->setFocus();
  const QList<QWidget*> forward = Round(Qt::Key_Tab);
  QSet<QWidget*> reachable;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool tabs = (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
    if (tabs && widget->isVisible() && widget->isEnabled()) reachable << widget;
  }
  EXPECT_EQ(QSet<QWidget*>(forward.begin(), forward.end()).size(), forward.size());
  EXPECT_EQ(QSet<QWidget*>(forward.begin(), forward.end()), reachable);
  ASSERT_GE(forward.size(), 4);
  EXPECT_EQ(forward[3], window->changeLog());  // after the field and its two buttons
  QList<QWidget*> backward = Round(Qt::Key_Backtab);
  ASSERT_EQ(backward.size(), forward.size());
  std::reverse(backward.begin() + 1, backward.end());
  EXPECT_EQ(backward, forward);
}

}  // namespace
}  // namespace tavrek::ui
