#include "ui/window/folder_watch_choice.h"

#include <QMenu>

#include "core/app/command_ids.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

constexpr int kFirstValue = app::menu_choice::kFolderWatchChoiceFirst;

// The choice all rows share, or nothing when they differ.
std::optional<engine::BackendType> SharedChoice(const engine::WatchSession& session,
                                                const std::vector<size_t>& rows) {
  const engine::BackendType first = session.WatchChoiceOf(rows.front());
  for (size_t row : rows) {
    if (session.WatchChoiceOf(row) != first) return std::nullopt;
  }
  return first;
}

}  // namespace

void AddWatchChoiceMenu(QMenu& menu, const engine::WatchSession& session,
                        const std::vector<size_t>& rows) {
  if (rows.empty()) return;
  const auto shared = SharedChoice(session, rows);
  menu.addSeparator();
  QMenu* choices = menu.addMenu(ToQString(engine::kWatchChoiceMenuText));
  for (size_t index = 0; index < engine::kWatchChoices.size(); ++index) {
    const engine::BackendType choice = engine::kWatchChoices[index];
    QAction* entry = choices->addAction(ToQString(engine::WatchChoiceText(choice)));
    entry->setData(kFirstValue + static_cast<int>(index));
    entry->setCheckable(true);
    entry->setChecked(shared == choice);
  }
}

bool TakeWatchChoice(int value, engine::WatchSession& session, const std::vector<size_t>& rows) {
  const int index = value - kFirstValue;
  if (index < 0 || index >= static_cast<int>(engine::kWatchChoices.size())) return false;
  session.SetWatchChoice(rows, engine::kWatchChoices[static_cast<size_t>(index)]);
  return true;
}

QString WithWatchChoiceTip(const QString& tip, engine::BackendType choice) {
  const QString line = ToQString(engine::WatchChoiceTip(choice));
  if (line.isEmpty()) return tip;
  return tip.isEmpty() ? line : tip + QLatin1Char('\n') + line;
}

}  // namespace tavrek::ui
