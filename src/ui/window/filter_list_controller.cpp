#include "ui/window/filter_list_controller.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>
#include <functional>

#include "core/app/command_ids.h"
#include "core/app/settings_store.h"
#include "core/engine/file_filter.h"
#include "core/window/view_settings.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/window/filter_dialog.h"
#include "ui/window/session_bridge.h"
#include "ui/window/view_look.h"

namespace tavrek::ui {
namespace {

namespace choice = app::menu_choice;

const QString kDefaultFilterText = QStringLiteral("*.");
constexpr int kFilterPatternWidth = 100;
constexpr int kFilterTypeWidth = 140;

// The filter list's type column shows the longer of its two texts whole.
constexpr int kCellPadding = 16;
int FilterTypeTextWidth(const QWidget& list) {
  const QFontMetrics metrics(list.font());
  return kCellPadding + std::max(metrics.horizontalAdvance(ToQString(engine::kFilterTypeExclude)),
                                 metrics.horizontalAdvance(ToQString(engine::kFilterTypeInclude)));
}

// The pattern cell of a filter row. Its check box shows the session's row: a
// click asks the session to change it and the cell stays as it is until the
// session tells the list what it now holds.
class FilterPatternItem : public QTableWidgetItem {
 public:
  using Toggle = std::function<void(int row, bool checked)>;

  FilterPatternItem(const engine::FilterRow& row, Toggle toggle)
      : QTableWidgetItem(ShownName(row.pattern)) {
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

void PrepareFilterList(QTableWidget& list, const QFont& font) {
  list.setColumnCount(2);
  list.setHorizontalHeaderLabels({QStringLiteral("Filter"), QStringLiteral("Typ")});
  list.setColumnWidth(0, Scaled(kFilterPatternWidth, font));
  list.setColumnWidth(1, std::max(Scaled(kFilterTypeWidth, font), FilterTypeTextWidth(list)));
  // The patterns take the room left, and never less than half their width.
  list.horizontalHeader()->setMinimumSectionSize(Scaled(kFilterPatternWidth, font) / 2);
  list.horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  PrepareTable(list);
  list.setShowGrid(true);
}

}  // namespace

FilterListController::FilterListController(QWidget& owner, FilterControls controls,
                                           engine::WatchSession& session, SessionBridge& bridge,
                                           app::SettingsStore* settings)
    : QObject(&owner), owner_(owner), controls_(controls), session_(session), bridge_(bridge), settings_(settings) {
  PrepareFilterList(*controls_.list, owner_.font());
  connect(controls_.list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowMenu(controls_.list->viewport()->mapToGlobal(at));
  });
  connect(&bridge_, &SessionBridge::filteredCountChanged, this, &FilterListController::RefreshFilteredCount);
  AddDeleteKey(*controls_.list, [this] { RemoveMarked(); });
  connect(&bridge_, &SessionBridge::setupChanged, this, [this] {
    RefreshList();
    RefreshLogFilterCaption();
  });
}

void FilterListController::ShowMenu(const QPoint& globalPosition) {
  QMenu menu(&owner_);
  menu.addAction(QStringLiteral("Hinzufügen"))->setData(choice::kFilterAdd);
  menu.addAction(QStringLiteral("Markierte entfernen"))->setData(choice::kFilterRemoveMarked);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Alle entfernen"))->setData(choice::kFilterRemoveAll);
  switch (Dialogs::PopupMenu(menu, globalPosition)) {
    case choice::kFilterAdd: OpenFilterDialog({}); break;
    case choice::kFilterRemoveMarked: RemoveMarked(); break;
    case choice::kFilterRemoveAll: RemoveAll(); break;
    default: break;
  }
}

void FilterListController::OpenFilterDialog(const QString& givenText) {
  const bool remember = givenText.isEmpty();
  QString text = givenText;
  if (remember && settings_) text = ToQString(window::LoadFilterText(*settings_));
  if (text.isEmpty()) text = kDefaultFilterText;
  auto answer = Dialogs::AskFilter([&]() -> std::optional<FilterDialogAnswer> {
    FilterDialog dialog(text, &owner_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.answer();
  });
  if (!answer) return;
  if (remember && settings_) window::SaveFilterText(*settings_, ToUtf8(answer->text));
  if (!answer->text.isEmpty()) {
    session_.AddFilterText(ToUtf8(answer->text), answer->modeIndex == kFilterModeExcludeIndex);
  }
  bridge_.Tick();
}

void FilterListController::RemoveMarked() {
  std::vector<size_t> rows;
  for (const QModelIndex& index : controls_.list->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<size_t>(index.row()));
  }
  session_.RemoveFilterRows(std::move(rows));
  bridge_.Tick();
}

void FilterListController::RemoveAll() {
  session_.RemoveAllFilterRows();
  bridge_.Tick();
}

void FilterListController::RefreshList() {
  const auto& rows = session_.filterRows();
  controls_.list->setRowCount(static_cast<int>(rows.size()));
  for (size_t row = 0; row < rows.size(); ++row) {
    // The list follows when told; it is not rebuilt inside the click.
    auto* pattern = new FilterPatternItem(rows[row], [this](int at, bool checked) {
      if (at >= 0) session_.SetFilterRowChecked(static_cast<size_t>(at), checked);
    });
    auto* type = new QTableWidgetItem(ToQString(engine::FilterTypeText(rows[row].kind)));
    type->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    controls_.list->setItem(static_cast<int>(row), 0, pattern);
    controls_.list->setItem(static_cast<int>(row), 1, type);
  }
}

void FilterListController::RefreshFilteredCount() {
  controls_.filteredCount->setText(ToQString(session_.FilteredCountText()));
}

void FilterListController::ShowLogFilterMenu() {
  QMenu menu(&owner_);
  const bool logOnly = session_.logFilterMode() == engine::LogFilterMode::kLogOnlyThese;
  QAction* doNotLog = menu.addAction(QStringLiteral("Diese Dateien nicht Protokollieren"));
  doNotLog->setData(choice::kLogFilterDoNotLog);
  QAction* logOnlyThese = menu.addAction(QStringLiteral("Nur diese Dateien Protokollieren"));
  logOnlyThese->setData(choice::kLogFilterLogOnly);
  (logOnly ? logOnlyThese : doNotLog)->setCheckable(true);
  (logOnly ? logOnlyThese : doNotLog)->setChecked(true);
  QToolBar& toolbar = *controls_.toolbar;
  QWidget* button = toolbar.widgetForAction(controls_.modeAction);
  const QPoint at = (button ? button : &toolbar)->mapToGlobal(QPoint(0, toolbar.height()));
  const int chosen = Dialogs::PopupMenu(menu, at);
  if (chosen == choice::kLogFilterDoNotLog) session_.SetLogFilterMode(engine::LogFilterMode::kDoNotLogThese);
  if (chosen == choice::kLogFilterLogOnly) session_.SetLogFilterMode(engine::LogFilterMode::kLogOnlyThese);
  bridge_.Tick();
}

void FilterListController::RefreshLogFilterCaption() { controls_.modeAction->setText(logFilterCaption()); }

QString FilterListController::logFilterCaption() const {
  return ToQString(engine::LogFilterCaption(session_.logFilterMode()));
}

}  // namespace tavrek::ui
