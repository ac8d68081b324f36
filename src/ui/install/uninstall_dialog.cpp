#include "ui/install/uninstall_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/control_ids.h"
#include "core/app/identity.h"
#include "core/install/install_texts.h"
#include "core/install/uninstaller.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/install/install_widgets.h"

namespace tavrek::ui {
namespace {

namespace control = app::control;
constexpr int kListMinimumWidth = 420;  // a whole list path fits

}  // namespace

UninstallDialog::UninstallDialog(UninstallDialogContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
  setWindowTitle(QStringLiteral("Uninstall ") + ToQString(app::kProductName));
  setWindowIcon(ProgramIcon());
  auto* question = new QLabel(ToQString(install::UninstallQuestion(context_.systemText)), this);
  question->setObjectName(QString::number(control::kUninstallQuestion));
  auto* list = IdEdit(ToQString(context_.listPath), control::kUninstallListPath, this);
  list->setReadOnly(true);
  list->setMinimumWidth(kListMinimumWidth);
  auto* ok = IdButton(QStringLiteral("OK"), control::kSetupOk, this);
  auto* cancel = IdButton(QStringLiteral("&Abbrechen"), control::kSetupCancel, this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &UninstallDialog::UninstallNow);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addWidget(list);
  layout->addLayout(buttons);
}

bool UninstallDialog::UninstallNow() {
  const install::UninstallReport report = install::Uninstall(
      context_.listPath, context_.user, context_.desktopFolder, *context_.registry);
  attempted_ = attempted_ || report.listRead;
  if (!report.failure.empty()) {
    Dialogs::Message(nullptr, report.listRead ? QMessageBox::Warning : QMessageBox::NoIcon,
                     QString(), ToQString(report.failure));
  }
  if (!report.ran) return false;
  uninstalled_ = true;
  accept();
  return true;
}

}  // namespace tavrek::ui
