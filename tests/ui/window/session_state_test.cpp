// The window changes only its session and shows what the session holds.
#include <QTest>

#include "core/app/command_ids.h"
#include "core/setups/document_file.h"
#include "ui/app/frame_fixture.h"
#include "ui/support/pump.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using tavrek::testing::TempFolder;

QPoint CheckBoxOf(QTableWidget& list, int row) {
  QStyleOptionViewItem option;
  option.initFrom(list.viewport());
  option.rect = list.visualRect(list.model()->index(row, 0));
  option.features = QStyleOptionViewItem::HasCheckIndicator;
  return list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list).center();
}

TEST_F(WatchWindowTest, ClicksOnCheckBoxesAndFolderRowsGoToTheSession) {
  auto window = MakeWindow();
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.log"), 1});
  window->HandleCommand(cmd::kAddFilter);
  QTableWidget& filters = *window->filters().list();
  for (Qt::CheckState state : {Qt::Unchecked, Qt::Checked}) {
    QTest::mouseClick(filters.viewport(), Qt::LeftButton, {}, CheckBoxOf(filters, 0));
    EXPECT_EQ(window->session().filterSet().IsFiltered("/w/a.log", {}), state == Qt::Checked);
    EXPECT_TRUE(tavrek::testing::PumpUntil([&] { return filters.item(0, 0)->checkState() == state; }));
  }

  TempFolder a, b;
  window->HandleCommand(cmd::kDoScan, QString::fromStdString(a.path().string()));
  window->HandleCommand(cmd::kAddFolder, QString::fromStdString(b.path().string()));
  QTableWidget& folders = *window->folders().list();
  const QString kept = folders.item(1, 0)->text();
  const QPoint firstRow = folders.visualRect(folders.model()->index(0, 0)).center();
  QTest::mouseClick(folders.viewport(), Qt::LeftButton, {}, firstRow);
  Dialogs::QueueMenuChoice(app::menu_choice::kFolderRemoveMarked);
  window->folders().ShowMenu({}, true);
  EXPECT_EQ(window->session().Setup().folders, std::vector<std::string>{kept.toStdString()});
  EXPECT_EQ(Folders(*window), QStringList{kept});
}

TEST_F(FrameTest, CtrlSWhileWatchingWritesTheSessionsSetupAndLeavesTheWatchAlone) {
  TempFolder watched, out;
  auto frame = MakeFrame();
  WatchWindow* window = frame->NewWatchWindow();
  window->HandleCommand(cmd::kDoScan, Q(watched.path()));
  window->session().AddFilterText("*.tmp", true);
  window->session().SetFilterRowChecked(0, false);
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  const size_t rows = window->session().log().size();
  const uint64_t generation = window->session().generation();
  Dialogs::QueueFileChoice(Q(out.path() / "saved"));
  QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);

  const setups::DocumentRead read = setups::ReadSetupDocument((out.path() / "saved.tvk").string());
  ASSERT_EQ(read.status, setups::DocumentStatus::Ok);
  EXPECT_EQ(read.document.setup, window->session().Setup());
  EXPECT_EQ(read.document.startWatch, 1);
  EXPECT_EQ(window->session().log().size(), rows);  // no "Stoppe", no "Starte" rows
  EXPECT_EQ(window->session().generation(), generation);
}

}  // namespace
}  // namespace tavrek::ui
