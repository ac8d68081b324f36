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
  auto round = [](Qt::Key key) {  // the stops until the focus comes back
    QList<QWidget*> stops{QApplication::focusWidget()};
    for (int presses = 0; presses < 100 && (stops.size() == 1 || stops.back() != stops.front()); ++presses) {
      QTest::keyClick(QApplication::focusWidget(), key);
      stops << QApplication::focusWidget();
    }
    return stops;
  };
  const QList<QWidget*> forward = round(Qt::Key_Tab);
  QList<QWidget*> reachable;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool tabs = (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
    if (tabs && widget->isVisible() && widget->isEnabled()) reachable << widget;
  }
  EXPECT_EQ(QSet(forward.begin(), forward.end() - 1), QSet(reachable.begin(), reachable.end()));
  ASSERT_EQ(forward.size(), reachable.size() + 1);  // each once, then the first again
  EXPECT_EQ(forward[3], window->changeLog());         // after the field and its two buttons
  QList<QWidget*> backward = round(Qt::Key_Backtab);
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, forward);
}

}  // namespace
}  // namespace tavrek::ui
