#include "ui/app/settings_notice.h"

#include <QTimer>
#include <QWidget>

#include "core/app/settings_store.h"
#include "core/platform/registry_store.h"
#include "core/platform/visible_text.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {

SettingsNotice::SettingsNotice(QWidget& owner, app::SettingsStore* store,
                               platform::RegistryStore* registry)
    : QObject(&owner), owner_(owner), store_(store), registry_(registry) {
  if (store_ != nullptr) {
    store_->SetWriteFailureListener([this](app::SettingsProblem problem) {
      if (std::exchange(settingsTold_, true)) return;
      TellSoon(app::SettingsAccess::kSave, problem, store_->filePath());
    });
  }
  if (registry_ != nullptr) {
    registry_->SetWriteFailureListener([this] {
      if (std::exchange(registryTold_, true)) return;
      TellSoon(app::SettingsAccess::kSave, app::WriteProblemOf(registry_->filePath()),
               registry_->filePath());
    });
  }
}

SettingsNotice::~SettingsNotice() {
  if (store_ != nullptr) store_->SetWriteFailureListener({});
  if (registry_ != nullptr) registry_->SetWriteFailureListener({});
}

void SettingsNotice::CheckAtStart() {
  if (store_ == nullptr) return;
  const app::SettingsProblem problem = app::ReadProblemOf(store_->filePath());
  if (problem == app::SettingsProblem::kNone || std::exchange(settingsTold_, true)) return;
  TellSoon(app::SettingsAccess::kRead, problem, store_->filePath());
}

void SettingsNotice::TellSoon(app::SettingsAccess access, app::SettingsProblem problem,
                              const std::string& path) {
  // The path as the user can read it: a hostile name shows its control bytes escaped.
  const QString text =
      ToQString(app::SettingsProblemText(access, problem, platform::VisibleText(path)));
  pending_ += pending_.isEmpty() ? text : QStringLiteral("\n\n") + text;
  QTimer::singleShot(0, this, &SettingsNotice::ShowPending);
}

void SettingsNotice::ShowPending() {
  if (pending_.isEmpty()) return;
  const QString text = std::exchange(pending_, QString());
  Dialogs::Message(&owner_, QMessageBox::Warning, QString(), text);
}

}  // namespace tavrek::ui
