#include "ui/setup/installer_runner.h"

#include <unistd.h>

#include "core/app/desktop_folders.h"
#include "core/app/shell_registration.h"
#include "core/platform/os_text.h"
#include "core/setup/detached_start.h"
#include "core/setup/install_layout.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/setup/install_dialog.h"
#include "ui/setup/uninstall_dialog.h"

namespace tavrek::ui {
namespace {

class DialogHooks : public setup::InstallerHooks {
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
      setup::StartDetached(launch, setup::FolderOf(launch.front()));
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
    return setup::StartDetached(arguments);
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
  context.userName = setup::AccountName();
  context.isRoot = geteuid() == 0;
  context.programPath = programPath;
  return context;
}

setup::InstallerOutcome RunInstaller(const std::string& tail, const std::string& programPath,
                                     platform::RegistryStore& registry) {
  DialogHooks hooks(programPath, registry);
  return setup::HandleInstallerCommandLine(tail, programPath, hooks, setup::TemporaryRoot());
}

}  // namespace tavrek::ui
