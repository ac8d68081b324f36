#include "ui/app/start_help_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/identity.h"
#include "core/app/start_help_text.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

constexpr int kRowPadding = 6;

}  // namespace

StartHelpWindow::StartHelpWindow(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  const std::vector<std::string> rows = app::StartHelpRows(app::kProductName);
  list_ = new QTableWidget(static_cast<int>(rows.size()), 1, this);
  list_->setHorizontalHeaderLabels({ToQString(app::kStartHelpCaption)});
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + kRowPadding);
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  for (size_t row = 0; row < rows.size(); ++row) {
    list_->setItem(static_cast<int>(row), 0, new QTableWidgetItem(ToQString(rows[row])));
  }
  // The column spans the window and is never narrower than its longest tip.
  const int widest = static_cast<const QAbstractItemView*>(list_)->sizeHintForColumn(0);
  list_->horizontalHeader()->setMinimumSectionSize(std::max(kColumnWidth, widest));
  list_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(list_);
}

}  // namespace tavrek::ui
