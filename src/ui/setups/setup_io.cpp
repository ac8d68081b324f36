#include "ui/setups/setup_io.h"

#include "core/engine/watch_session.h"
#include "core/platform/file_io.h"
#include "core/setups/document_file.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/setups/setup_host.h"

namespace tavrek::ui {
namespace {

const QString kReadFailed =
    QStringLiteral("Fehler, beim Öffnen der Quelldatei.\nRead failed, Source file.\n%1");
const QString kWriteFailed =
    QStringLiteral("Fehler, beim Öffnen der Zieldatei.\nWrite failed, Target file.\n%1");
const QString kWriteProtected = QStringLiteral("\n") + ToQString(platform::kWriteProtectedText);
const QString kOverwriteQuestion =
    QStringLiteral("%1\nDiese Datei ist bereits vorhanden.\nDatei überschreiben ?");
const QString kLeftOut = QStringLiteral("%1\nNicht gespeichert:\n%2");
const QString kNotLoaded = QStringLiteral("%1\nNicht geladen:\n%2");
// Notes named one by one in a message; the rest are counted.
constexpr size_t kNotesShown = 15;

// What a save left out or a load did not take, one line each.
void ShowNotes(SetupHost& window, const QString& text, const std::string& path,
               const std::vector<setups::DocumentNote>& notes) {
  if (notes.empty()) return;
  QStringList lines;
  for (const std::string& line :
       setups::DescribeNotes(notes, setups::NoteLanguage::German, kNotesShown)) {
    lines << ToQString(line);
  }
  Dialogs::Message(window.hostWidget(), QMessageBox::Warning, QString(),
                   text.arg(ToQString(path), lines.join(QLatin1Char('\n'))));
}

bool MayReplace(SetupHost& window, const std::string& target) {
  const auto answer = Dialogs::Message(window.hostWidget(), QMessageBox::Question, QString(),
                                       kOverwriteQuestion.arg(ToQString(target)),
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  return answer == QMessageBox::Yes;
}

}  // namespace

std::optional<setups::DocumentRead> ReadSetupOrSay(QWidget* owner, const QString& path,
                                                   bool report) {
  setups::DocumentRead read = setups::ReadSetupDocument(ToUtf8(path));
  if (read.status == setups::DocumentStatus::Ok) return read;
  if (report) {
    QString text = kReadFailed.arg(path);
    const std::string reason = setups::GermanStatusReason(read.status);
    if (!reason.empty()) text += QLatin1Char('\n') + ToQString(reason);
    Dialogs::Message(owner, QMessageBox::Critical, QString(), text);
  }
  return std::nullopt;
}

bool LoadSetup(SetupHost& window, const QString& path, bool reportMissing) {
  const auto read = ReadSetupOrSay(window.hostWidget(), path, reportMissing);
  if (read) ApplySetup(window, path, *read);
  return read.has_value();
}

void ApplySetup(SetupHost& window, const QString& path, const setups::DocumentRead& read) {
  window.session().Apply(read.document.setup);
  window.FlushViews();
  ShowNotes(window, kNotLoaded, ToUtf8(path), read.notLoaded);
  if (read.document.startWatch != 0) window.PressStartStop();
}

bool SaveSetup(SetupHost& window, const QString& path, bool noPrompt, int startWatch) {
  const setups::SetupDocument document{window.session().Setup(), startWatch};
  window.session().ResetFilteredCount();
  window.FlushViews();
  const std::string target = setups::CompleteSetupExtension(ToUtf8(path));
  if (!noPrompt && setups::SetupTargetExists(target) && !MayReplace(window, target)) return false;
  const setups::DocumentWrite write = setups::WriteSetupDocument(target, document);
  if (!write.written) {
    QString text = kWriteFailed.arg(ToQString(target));
    if (platform::IsWriteProtected(target)) text += kWriteProtected;
    Dialogs::Message(window.hostWidget(), QMessageBox::Critical, QString(), text);
    return false;
  }
  ShowNotes(window, kLeftOut, target, write.leftOut);
  return true;
}

}  // namespace tavrek::ui
