#include "ui/setups/setup_io.h"

#include "core/app/command_ids.h"
#include "core/setups/document_file.h"
#include "ui/app/dialogs.h"
#include "ui/app/text.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

const QString kReadFailed =
    QStringLiteral("Fehler, beim Öffnen der Quelldatei.\nRead failed, Source file.\n%1");
const QString kWriteFailed =
    QStringLiteral("Fehler, beim Öffnen der Zieldatei.\nWrite failed, Target file.\n%1");
const QString kOverwriteQuestion =
    QStringLiteral("%1\nDiese Datei ist bereits vorhanden.\nDatei überschreiben ?");

bool MayReplace(WatchWindow& window, const std::string& target) {
  const auto answer = Dialogs::Message(&window, QMessageBox::Question, QString(),
                                       kOverwriteQuestion.arg(ToQString(target)),
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  return answer == QMessageBox::Yes;
}

}  // namespace

bool LoadSetup(WatchWindow& window, const QString& path, bool reportMissing) {
  const setups::DocumentRead read = setups::ReadSetupDocument(ToUtf8(path));
  if (read.status != setups::DocumentStatus::Ok) {
    if (reportMissing) {
      Dialogs::Message(&window, QMessageBox::Critical, QString(), kReadFailed.arg(path));
    }
    return false;
  }
  window.session().Apply(read.document.setup);
  window.FlushViews();
  if (read.document.startWatch != 0) window.HandleCommand(app::command::kStartStop);
  return true;
}

bool SaveSetup(WatchWindow& window, const QString& path, bool noPrompt, int startWatch) {
  const setups::SetupDocument document{window.session().Setup(), startWatch};
  window.session().ResetFilteredCount();
  window.FlushViews();
  const std::string target = setups::CompleteSetupExtension(ToUtf8(path));
  if (!noPrompt && setups::SetupTargetExists(target) && !MayReplace(window, target)) return false;
  if (!setups::WriteSetupDocument(target, document)) {
    Dialogs::Message(&window, QMessageBox::Critical, QString(), kWriteFailed.arg(ToQString(target)));
    return false;
  }
  return true;
}

}  // namespace tavrek::ui
