#pragma once
// The uninstall dialog: asks once, then removes what the uninstall list
// names, the program's settings key and, through a script, this copy.
#include <QDialog>
#include <string>

#include "core/platform/registry_store.h"

namespace tavrek::ui {

struct UninstallDialogContext {
  std::string listPath;
  std::string systemText;      // the operating system, as the watch windows show it
  std::string runningProgram;  // the temporary copy that runs the uninstall
  platform::RegistryStore* registry = nullptr;
  bool startScript = true;     // tests leave the copy alone
};

class UninstallDialog : public QDialog {
 public:
  explicit UninstallDialog(UninstallDialogContext context, QWidget* parent = nullptr);

  // "OK": false (and the dialog stays open) when the list cannot be read.
  bool UninstallNow();
  bool uninstalled() const { return uninstalled_; }

 private:
  UninstallDialogContext context_;
  bool uninstalled_ = false;
};

}  // namespace tavrek::ui
