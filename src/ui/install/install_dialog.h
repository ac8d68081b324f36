#pragma once
// The install dialog: where to put the program, which entries to make, for
// whom. "Install" runs the core installation with the dialog's message boxes
// answering its questions.
#include <QDialog>
#include <string>

#include "core/app/desktop_folders.h"
#include "core/install/installer.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tavrek::ui {

struct InstallDialogContext {
  app::DesktopFolders user;
  std::string desktopFolder;
  std::string userName;  // empty when it could not be had
  bool isRoot = false;
  std::string programPath;
};

class InstallDialog : public QDialog {
 public:
  explicit InstallDialog(InstallDialogContext context, QWidget* parent = nullptr);

  // The choices as the controls show them.
  install::InstallChoices Choices() const;
  const install::InstallReport& report() const { return report_; }
  // The "Install" button.
  void InstallNow();
  void ChangeTarget();
  void FillFolderList();

 private:
  QWidget* BuildChoices();
  QWidget* BuildTargets();
  install::InstallFolders Folders() const;

  InstallDialogContext context_;
  install::InstallReport report_;
  QCheckBox* desktop_ = nullptr;
  QCheckBox* programBar_ = nullptr;
  QCheckBox* startMenu_ = nullptr;
  QCheckBox* startProgram_ = nullptr;
  QCheckBox* showInformation_ = nullptr;
  QCheckBox* quickLaunch_ = nullptr;
  QRadioButton* allUsers_ = nullptr;
  QRadioButton* onlyMe_ = nullptr;
  QLineEdit* groupName_ = nullptr;
  QLineEdit* target_ = nullptr;
  QListWidget* folders_ = nullptr;
};

}  // namespace tavrek::ui
