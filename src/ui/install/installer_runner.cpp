#include "ui/install/installer_runner.h"

#include <unistd.h>

#include "core/app/desktop_folders.h"
#include "core/app/shell_registration.h"
#include "core/platform/os_text.h"
#include "core/install/detached_start.h"
#include "core/install/install_layout.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/install/install_dialog.h"
#include "ui/install/uninstall_dialog.h"

namespace tavrek::ui {
namespace {

class DialogHooks : public install::InstallerHooks {
 public:
  DialogHooks(std::string programPath, platform::RegistryStore& registry)
      : programPath_(std::move(programPath)), registry_(registry) {}

  void ShowInstallDialog() override {
    const InstallDialogContext context = InstallContextFromEnvironment(programPath_);
    InstallDialog dialog(context);
    dialog.exec();
    if (!dialog.report().installed) return;
    app::RefreshDesktopDatabases(context.user);
    for (const auto& launch : dialog.report().launches) {
      install::StartDetached(launch, install::FolderOf(launch.front()));
    }
  }

  bool ShowUninstallDialog(const std::string& listPath) override {
    const app::DesktopFolders user = app::DesktopFolders::FromEnvironment();
    UninstallDialog dialog({listPath, platform::OperatingSystemText(), &registry_, user,
                            app::UserDesktopFolder(user)});
    dialog.exec();
    if (dialog.attempted()) app::RefreshDesktopDatabases(user);
    return dialog.uninstalled();
  }

  void ShowError(const std::string& text) override {
    Dialogs::Message(nullptr, QMessageBox::Critical, QString(), ToQString(text));
  }

  bool StartProgram(const std::vector<std::string>& arguments) override {
    return install::StartDetached(arguments);
  }

 private:
  std::string programPath_;
  platform::RegistryStore& registry_;
};

}  // namespace

InstallDialogContext InstallContextFromEnvironment(const std::string& programPath) {
  InstallDialogContext context;
  context.user = app::DesktopFolders::FromEnvironment();
  context.desktopFolder = app::UserDesktopFolder(context.user);
  context.userName = install::AccountName();
  context.isRoot = geteuid() == 0;
  context.programPath = programPath;
  return context;
}

install::InstallerOutcome RunInstaller(const std::string& tail, const std::string& programPath,
                                     platform::RegistryStore& registry) {
  DialogHooks hooks(programPath, registry);
  return install::HandleInstallerCommandLine(tail, programPath, hooks, install::TemporaryRoot());
}

}  // namespace tavrek::ui
