// The watch window's file filter: the filter list, its menu, the filter
// dialog and the log filter mode.
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QToolBar>
#include <functional>

#include "core/app/command_ids.h"
#include "core/app/settings_store.h"
#include "core/window/view_settings.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/window/filter_dialog.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace choice = app::menu_choice;
namespace cmd = app::command;

const QString kDefaultFilterText = QStringLiteral("*.");

// The pattern cell of a filter row. Its check box shows the session's row: a
// click asks the session to change it and the cell stays as it is until the
// session tells the list what it now holds.
class FilterPatternItem : public QTableWidgetItem {
 public:
  using Toggle = std::function<void(int row, bool checked)>;

  FilterPatternItem(const engine::FilterRow& row, Toggle toggle)
      : QTableWidgetItem(ToQString(row.pattern)) {
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    QTableWidgetItem::setData(Qt::CheckStateRole, row.checked ? Qt::Checked : Qt::Unchecked);
    toggle_ = std::move(toggle);
  }

  void setData(int role, const QVariant& value) override {
    if (role != Qt::CheckStateRole || !toggle_) {
      QTableWidgetItem::setData(role, value);
      return;
    }
    toggle_(row(), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
  }

 private:
  Toggle toggle_;
};

}  // namespace

void WatchWindow::ShowFilterListMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Hinzufügen"))->setData(choice::kFilterAdd);
  menu.addAction(QStringLiteral("Markierte entfernen"))->setData(choice::kFilterRemoveMarked);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Alle entfernen"))->setData(choice::kFilterRemoveAll);
  switch (Dialogs::PopupMenu(menu, globalPosition)) {
    case choice::kFilterAdd: HandleCommand(cmd::kAddFilter); break;
    case choice::kFilterRemoveMarked: RemoveMarkedFilters(); break;
    case choice::kFilterRemoveAll: RemoveAllFilters(); break;
    default: break;
  }
}

// With a given text (a path proposed from a list) the stored text is neither
// read nor written.
void WatchWindow::OpenFilterDialog(const QString& givenText) {
  const bool remember = givenText.isEmpty();
  QString text = givenText;
  if (remember && context_.settings) {
    text = ToQString(window::LoadFilterText(*context_.settings));
  }
  if (text.isEmpty()) text = kDefaultFilterText;
  auto answer = Dialogs::AskFilter([&]() -> std::optional<FilterDialogAnswer> {
    FilterDialog dialog(text, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.answer();
  });
  if (!answer) return;
  if (remember && context_.settings) {
    window::SaveFilterText(*context_.settings, ToUtf8(answer->text));
  }
  if (!answer->text.isEmpty()) {
    session_->AddFilterText(ToUtf8(answer->text), answer->modeIndex == kFilterModeExcludeIndex);
  }
  FlushViews();
}

void WatchWindow::RemoveMarkedFilters() {
  std::vector<size_t> rows;
  for (const QModelIndex& index : filterList_->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<size_t>(index.row()));
  }
  session_->RemoveFilterRows(std::move(rows));
  FlushViews();
}

void WatchWindow::RemoveAllFilters() {
  session_->RemoveAllFilterRows();
  FlushViews();
}

void WatchWindow::RefreshFilterList() {
  const auto& rows = session_->filterRows();
  filterList_->setRowCount(static_cast<int>(rows.size()));
  for (size_t row = 0; row < rows.size(); ++row) {
    // The list follows when told; it is not rebuilt inside the click.
    auto* pattern = new FilterPatternItem(rows[row], [this](int at, bool checked) {
      if (at >= 0) session_->SetFilterRowChecked(static_cast<size_t>(at), checked);
    });
    auto* type = new QTableWidgetItem(ToQString(engine::FilterTypeText(rows[row].kind)));
    type->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    filterList_->setItem(static_cast<int>(row), 0, pattern);
    filterList_->setItem(static_cast<int>(row), 1, type);
  }
}

void WatchWindow::RefreshFilteredCount() {
  filteredCount_->setText(ToQString(session_->FilteredCountText()));
}

void WatchWindow::ShowLogFilterMenu() {
  QMenu menu(this);
  const bool logOnly = session_->logFilterMode() == engine::LogFilterMode::kLogOnlyThese;
  QAction* doNotLog = menu.addAction(QStringLiteral("Diese Dateien nicht Protokollieren"));
  doNotLog->setData(choice::kLogFilterDoNotLog);
  QAction* logOnlyThese = menu.addAction(QStringLiteral("Nur diese Dateien Protokollieren"));
  logOnlyThese->setData(choice::kLogFilterLogOnly);
  (logOnly ? logOnlyThese : doNotLog)->setCheckable(true);
  (logOnly ? logOnlyThese : doNotLog)->setChecked(true);
  QWidget* button = filterToolbar_->widgetForAction(ToolbarAction(cmd::kLogFilterMenu));
  const QPoint at = (button ? button : filterToolbar_)->mapToGlobal(QPoint(0, filterToolbar_->height()));
  const int chosen = Dialogs::PopupMenu(menu, at);
  if (chosen == choice::kLogFilterDoNotLog) session_->SetLogFilterMode(engine::LogFilterMode::kDoNotLogThese);
  if (chosen == choice::kLogFilterLogOnly) session_->SetLogFilterMode(engine::LogFilterMode::kLogOnlyThese);
  FlushViews();
}

void WatchWindow::RefreshLogFilterCaption() {
  ToolbarAction(cmd::kLogFilterMenu)->setText(logFilterCaption());
}

QString WatchWindow::logFilterCaption() const {
  return ToQString(engine::LogFilterCaption(session_->logFilterMode()));
}

}  // namespace tavrek::ui
