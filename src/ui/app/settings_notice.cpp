#include "ui/app/settings_notice.h"

#include <QTimer>
#include <QWidget>

#include "core/app/settings_store.h"
#include "core/platform/visible_text.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {

SettingsNotice::SettingsNotice(QWidget& owner, app::SettingsStore* store)
    : QObject(&owner), owner_(owner), store_(store) {
  if (store_ == nullptr) return;
  store_->SetWriteFailureListener(
      [this](app::SettingsProblem problem) { TellSoon(app::SettingsAccess::kSave, problem); });
}

SettingsNotice::~SettingsNotice() {
  if (store_ != nullptr) store_->SetWriteFailureListener({});
}

void SettingsNotice::CheckAtStart() {
  if (store_ == nullptr) return;
  const app::SettingsProblem problem = app::ReadProblemOf(store_->filePath());
  if (problem != app::SettingsProblem::kNone) TellSoon(app::SettingsAccess::kRead, problem);
}

void SettingsNotice::TellSoon(app::SettingsAccess access, app::SettingsProblem problem) {
  if (told_) return;
  told_ = true;
  // The path as the user can read it: a hostile name shows its control bytes escaped.
  const QString text =
      ToQString(app::SettingsProblemText(access, problem, platform::VisibleText(store_->filePath())));
  QTimer::singleShot(0, this, [this, text] {
    Dialogs::Message(&owner_, QMessageBox::Warning, QString(), text);
  });
}

}  // namespace tavrek::ui
