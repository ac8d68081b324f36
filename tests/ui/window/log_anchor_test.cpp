// Rows arriving at the top of the change log never move what the user reads.
#include <QLineEdit>
#include <QScrollBar>

#include "ui/support/pump.h"
#include "ui/window/change_log_model.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

// What the user sees: which change (its log row) at which screen place.
struct Sight {
  size_t change = 0;
  int top = -1;
  bool operator==(const Sight&) const = default;
};
void PrintTo(const Sight& sight, std::ostream* out) { *out << "change " << sight.change << " at " << sight.top; }

TEST_F(WatchWindowTest, IncomingRowsKeepTheViewAndTheSelectedChangeInPlace) {
  constexpr int kFew = 3000;
  constexpr int kSpilled = 100000;  // more than the log keeps in memory before its file
  constexpr int kMarked = 1234;     // the row the search finds
  enum class Reading { kAtTop, kScrolledDown, kSearched };
  struct Case {
    Reading reading;
    int rowsHeld;
  } const cases[] = {{Reading::kAtTop, kFew},          {Reading::kScrolledDown, kFew},
                     {Reading::kSearched, kFew},       {Reading::kScrolledDown, kSpilled},
                     {Reading::kSearched, kSpilled}};
  // A few names over and over keep the access statistics small.
  auto burst = [](int from, int count) {
    std::vector<Fed> rows;
    for (int i = from; i < from + count; ++i) {
      rows.push_back({i == kMarked ? std::string("/w/marked") : "/w/f" + std::to_string(i % 64)});
    }
    return rows;
  };
  for (const Case& c : cases) {
    auto window = MakeWindow();
    QTableView& log = *window->changeLog();
    const auto& model = static_cast<const ChangeLogModel&>(*log.model());
    Feed(*window, burst(0, c.rowsHeld));
    if (c.rowsHeld == kSpilled) {
      ASSERT_GT(window->session().log().DiskBytes(), 0u);
    }
    if (c.reading == Reading::kScrolledDown) {
      log.doItemsLayout();  // as the event loop would before the user scrolls
      log.verticalScrollBar()->setValue(log.verticalScrollBar()->maximum() / 2);
      ASSERT_GT(log.verticalScrollBar()->value(), 0);
    }
    if (c.reading == Reading::kSearched) {
      window->logSearch()->field()->setText(QStringLiteral("marked"));
      window->logSearch()->FindNext();
      ASSERT_TRUE(testing::PumpUntil([&] { return !window->logSearch()->searching(); }));
    }
    auto sight = [&] {
      const QModelIndex at = c.reading == Reading::kSearched ? log.currentIndex() : log.indexAt({1, 1});
      return Sight{model.LogIndex(at.row()), log.visualRect(at).top()};
    };
    const Sight before = sight();
    for (int round = 0; round < 4; ++round) Feed(*window, burst(c.rowsHeld + round * 700, 700));
    const int reading = static_cast<int>(c.reading);
    if (c.reading == Reading::kAtTop) {
      EXPECT_EQ(sight().change, static_cast<size_t>(c.rowsHeld + 4 * 700 - 1));
    } else {
      EXPECT_EQ(sight(), before) << reading << ' ' << c.rowsHeld;
    }
    if (c.reading == Reading::kSearched) {
      EXPECT_EQ(before.change, static_cast<size_t>(kMarked));
      EXPECT_EQ(log.selectionModel()->selectedRows().size(), 1);
    }
  }
}

}  // namespace
}  // namespace tavrek::ui
