// A shown watch window (offscreen) with a change log of millions of rows is
// searched for a text no row holds: how long the whole search takes, and the
// longest time the event loop waited meanwhile (what a user would feel as a
// frozen window).
//   QT_QPA_PLATFORM=offscreen ui_log_search [rows]     rows default 2,000,000
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/engine/action.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/watch_window.h"

namespace {

using namespace tavrek;

constexpr size_t kDefaultRows = 2'000'000;
constexpr size_t kBatch = 10'000;
constexpr size_t kDistinctFiles = 20'000;

void Fill(ui::WatchWindow& window, size_t rows) {
  for (size_t first = 0; first < rows; first += kBatch) {
    engine::EventBatch batch;
    batch.generation = window.session().generation();
    for (size_t i = first; i < std::min(rows, first + kBatch); ++i) {
      engine::ChangeEvent& event = batch.events.emplace_back();
      const size_t file = i % kDistinctFiles;
      event.path = "/home/user/work/d" + std::to_string(file % 200) + "/f" + std::to_string(file) + ".dat";
      event.action = engine::Action::kWritten;
      event.kindIndex = engine::kKindWrite;
    }
    window.session().queue().Push(std::move(batch));
    window.FlushViews();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const size_t rows = argc > 1 ? std::stoul(argv[1]) : kDefaultRows;
  ui::WatchWindowContext context;
  ui::WatchWindow window(context);
  window.resize(1000, 700);
  window.show();
  Fill(window, rows);

  ui::LogSearchBar& bar = *window.logSearch();
  bar.field()->setText(QStringLiteral("nirgends"));
  QElapsedTimer total;
  QElapsedTimer sinceTick;
  qint64 longestWait = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longestWait = std::max(longestWait, sinceTick.restart());
    if (!bar.searching()) application.quit();
  });
  total.start();
  sinceTick.start();
  tick.start(0);
  bar.FindNext();
  application.exec();
  std::printf("%zu rows: search without a match %lld ms, longest wait of the event loop %lld ms\n",
              window.session().log().size(), static_cast<long long>(total.elapsed()),
              static_cast<long long>(longestWait));
  return 0;
}
