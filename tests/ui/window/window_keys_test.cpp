// Keys a user reaches for in the watch window do what the menus do.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "core/app/command_ids.h"
#include "support/temp_folder.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

TEST_F(WatchWindowTest, DeleteRemovesTheMarkedRowAndF3WithNothingToFindAsksForTheText) {
  testing::TempFolder folders;
  auto window = MakeWindow();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->HandleCommand(app::command::kAddFolder, QString::fromStdString(folders.path().string()));
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.log"), 1});
  window->HandleCommand(app::command::kAddFilter);
  for (QTableWidget* list : {window->folders().list(), window->filters().list()}) {
    const int rows = list->rowCount();
    ASSERT_GT(rows, 0);
    list->setFocus();
    list->selectRow(rows - 1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->rowCount(), rows - 1) << rows;
  }
  QTest::keyClick(window->changeLog(), Qt::Key_F3);
  EXPECT_EQ(QApplication::focusWidget(), window->logSearch()->field());
}

// Tab walks every control once and wraps; Shift+Tab the same way back.
TEST_F(WatchWindowTest, TabVisitsEveryControlOnceAndWrapsAndShiftTabGoesBack) {
  auto window = MakeWindow();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->logSearch()->field()->setFocus();
  auto round = [](Qt::Key key) {  // the stops until the focus comes back, none if never
    QList<QWidget*> stops{QApplication::focusWidget()};
    for (int presses = 0; presses < 100; ++presses) {
      QTest::keyClick(QApplication::focusWidget(), key);
      if (QApplication::focusWidget() == stops.front()) return stops;
      stops << QApplication::focusWidget();
    }
    return QList<QWidget*>();
  };
  const QList<QWidget*> forward = round(Qt::Key_Tab);
  QSet<QWidget*> reachable;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool tabs = (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
    if (tabs && widget->isVisible() && widget->isEnabled()) reachable << widget;
  }
  EXPECT_EQ(QSet<QWidget*>(forward.begin(), forward.end()).size(), forward.size());
  EXPECT_EQ(QSet<QWidget*>(forward.begin(), forward.end()), reachable);
  ASSERT_GE(forward.size(), 4);
  EXPECT_EQ(forward[3], window->changeLog());  // after the field and its two buttons
  QList<QWidget*> backward = round(Qt::Key_Backtab);
  ASSERT_EQ(backward.size(), forward.size());
  std::reverse(backward.begin() + 1, backward.end());
  EXPECT_EQ(backward, forward);
}

}  // namespace
}  // namespace tavrek::ui
