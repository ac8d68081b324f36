// The tavrek executable: reads the command line, shows the help, gives the
// installer its turn or shows the main frame with what the command line
// names, and runs until the frame closes.
#include <QApplication>
#include <QProcess>
#include <exception>
#include <iostream>

#include "core/app/desktop_folders.h"
#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "core/app/start_command.h"
#include "core/platform/config_paths.h"
#include "core/platform/mounts.h"
#include "core/platform/os_text.h"
#include "core/platform/registry_store.h"
#include "ui/app/help_window.h"
#include "ui/app/start_up.h"
#include "ui/app/translations.h"
#include "ui/common/text.h"
#include "ui/install/installer_runner.h"

namespace {

constexpr int kExitOnFault = 2;

namespace app = tavrek::app;
namespace ui = tavrek::ui;

ui::FrameServices MakeServices(app::SettingsStore& settings, tavrek::platform::RegistryStore& registry) {
  ui::FrameServices services;
  ui::WatchWindowContext& context = services.windowContext;
  context.settings = &settings;
  context.registry = &registry;
  context.openFiles = std::make_shared<tavrek::platform::OpenFilesMonitor>();
  context.localDrives = [] { return tavrek::platform::LocalDriveFolders(tavrek::platform::ReadMounts()); };
  context.systemText = tavrek::platform::OperatingSystemText();
  services.readMounts = [] { return tavrek::platform::ReadMounts(); };
  services.desktop = app::DesktopFolders::FromEnvironment();
  // "&Hilfe" starts the program again on "-help", so the frame stays usable.
  services.startHelpRun = [] {
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("-help")});
  };
  return services;
}

int Run(int argc, char** argv) {
  // Taken before Qt removes the options it knows from argv.
  const std::string tail = app::JoinCommandTail(argc, argv);
  const app::StartCommand start = app::ParseStartArguments(argc, argv);
  const std::string givenPath = argc > 0 ? argv[0] : "";
  QApplication application(argc, argv);
  // The file itself, as the kernel names it: what registrations must start.
  std::string programPath = ui::ToUtf8(QCoreApplication::applicationFilePath());
  if (programPath.empty()) programPath = givenPath;
  QApplication::setApplicationName(ui::ToQString(app::kProductName));
  ui::InstallGermanQtTranslation(application);

  app::SettingsStore settings(tavrek::platform::SettingsFilePath(app::kProductName));
  tavrek::platform::RegistryStore registry(tavrek::platform::RegistryStore::DefaultPath());
  const auto showHelp = [] {
    ui::HelpWindow help;
    help.exec();
  };
  const auto installer = [&registry](const std::string& commandTail, const std::string& path) {
    return ui::RunInstaller(commandTail, path, registry);
  };
  ui::StartOutcome outcome =
      ui::BeginRun(start, tail, programPath, MakeServices(settings, registry), showHelp, installer);
  if (outcome.exitCode) return *outcome.exitCode;
  outcome.frame->ShowAtStart();
  QApplication::exec();
  outcome.frame.reset();
  return ui::kExitAfterFrame;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& fault) {
    std::cerr << "tavrek: " << fault.what() << '\n';
  } catch (...) {
    std::cerr << "tavrek: unknown fault\n";
  }
  return kExitOnFault;
}
