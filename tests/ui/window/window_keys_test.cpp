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

}  // namespace
}  // namespace tavrek::ui
