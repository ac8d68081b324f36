// Faults found by using the window, each kept from coming back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <algorithm>
#include <filesystem>
#include <map>

#include "core/app/command_ids.h"
#include "core/engine/action.h"
#include "core/engine/option_table.h"
#include "core/engine/statistics/access_slots.h"
#include "ui/common/folder_dialog.h"
#include "ui/support/pump.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace id = app::control;
namespace choice = app::menu_choice;
using tavrek::testing::PumpUntil;
using tavrek::testing::TempFolder;

// Every row of a tree, depth first.
void CollectRows(const QAbstractItemModel& model, const QModelIndex& parent,
                 std::vector<QModelIndex>& out) {
  for (int row = 0; row < model.rowCount(parent); ++row) {
    out.push_back(model.index(row, 0, parent));
    CollectRows(model, out.back(), out);
  }
}

bool Covered(const QSignalSpy& spy, const QModelIndex& index, int column) {
  for (const QList<QVariant>& signal : spy) {
    const auto from = signal[0].value<QModelIndex>();
    const auto to = signal[1].value<QModelIndex>();
    if (from.parent() == index.parent() && from.row() <= index.row() && index.row() <= to.row() &&
        from.column() <= column && column <= to.column()) {
      return true;
    }
  }
  return false;
}

bool Enabled(WatchWindow& window, int command) { return window.ToolbarAction(command)->isEnabled(); }

TEST_F(WatchWindowTest, GroupedTreeRepaintsEveryNodeItCountsNotOnlyTheTop) {
  auto window = MakeWindow();
  Feed(*window, {{"/w/d/a.txt"}, {"/w/e.txt"}});
  window->access().tree()->expandAll();
  QAbstractItemModel& model = *window->access().tree()->model();
  QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
  Feed(*window, {{"/w/d/a.txt"}, {"/w/d/a.txt"}});

  std::vector<QModelIndex> rows;
  CollectRows(model, {}, rows);
  ASSERT_EQ(rows.size(), 5u);  // "/", w, d, a.txt, e.txt
  const int writes = 1 + engine::SlotOfAction(engine::kActionWritten);  // "Schreiben"
  const std::map<QString, QString> counts{{QStringLiteral("/"), QStringLiteral("4")},
                                          {QStringLiteral("w"), QStringLiteral("4")},
                                          {QStringLiteral("d"), QStringLiteral("3")},
                                          {QStringLiteral("a.txt"), QStringLiteral("3")},
                                          {QStringLiteral("e.txt"), QStringLiteral("1")}};
  for (const QModelIndex& row : rows) {
    const QString name = row.data().toString();
    EXPECT_EQ(row.siblingAtColumn(writes).data().toString(), counts.at(name)) << name.toStdString();
    const bool changed = name != QStringLiteral("e.txt");
    EXPECT_EQ(Covered(spy, row, writes), changed) << name.toStdString();
  }

  // Counts to times: every node's texts change, so every node is repainted.
  spy.clear();
  Dialogs::QueueMenuChoice(choice::kViewGroupedTimes);
  window->HandleCommand(cmd::kAccessView);
  for (const QModelIndex& row : rows) {
    EXPECT_TRUE(Covered(spy, row, writes)) << row.data().toString().toStdString();
    EXPECT_TRUE(row.siblingAtColumn(writes).data().toString().contains(QLatin1Char(':')));
  }
}

TEST_F(WatchWindowTest, StartAndStopRefreshTheFolderList) {
  TempFolder parent;
  const std::filesystem::path later = parent / "later";
  auto window = MakeWindow();
  auto failed = [&] { return window->folders().list()->item(0, 0)->toolTip() == QStringLiteral("Fehler"); };
  window->HandleCommand(cmd::kDoScan, QString::fromStdString(later.string()));
  EXPECT_TRUE(failed());
  window->HandleCommand(cmd::kStartStop);  // stop
  std::filesystem::create_directory(later);
  window->HandleCommand(cmd::kStartStop);  // start: the folder opens now
  EXPECT_EQ(Caption(*window), QStringLiteral("Stop ...."));
  EXPECT_FALSE(failed());
  window->HandleCommand(cmd::kStartStop);
  std::filesystem::remove(later);
  window->HandleCommand(cmd::kStartStop);
  EXPECT_TRUE(failed());
}

// At every size: the tree takes the overview's place, the lists stand apart,
// the toolbars are whole and nothing covers their buttons.
TEST_F(WatchWindowTest, ToolbarsAreWholeAndTheCounterStaysOffTheButtons) {
  for (QSize size : {QSize(1000, 700), QSize(800, 600), QSize(700, 500), QSize(640, 480)}) {
    auto window = MakeWindow(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->access().tree()->geometry(), window->access().list()->geometry());
    EXPECT_LT(window->folders().list()->geometry().right(), window->filters().list()->geometry().left());
    for (int toolbarId : {id::kAccessToolbar, id::kLogToolbar}) {
      auto* toolbar = static_cast<QToolBar*>(window->Control(toolbarId));
      EXPECT_GE(toolbar->height(), toolbar->sizeHint().height()) << size.width();
    }
    auto* logToolbar = window->Control(id::kLogToolbar);
    EXPECT_LE(logToolbar->geometry().bottom(), window->changeLog()->geometry().top()) << size.width();
    // The search field and whatever of it is shown end where the log ends.
    for (QWidget* part : window->logSearch()->tabStops()) {
      if (!part->isVisible()) continue;
      const QRect place(part->mapTo(window.get(), QPoint(0, 0)), part->size());
      EXPECT_LE(place.right(), window->changeLog()->geometry().right()) << size.width();
    }
    EXPECT_TRUE(window->logSearch()->field()->isVisible()) << size.width();
    auto* accessToolbar = static_cast<QToolBar*>(window->Control(id::kAccessToolbar));
    const QRect counter = window->Control(id::kFilteredCount)->geometry();
    for (int command : {cmd::kAccessExploreSelect, cmd::kAccessExplore}) {
      QWidget* button = accessToolbar->widgetForAction(window->ToolbarAction(command));
      const QRect place(button->mapTo(window.get(), QPoint(0, 0)), button->size());
      EXPECT_FALSE(place.intersects(counter)) << size.width();
    }
  }
}

// A low window (a maximised one on an 800x500 screen) keeps every button and
// option box whole and apart and the log rows enough to follow; where the
// template fits, the column keeps its places and the system line.
TEST_F(WatchWindowTest, ALowWindowKeepsEveryOptionBoxInSightAndTheLogUseful) {
  std::vector<int> boxes;  // top to bottom in the order of their ids
  for (const engine::WatchOption& option : engine::kWatchOptionTable) boxes.push_back(option.boxId);
  std::sort(boxes.begin(), boxes.end());
  std::vector<int> column = {id::kFolderMenuButton, id::kStartStop};
  column.insert(column.end(), boxes.begin(), boxes.end());
  for (int height : {700, 330}) {
    auto window = MakeWindow(QSize(800, height));
    QCoreApplication::processEvents();
    int above = 0;
    for (int control : column) {
      const QRect place = window->Control(control)->geometry();
      EXPECT_TRUE(window->Control(control)->isVisible() && window->rect().contains(place)) << height;
      EXPECT_GE(place.top(), above) << control << " at " << height;
      above = place.bottom();
    }
    EXPECT_EQ(window->Control(id::kSystemLine)->isVisible(), height == 700);
    const QTableView& log = *window->changeLog();
    EXPECT_GE(log.viewport()->height(), 4 * log.verticalHeader()->defaultSectionSize()) << height;
  }
}

// Explore follows the selection of the list shown (the access list or the
// tree, whichever the grouping shows), and again after a reset.
TEST_F(WatchWindowTest, ExploreIsEnabledOnlyWithARowOfTheShownListSelected) {
  auto window = MakeWindow();
  Feed(*window, {{"/w/a.txt"}});
  auto explore = [&] {
    std::vector<bool> enabled;
    for (int command : {cmd::kLogExplore, cmd::kLogExploreSelect, cmd::kAccessExplore,
                        cmd::kAccessExploreSelect}) {
      enabled.push_back(Enabled(*window, command));
    }
    return enabled;
  };
  window->changeLog()->selectRow(0);
  EXPECT_EQ(explore(), (std::vector<bool>{true, true, false, false}));
  window->HandleCommand(cmd::kLogReset);
  EXPECT_EQ(explore(), std::vector<bool>(4, false));

  Dialogs::QueueMenuChoice(choice::kViewSimple);
  window->HandleCommand(cmd::kAccessView);
  window->access().list()->selectRow(0);
  EXPECT_EQ(explore(), (std::vector<bool>{false, false, true, true}));
  Dialogs::QueueMenuChoice(choice::kViewGroupedCounts);  // nothing selected in the tree
  window->HandleCommand(cmd::kAccessView);
  EXPECT_EQ(explore(), std::vector<bool>(4, false));
  window->access().tree()->setCurrentIndex(window->access().tree()->model()->index(0, 0));
  EXPECT_EQ(explore(), (std::vector<bool>{false, false, true, true}));
  window->HandleCommand(cmd::kAccessReset);
  EXPECT_EQ(explore(), std::vector<bool>(4, false));
}

TEST_F(WatchWindowTest, TabLeavesEveryList) {
  auto window = MakeWindow();
  Feed(*window, {{"/w/a.txt"}});
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{
           window->changeLog(), window->access().tree(), window->folders().list(), window->filters().list()}) {
    view->setFocus();
    ASSERT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_FALSE(view->hasFocus()) << view->metaObject()->className();
  }
  // From the last option box on to the lists, the toolbars and the views.
  Box(*window, id::kBoxSubtree)->setFocus();
  std::vector<QWidget*> reached;
  for (int step = 0; step < 12; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  auto at = [&](QWidget* widget) { return std::find(reached.begin(), reached.end(), widget) - reached.begin(); };
  auto* logToolbar = static_cast<QToolBar*>(window->Control(id::kLogToolbar));
  QWidget* logReset = logToolbar->widgetForAction(window->ToolbarAction(cmd::kLogReset));
  EXPECT_EQ(at(window->folders().list()), 0);
  EXPECT_EQ(at(window->filters().list()), 1);
  EXPECT_LT(at(window->access().tree()), at(logReset));
  EXPECT_LT(at(logReset), at(window->changeLog()));
  EXPECT_LT(at(window->changeLog()), static_cast<std::ptrdiff_t>(reached.size()));
}

TEST_F(WatchWindowTest, CutCellsShowTheirWholeTextAsTooltip) {
  auto window = MakeWindow();
  const std::string longName = "/w/" + std::string(120, 'x') + ".txt";
  Feed(*window, {{"/w/a"}, {longName}});
  QTableView& log = *window->changeLog();
  ASSERT_EQ(log.model()->rowCount(), 2);
  for (int row = 0; row < log.model()->rowCount(); ++row) {
    const QModelIndex cell = log.model()->index(row, engine::kLogColumnName);
    const QString text = cell.data().toString();
    QHelpEvent event(QEvent::ToolTip, log.visualRect(cell).center(),
                     log.viewport()->mapToGlobal(log.visualRect(cell).center()));
    QApplication::sendEvent(log.viewport(), &event);
    const bool cut = text.size() > 20;
    EXPECT_EQ(event.isAccepted(), cut) << row;  // a text that fits has no tooltip
    if (cut) {
      EXPECT_EQ(QToolTip::text(), text);
    }
  }

  // A folder that failed keeps its mark after the whole path.
  TempFolder parent;
  const QString missing = QString::fromStdString((parent / std::string(80, 'm')).string());
  window->HandleCommand(cmd::kDoScan, missing);
  QTableWidget& folders = *window->folders().list();
  folders.setColumnWidth(0, 60);
  const QRect cell = folders.visualItemRect(folders.item(0, 0));
  QHelpEvent event(QEvent::ToolTip, cell.center(), folders.viewport()->mapToGlobal(cell.center()));
  QApplication::sendEvent(folders.viewport(), &event);
  EXPECT_EQ(QToolTip::text(), missing + QStringLiteral("\nFehler"));
}

TEST(FolderDialogTest, AcceptsATypedFolderThatDoesNotExist) {
  TempFolder parent;
  const QString missing = QString::fromStdString((parent / "not-yet").string());
  FolderDialog dialog(nullptr, QStringLiteral("Verwalten"), QStringLiteral("prompt"),
                      QString::fromStdString(parent.path().string()));
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(missing);
  auto* choose = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open);
  EXPECT_TRUE(choose->isEnabled());  // a mouse user can choose it too
  choose->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosenFolder(), missing);
  // A long prompt stands above the controls and leaves the folder box its room.
  const QString prompt(80, QLatin1Char('x'));
  FolderDialog prompted(nullptr, prompt, prompt, QString());
  prompted.resize(700, 450);
  prompted.show();
  EXPECT_EQ(prompted.findChild<QLabel*>(QStringLiteral("promptLabel"))->text(), prompt);
  EXPECT_GT(prompted.findChild<QWidget*>(QStringLiteral("lookInCombo"))->width(), prompted.width() / 2);
}

TEST_F(WatchWindowTest, ResetsGiveTheMemoryBack) {
  auto window = MakeWindow();
  std::vector<Fed> changes;
  for (int i = 0; i < 20000; ++i) changes.push_back({"/w/f" + std::to_string(i)});
  Feed(*window, changes);
  const engine::WatchSession& session = window->session();
  EXPECT_GT(session.log().BytesReserved(), 1000000u);
  EXPECT_GT(session.accessTree().BytesReserved(), 1000000u);
  EXPECT_GT(session.accessOverview().BytesReserved(), 1000000u);
  window->HandleCommand(cmd::kLogReset);
  window->HandleCommand(cmd::kAccessReset);
  EXPECT_LT(session.log().BytesReserved(), 4096u);
  EXPECT_LT(session.accessTree().BytesReserved(), 4096u);
  EXPECT_LT(session.accessOverview().BytesReserved(), 4096u);
  EXPECT_EQ(window->changeLog()->model()->rowCount(), 0);
  EXPECT_EQ(window->access().tree()->model()->rowCount(), 0);
}

}  // namespace
}  // namespace tavrek::ui
