// The watch window's search over the change log and its filter by process.
#include <QLineEdit>
#include <QTableView>
#include <QToolBar>

#include "ui/lists/list_menu.h"
#include "ui/window/change_log_model.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/process_filter.h"
#include "ui/window/session_bridge.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {

void WatchWindow::CreateLogSearch() {
  searchBar_ = new LogSearchBar(*log_, *logModel_, session_->log(), [this] { FlushViews(); }, this);
  searchBar_->AddShortcuts(*this);
  connect(bridge_, &SessionBridge::logCleared, searchBar_, &LogSearchBar::Cancel);
}

void WatchWindow::AddProcessHooks(ListMenuHooks& hooks) {
  hooks.markedProcess = [this] { return MarkedProcessName(*log_, *logModel_, *session_); };
  hooks.filterProcess = [this](const QString& pattern) {
    OpenProcessFilterDialog(*this, *session_, pattern);
    FlushViews();
  };
}

}  // namespace tavrek::ui
