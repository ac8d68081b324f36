#pragma once
// The uninstall dialog: asks once, then removes what the uninstall list
// names, the document type and the program's settings key, and says what
// stayed.
#include <QDialog>
#include <string>

#include "core/app/desktop_folders.h"
#include "core/platform/registry_store.h"

namespace tavrek::ui {

struct UninstallDialogContext {
  std::string listPath;
  std::string systemText;  // the operating system, as the watch windows show it
  platform::RegistryStore* registry = nullptr;
  app::DesktopFolders user;  // with the desktop folder: where the installer wrote
  std::string desktopFolder;
};

class UninstallDialog : public QDialog {
 public:
  explicit UninstallDialog(UninstallDialogContext context, QWidget* parent = nullptr);

  // "OK": false (and the dialog stays open, for another try) when the list
  // cannot be read or something the installer made could not be removed.
  bool UninstallNow();
  bool uninstalled() const { return uninstalled_; }
  // Something may have been removed: the desktop's databases need a refresh.
  bool attempted() const { return attempted_; }

 private:
  UninstallDialogContext context_;
  bool uninstalled_ = false;
  bool attempted_ = false;
};

}  // namespace tavrek::ui
