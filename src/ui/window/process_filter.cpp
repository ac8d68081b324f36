#include "ui/window/process_filter.h"

#include <QComboBox>
#include <QLabel>
#include <QTableView>

#include "core/app/control_ids.h"
#include "core/app/identity.h"
#include "core/engine/watch_session.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/window/change_log_model.h"
#include "ui/window/control_states.h"
#include "ui/window/filter_dialog.h"

namespace tavrek::ui {
namespace {

// The filter dialog speaks of processes instead of files.
void SpeakOfProcesses(FilterDialog& dialog) {
  dialog.setWindowTitle(ToQString(app::kProductName) + QStringLiteral(" Prozessfilter"));
  for (auto* label : dialog.findChildren<QLabel*>()) {
    if (label->property(kControlIdProperty).toInt() != app::control::kFilterDialogPrompt) continue;
    label->setText(QStringLiteral("Als Trennzeichen \";\" verwenden (z.B touch;cp*;) "));
  }
  dialog.modeBox()->setItemText(kFilterModeIncludeIndex, QStringLiteral(">> Nur diese Prozesse Protokollieren"));
  dialog.modeBox()->setItemText(kFilterModeExcludeIndex, QStringLiteral(">> Diese Prozesse nicht Protokollieren "));
}

}  // namespace

std::string MarkedProcessName(const QTableView& log, const ChangeLogModel& model,
                              const engine::WatchSession& session) {
  const QModelIndex current = log.currentIndex();
  if (!current.isValid() || current.row() >= model.rowCount()) return {};
  return std::string(session.log().ProcessName(model.LogIndex(current.row())));
}

void OpenProcessFilterDialog(QWidget& owner, engine::WatchSession& session, const QString& pattern) {
  auto answer = Dialogs::AskFilter([&]() -> std::optional<FilterDialogAnswer> {
    FilterDialog dialog(pattern, &owner);
    SpeakOfProcesses(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.answer();
  });
  if (!answer || answer->text.isEmpty()) return;
  session.AddProcessFilterText(ToUtf8(answer->text), answer->modeIndex == kFilterModeExcludeIndex);
}

}  // namespace tavrek::ui
