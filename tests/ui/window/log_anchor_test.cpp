// Rows arriving at the top of the change log never move what the user reads.
#include <QLineEdit>
#include <QScrollBar>

#include "ui/support/pump.h"
#include "ui/window/change_log_model.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

TEST_F(WatchWindowTest, IncomingRowsKeepTheViewAndTheSelectedChangeInPlace) {
  constexpr int kSpilled = 100000, kMarked = 1234, kBurst = 700;  // the larger log spills to its file
  enum Reading { kAtTop, kScrolledDown, kSearched };
  const std::pair<Reading, int> cases[] = {
      {kAtTop, 3000}, {kScrolledDown, 3000}, {kSearched, 3000}, {kScrolledDown, kSpilled}, {kSearched, kSpilled}};
  auto burst = [](int from, int count) {  // a few names keep the access statistics small
    std::vector<Fed> rows;
    for (int i = from; i < from + count; ++i) {
      rows.push_back({i == kMarked ? "/w/marked" : "/w/f" + std::to_string(i % 64)});
    }
    return rows;
  };
  for (const auto& [reading, held] : cases) {
    auto window = MakeWindow();
    QTableView& log = *window->changeLog();
    Feed(*window, burst(0, held));
    EXPECT_EQ(window->session().log().DiskBytes() > 0, held == kSpilled);
    log.doItemsLayout();  // as the event loop would before the user scrolls
    if (reading == kScrolledDown) log.verticalScrollBar()->setValue(held / 2);
    if (reading == kSearched) {
      window->logSearch()->field()->setText(QStringLiteral("marked"));
      window->logSearch()->FindNext();
      ASSERT_TRUE(testing::PumpUntil([&] { return !window->logSearch()->searching(); }));
    }
    // Which change (its log row) the user looks at, and where on screen.
    auto sight = [&] {
      const QModelIndex at = reading == kSearched ? log.currentIndex() : log.indexAt({1, 1});
      return std::pair(static_cast<const ChangeLogModel*>(log.model())->LogIndex(at.row()), log.visualRect(at).top());
    };
    const auto before = sight();
    for (int round = 0; round < 4; ++round) Feed(*window, burst(held + round * kBurst, kBurst));
    if (reading == kAtTop) {
      EXPECT_EQ(sight().first, static_cast<size_t>(held + 4 * kBurst - 1));
    } else {
      EXPECT_EQ(sight(), before) << reading << ' ' << held;
    }
    EXPECT_EQ(before.first == kMarked, reading == kSearched);
    EXPECT_EQ(log.selectionModel()->selectedRows().size(), reading == kSearched ? 1 : 0);
  }
}

}  // namespace
}  // namespace tavrek::ui
