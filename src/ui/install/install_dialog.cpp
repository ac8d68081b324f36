#include "ui/install/install_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/control_ids.h"
#include "core/app/identity.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/install/install_questions.h"
#include "ui/install/install_widgets.h"

namespace tavrek::ui {
namespace {

namespace control = app::control;
constexpr double kTitleScale = 1.2;
constexpr int kFolderColumnWidth = 200;

QString Name() { return ToQString(app::kProductName); }

}  // namespace

InstallDialog::InstallDialog(InstallDialogContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
  setWindowTitle(QStringLiteral("Quick Install ") + Name());
  setWindowIcon(ProgramIcon());
  auto* title = new QLabel(QStringLiteral("Quick Installer"), this);
  QFont font = title->font();
  font.setPointSizeF(font.pointSizeF() * kTitleScale);
  font.setItalic(true);
  title->setFont(font);

  auto* install = IdButton(QStringLiteral("Install"), control::kSetupOk, this);
  auto* cancel = IdButton(QStringLiteral("Abbrechen"), control::kSetupCancel, this);
  install->setDefault(true);
  connect(install, &QPushButton::clicked, this, &InstallDialog::InstallNow);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(install);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(BuildTargets());
  layout->addWidget(BuildChoices());
  layout->addLayout(buttons);
  FillFolderList();
}

QWidget* InstallDialog::BuildChoices() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  desktop_ = IdCheck(QStringLiteral("Desktop"), control::kInstallDesktop, true, box);
  programBar_ = IdCheck(QStringLiteral("Programmleiste"), control::kInstallProgramBar, true, box);
  programBar_->setEnabled(false);
  startMenu_ = IdCheck(QStringLiteral("Startleiste"), control::kInstallStartMenu, true, box);
  // Linux has no quick-launch bar: the box shows the usual choice but makes nothing.
  quickLaunch_ =
      IdCheck(QStringLiteral("Schnellstartleiste"), control::kInstallQuickLaunch, true, box);
  quickLaunch_->setEnabled(false);
  startProgram_ =
      IdCheck(QStringLiteral("Programm starten"), control::kInstallStartProgram, true, box);
  showInformation_ = IdCheck(QStringLiteral("Programminformationen anzeigen"),
                             control::kInstallShowInformation, false, box);
  grid->addWidget(desktop_, 0, 0);
  grid->addWidget(programBar_, 1, 0);
  grid->addWidget(startMenu_, 2, 0);
  grid->addWidget(quickLaunch_, 3, 0);
  grid->addWidget(startProgram_, 0, 1);
  grid->addWidget(showInformation_, 1, 1);
  return box;
}

QWidget* InstallDialog::BuildTargets() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  allUsers_ = IdRadio(QStringLiteral("alle Benutzer an diesem Computer"),
                      control::kInstallAllUsers, box);
  onlyMe_ = IdRadio(QStringLiteral("nur für &mich (%1)").arg(ToQString(context_.userName)),
                    control::kInstallOnlyMe, box);
  (context_.isRoot ? allUsers_ : onlyMe_)->setChecked(true);
  allUsers_->setEnabled(!context_.userName.empty());
  onlyMe_->setEnabled(!context_.userName.empty());
  connect(allUsers_, &QRadioButton::toggled, this, &InstallDialog::FillFolderList);
  groupName_ = IdEdit(Name(), control::kInstallGroupName, box);
  target_ = IdEdit(QString(), control::kInstallTarget, box);
  auto* change = IdButton(QStringLiteral("Än&dern"), control::kInstallChange, box);
  connect(change, &QPushButton::clicked, this, &InstallDialog::ChangeTarget);
  folders_ = new QListWidget(box);
  folders_->setObjectName(QString::number(control::kInstallFolderList));
  folders_->setMinimumWidth(kFolderColumnWidth);
  grid->addWidget(allUsers_, 0, 0, 1, 3);
  grid->addWidget(onlyMe_, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Programmgruppe"), box), 2, 0);
  grid->addWidget(groupName_, 2, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Zielverzeichnis"), box), 3, 0);
  grid->addWidget(target_, 3, 1);
  grid->addWidget(change, 3, 2);
  grid->addWidget(folders_, 4, 0, 1, 3);
  return box;
}

install::InstallFolders InstallDialog::Folders() const {
  const auto scope = allUsers_->isChecked() ? install::InstallScope::AllUsers
                                            : install::InstallScope::OnlyMe;
  return install::FoldersForScope(scope, context_.user, context_.desktopFolder);
}

void InstallDialog::FillFolderList() {
  const install::InstallFolders folders = Folders();
  target_->setText(ToQString(install::DefaultTargetFolder(folders)));
  folders_->clear();
  const QDir programFiles(ToQString(folders.programFiles));
  folders_->addItems(programFiles.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted));
}

void InstallDialog::ChangeTarget() {
  const QString above = QDir::cleanPath(target_->text() + QStringLiteral("/.."));
  const auto chosen = Dialogs::ChooseFolder(this, windowTitle(), QString(), above);
  if (chosen) target_->setText(ToQString(install::TargetBelow(ToUtf8(chosen->path))));
}

install::InstallChoices InstallDialog::Choices() const {
  install::InstallChoices choices;
  choices.scope = allUsers_->isChecked() ? install::InstallScope::AllUsers
                                         : install::InstallScope::OnlyMe;
  choices.targetFolder = ToUtf8(target_->text());
  choices.groupName = ToUtf8(groupName_->text());
  choices.desktop = desktop_->isChecked();
  choices.startMenu = startMenu_->isChecked();
  choices.startProgram = startProgram_->isChecked();
  choices.showInformation = showInformation_->isChecked();
  return choices;
}

void InstallDialog::InstallNow() {
  hide();
  DialogQuestions questions(this);
  report_ = install::Install(Choices(), Folders(), context_.programPath, questions, context_.isRoot);
  accept();
}

}  // namespace tavrek::ui
