#pragma once
// Filtering the change log by the process behind its rows: the marked row's
// command name for the log's menu, and the filter dialog that turns a
// proposed process pattern into process rows of the session's filter.
#include <QString>
#include <string>

class QTableView;
class QWidget;

namespace tavrek::engine {
class WatchSession;
}

namespace tavrek::ui {

class ChangeLogModel;

// The command name of the log's marked row; empty without a marked row or
// when the row's process is not known.
std::string MarkedProcessName(const QTableView& log, const ChangeLogModel& model,
                              const engine::WatchSession& session);

// The filter dialog for processes, with `pattern` proposed; what the user
// confirms goes to the session as process rows. Nothing when cancelled.
void OpenProcessFilterDialog(QWidget& owner, engine::WatchSession& session, const QString& pattern);

}  // namespace tavrek::ui
