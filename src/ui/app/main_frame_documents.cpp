// The frame's road to watch-setup documents: "Ö&ffnen..." loads one into a
// new watch window, "S&peichern" writes the active window's setup.
#include "core/setups/setup_document.h"
#include "ui/app/main_frame.h"
#include "ui/app/window_captions.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/setups/setup_io.h"

namespace tavrek::ui {
namespace {

const QString kDocumentFilter = QStringLiteral("Tavrek (*.tvk)");
const QString kOpenCaption = QStringLiteral("Öffnen");
const QString kSaveCaption = QStringLiteral("Speichern unter");

}  // namespace

// What the window does with command 10000, with the caption following.
bool MainFrame::LoadDocument(WatchWindow& window, const QString& path) {
  if (!LoadSetup(window, path, true)) return false;
  captions_->DocumentLoaded(window, path);
  return true;
}

// A document opened here is counted as a command line's is: the run's first
// window is maximised whichever way it came.
void MainFrame::ChooseAndOpenDocument() {
  const std::optional<QString> path =
      Dialogs::ChooseFile(this, Dialogs::FileMode::Open, kOpenCaption, kDocumentFilter);
  if (path) OpenDocument(*path);
}

// The document resumes the watch as it is now: it starts watching on opening
// when the window watches while it is saved.
void MainFrame::SaveActiveDocument() {
  WatchWindow* window = activeWatchWindow();
  if (!window) return;
  const std::optional<QString> path =
      Dialogs::ChooseFile(this, Dialogs::FileMode::Save, kSaveCaption, kDocumentFilter);
  if (!path || !SaveSetup(*window, *path, false, window->session().watching() ? 1 : 0)) return;
  captions_->DocumentLoaded(*window, ToQString(setups::CompleteSetupExtension(ToUtf8(*path))));
}

}  // namespace tavrek::ui
