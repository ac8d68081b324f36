#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

#include "core/app/control_ids.h"
#include "core/platform/file_io.h"
#include "core/install/install_texts.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/install/install_dialog.h"
#include "ui/install/installer_runner.h"
#include "ui/install/uninstall_dialog.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {
namespace {

namespace fs = std::filesystem;
namespace control = app::control;

template <typename Widget>
Widget* Control(QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

class InstallDialogsTest : public ::testing::Test {
 protected:
  InstallDialogsTest() {
    Dialogs::Reset();
    context_.user = app::DesktopFolders::For(home_.path().string(), "", "");
    context_.desktopFolder = (home_ / "Desktop").string();
    context_.userName = "anna";
    context_.programPath = home_.Write("Tavrek_Install", "program").string();
    fs::create_directories(home_ / ".local/lib/Vorhanden");
  }

  testing::TempFolder home_;
  InstallDialogContext context_;
};

TEST_F(InstallDialogsTest, TheInstallDialogOpensWithItsTextsAndBoxesAndTheAccountsName) {
  InstallDialog dialog(context_);
  EXPECT_FALSE(Control<QCheckBox>(dialog, control::kInstallProgramBar)->isEnabled());
  EXPECT_FALSE(Control<QCheckBox>(dialog, control::kInstallShowInformation)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(dialog, control::kInstallStartMenu)->isChecked());
  EXPECT_EQ(Control<QRadioButton>(dialog, control::kInstallOnlyMe)->text(),
            QStringLiteral("nur für &mich (anna)"));
  EXPECT_TRUE(Control<QRadioButton>(dialog, control::kInstallOnlyMe)->isChecked());
  EXPECT_EQ(Control<QLineEdit>(dialog, control::kInstallTarget)->text(),
            ToQString((home_ / ".local/lib/Tavrek").string()));
  auto* folders = Control<QListWidget>(dialog, control::kInstallFolderList);
  ASSERT_EQ(folders->count(), 1);
  EXPECT_EQ(folders->item(0)->text(), QStringLiteral("Vorhanden"));

  Dialogs::QueueFolderChoice(FolderChoice{ToQString((home_ / "Apps//").string()), false});
  Control<QPushButton>(dialog, control::kInstallChange)->click();
  EXPECT_EQ(Control<QLineEdit>(dialog, control::kInstallTarget)->text(),
            ToQString((home_ / "Apps/Tavrek").string()));

  // The user's name comes from the account, not the environment.
  const testing::ScopedEnvironment user("USER", nullptr);
  const testing::ScopedEnvironment logName("LOGNAME", nullptr);
  const passwd* account = getpwuid(geteuid());
  ASSERT_NE(account, nullptr);
  InstallDialog fromAccount(InstallContextFromEnvironment(context_.programPath));
  auto* onlyMe = Control<QRadioButton>(fromAccount, control::kInstallOnlyMe);
  EXPECT_EQ(onlyMe->text(), QStringLiteral("nur für &mich (%1)").arg(ToQString(account->pw_name)));
  EXPECT_TRUE(onlyMe->isEnabled());
}

TEST_F(InstallDialogsTest, InstallAsksBeforeOverwritingAndAllUsersNeedsRoot) {
  {
    InstallDialog dialog(context_);
    Control<QRadioButton>(dialog, control::kInstallAllUsers)->setChecked(true);
    Control<QPushButton>(dialog, control::kSetupOk)->click();
    EXPECT_FALSE(dialog.report().installed);
    ASSERT_EQ(Dialogs::messages().size(), 1u);
    EXPECT_EQ(Dialogs::messages()[0].caption, QStringLiteral("Achtung"));
  }
  Dialogs::Reset();
  fs::create_directories(home_ / ".local/lib/Tavrek");
  Dialogs::QueueMessageAnswer(QMessageBox::Ok);
  InstallDialog dialog(context_);
  Control<QPushButton>(dialog, control::kSetupOk)->click();
  EXPECT_TRUE(dialog.report().installed);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(ToUtf8(Dialogs::messages()[0].text),
            install::OverwriteQuestion((home_ / ".local/lib/Tavrek").string()));
  EXPECT_TRUE(fs::exists(home_ / ".local/lib/Tavrek/Tavrek_Uninstall.ini"));
}

TEST_F(InstallDialogsTest, TheUninstallDialogRemovesTheListedFilesOrSaysWhyNot) {
  const std::string file = home_.Write("Ziel/tavrek", "x").string();
  const std::string foreign = home_.Write("Dokumente/brief.txt", "x").string();  // not the installer's
  const std::string list =
      home_.Write("Ziel/Tavrek_Uninstall.ini", file + "\r\n" + foreign + "\r\n").string();
  platform::RegistryStore registry((home_ / "registry.reg").string());
  UninstallDialog dialog({list, "Debian GNU/Linux 12 | 6.1.0 | x86_64", &registry, context_.user,
                          context_.desktopFolder});
  EXPECT_EQ(Control<QLabel>(dialog, control::kUninstallQuestion)->text(),
            QStringLiteral("Wollen Sie wirklich Tavrek deinstallieren ?\nDebian GNU/Linux 12 | "
                           "6.1.0 | x86_64"));
  EXPECT_TRUE(Control<QLineEdit>(dialog, control::kUninstallListPath)->isReadOnly());
  Control<QPushButton>(dialog, control::kSetupOk)->click();
  EXPECT_TRUE(dialog.uninstalled());
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(fs::exists(foreign));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages()[0].text.endsWith(ToQString(foreign + " (gehört nicht zur Installation)")));

  const std::string gone = (home_ / "Ziel/weg.ini").string();
  UninstallDialog missing({gone, "", &registry, context_.user, context_.desktopFolder});
  EXPECT_FALSE(missing.UninstallNow());
  EXPECT_FALSE(missing.uninstalled());
  ASSERT_EQ(Dialogs::messages().size(), 2u);
  EXPECT_EQ(ToUtf8(Dialogs::messages()[1].text), install::ListOpenFailure(gone));
}

}  // namespace
}  // namespace tavrek::ui
