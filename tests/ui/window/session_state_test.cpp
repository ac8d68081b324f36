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
using tavrek::testing::PumpUntil;
using tavrek::testing::TempFolder;
constexpr auto kDoNotLog = engine::LogFilterMode::kDoNotLogThese;

void ClickAt(QAbstractItemView& view, QPoint at) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
}

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
  QTableWidget& filters = *window->filterList();
  for (bool checked : {false, true}) {
    ClickAt(filters, CheckBoxOf(filters, 0));
    EXPECT_EQ(window->session().filterSet().IsFiltered("/w/a.log", kDoNotLog), checked);  // at once
    EXPECT_TRUE(PumpUntil([&] { return (filters.item(0, 0)->checkState() == Qt::Checked) == checked; }));
  }

  QTest::mouseClick(Box(*window, app::control::kBoxWrite), Qt::LeftButton);
  EXPECT_EQ(window->session().options().write, 0);
  EXPECT_FALSE(Box(*window, app::control::kBoxWrite)->isChecked());

  TempFolder a, b;
  window->HandleCommand(cmd::kDoScan, QString::fromStdString(a.path().string()));
  window->HandleCommand(cmd::kAddFolder, QString::fromStdString(b.path().string()));
  QTableWidget& folders = *window->folderList();
  const std::string kept = folders.item(1, 0)->text().toStdString();
  ClickAt(folders, folders.visualRect(folders.model()->index(0, 0)).center());
  Dialogs::QueueMenuChoice(app::menu_choice::kFolderRemoveMarked);
  window->ShowFolderMenu({}, true);
  EXPECT_EQ(window->session().Setup().folders, std::vector<std::string>{kept});
  EXPECT_EQ(Folders(*window), QStringList{QString::fromStdString(kept)});
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
  EXPECT_EQ(window->session().log().size(), rows);
  EXPECT_EQ(window->session().generation(), generation);
  EXPECT_TRUE(window->session().watching());
}

}  // namespace
}  // namespace tavrek::ui
