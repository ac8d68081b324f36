// What a user does with the change log's process filter and search field.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "core/app/command_ids.h"
#include "core/engine/action.h"
#include "core/engine/process/process_names.h"
#include "ui/window/filter_dialog.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

// Pids no running process has: their names are what the test says.
constexpr int32_t kTouch = 4'000'001;
constexpr int32_t kCp = 4'000'002;
constexpr int32_t kGone = 4'000'003;  // ended before its name was read

class LogSearchTest : public WatchWindowTest {
 protected:
  void SetUp() override {
    WatchWindowTest::SetUp();
    engine::ProcessNames::Shared().Remember(kTouch, "touch");
    engine::ProcessNames::Shared().Remember(kCp, "cp");
  }

  // The log's menu on a row, choosing `choice`; the process entry as shown.
  static Dialogs::RecordedEntry ProcessEntry(WatchWindow& window, int row, int choice) {
    QTableView& log = *window.changeLog();
    log.setCurrentIndex(log.model()->index(row, engine::kLogColumnTime));
    Dialogs::QueueMenuChoice(choice);
    emit log.customContextMenuRequested(log.visualRect(log.currentIndex()).center());
    return Dialogs::menus().back().back();
  }

  static int SelectedRow(WatchWindow& window) {
    const int row = window.changeLog()->currentIndex().row();
    return window.changeLog()->selectionModel()->isRowSelected(row, {}) ? row : -1;
  }
};

TEST_F(LogSearchTest, FilterByProcessKeepsThatProcessOutOfEveryRowAfterwards) {
  auto window = MakeWindow();
  Feed(*window, {{"/w/a", kTouch}, {"/w/b", kCp}, {"/w/c", kGone}});
  const Dialogs::RecordedEntry gone = ProcessEntry(*window, 0, 0);
  EXPECT_EQ(gone.text, QStringLiteral("Filter (Prozess)"));
  EXPECT_FALSE(gone.enabled);

  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("touch"), kFilterModeExcludeIndex});
  const Dialogs::RecordedEntry touch = ProcessEntry(*window, 2, app::list_menu::kFilterProcess);
  EXPECT_EQ(touch.text, QStringLiteral("Filter (Prozess: touch)"));
  EXPECT_TRUE(touch.enabled);
  EXPECT_EQ(Column(*window->filters().list(), 0), QStringList{QStringLiteral("touch")});
  EXPECT_EQ(Column(*window->filters().list(), 1), QStringList{QStringLiteral("Diese Prozesse nicht überwachen")});

  Feed(*window, {{"/w/d", kTouch}, {"/w/e", kCp}, {"/w/f", kTouch}, {"/w/g", kGone}});
  QStringList shown;
  for (int row = 0; row < window->changeLog()->model()->rowCount(); ++row) {
    shown << LogCell(*window, row, engine::kLogColumnName) + QLatin1Char(' ') +
                 LogCell(*window, row, engine::kLogColumnProcess);
  }
  EXPECT_EQ(shown.join(QLatin1Char('|')),
            QStringLiteral("/w/g (4000003)|/w/e cp (4000002)|/w/c (4000003)|/w/b cp (4000002)|/w/a touch (4000001)"));
  EXPECT_EQ(static_cast<QLabel*>(window->Control(app::control::kFilteredCount))->text(),
            QStringLiteral("Gefiltert:2"));
}

TEST_F(LogSearchTest, KeyboardFindsNextAndPreviousWrapsAndSaysWhenNothingIsFound) {
  auto window = MakeWindow();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Feed(*window, {{"/w/Alpha.txt", kTouch}, {"/w/beta", kCp}, {"/w/alpha-2", kCp}});  // shown newest first
  LogSearchBar& bar = *window->logSearch();
  QSignalSpy notes(&bar, &LogSearchBar::statusNote);
  window->filters().list()->setFocus();  // the log would mark its top row as it takes the focus
  QTest::keyClick(window->filters().list(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(bar.field()->hasFocus());
  QTest::keyClicks(bar.field(), QStringLiteral("ALPHA"));

  struct Press {
    QWidget* target;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int row;
    const char* note;  // what the status bar says, or nothing new
  } const presses[] = {
      {bar.field(), Qt::Key_Return, Qt::NoModifier, 0, nullptr},
      {bar.field(), Qt::Key_Enter, Qt::NoModifier, 2, nullptr},
      {bar.field(), Qt::Key_Return, Qt::NoModifier, 0, kSearchWrappedDown},
      {window->changeLog(), Qt::Key_F3, Qt::ShiftModifier, 2, kSearchWrappedUp},
      {bar.field(), Qt::Key_Return, Qt::ShiftModifier, 0, nullptr},
      {window->changeLog(), Qt::Key_F3, Qt::NoModifier, 2, nullptr},
  };
  for (const Press& press : presses) {
    notes.clear();
    QTest::keyClick(press.target, press.key, press.modifiers);
    EXPECT_EQ(SelectedRow(*window), press.row);
    const QString said = notes.isEmpty() ? QString() : notes.back().front().toString();
    EXPECT_EQ(said, press.note ? QString::fromUtf8(press.note) : QString());
  }

  bar.field()->setFocus();
  bar.field()->selectAll();
  QTest::keyClicks(bar.field(), QStringLiteral("gamma"));
  QTest::keyClick(bar.field(), Qt::Key_Return);
  EXPECT_EQ(SelectedRow(*window), 2);  // the selection stays
  EXPECT_EQ(bar.noteLabel()->text(), QStringLiteral("Nicht gefunden"));
  EXPECT_EQ(notes.back().front().toString(), QStringLiteral("Nicht gefunden: gamma"));
}

}  // namespace
}  // namespace tavrek::ui
