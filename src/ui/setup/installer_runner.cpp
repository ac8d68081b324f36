#include "ui/setup/installer_runner.h"

#include <unistd.h>

#include "core/app/desktop_folders.h"
#include "core/app/shell_registration.h"
#include "core/platform/os_text.h"
#include "core/setup/detached_start.h"
#include "core/setup/install_layout.h"
#include "ui/app/dialogs.h"
#include "ui/app/text.h"
#include "ui/setup/install_dialog.h"
#include "ui/setup/uninstall_dialog.h"

namespace tavrek::ui {
namespace {

std::string UserName() {
  const char* name = getlogin();
  if (name != nullptr) return name;
  const char* variable = getenv("USER");
  return variable == nullptr ? std::string() : std::string(variable);
}

class DialogHooks : public setup::InstallerHooks {
 public:
  DialogHooks(std::string programPath, platform::RegistryStore& registry)
      : programPath_(std::move(programPath)), registry_(registry) {}

  void ShowInstallDialog() override {
    InstallDialogContext context;
    context.user = app::DesktopFolders::FromEnvironment();
    context.desktopFolder = app::UserDesktopFolder(context.user);
    context.userName = UserName();
    context.isRoot = geteuid() == 0;
    context.programPath = programPath_;
    InstallDialog dialog(context);
    dialog.exec();
    if (!dialog.report().installed) return;
    app::RefreshDesktopDatabases(context.user);
    for (const auto& launch : dialog.report().launches) {
      setup::StartDetached(launch, setup::FolderOf(launch.front()));
    }
  }

  bool ShowUninstallDialog(const std::string& listPath) override {
    UninstallDialogContext context{listPath, platform::OperatingSystemText(), programPath_,
                                   &registry_, true};
    UninstallDialog dialog(context);
    dialog.exec();
    if (dialog.uninstalled()) app::RefreshDesktopDatabases(app::DesktopFolders::FromEnvironment());
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

setup::InstallerOutcome RunInstaller(const std::string& tail, const std::string& programPath,
                                     platform::RegistryStore& registry) {
  DialogHooks hooks(programPath, registry);
  return setup::HandleInstallerCommandLine(tail, programPath, hooks, setup::TemporaryRoot());
}

}  // namespace tavrek::ui
