// The tavrek executable: a main window hosting one watch window.
#include <QApplication>
#include <QMainWindow>

#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "core/platform/config_paths.h"
#include "core/platform/mounts.h"
#include "core/platform/os_text.h"
#include "core/platform/registry_store.h"
#include "ui/app/text.h"
#include "ui/window/watch_window.h"

namespace {

constexpr int kInitialWidth = 1100;
constexpr int kInitialHeight = 760;

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  application.setApplicationName(tavrek::ui::ToQString(tavrek::app::kProductName));

  tavrek::app::SettingsStore settings(tavrek::platform::SettingsFilePath(tavrek::app::kProductName));
  tavrek::platform::RegistryStore registry(tavrek::platform::RegistryStore::DefaultPath());
  tavrek::ui::WatchWindowContext context;
  context.settings = &settings;
  context.registry = &registry;
  context.openFiles = std::make_shared<tavrek::platform::OpenFilesMonitor>();
  context.localDrives = [] { return tavrek::platform::LocalDrivesText(tavrek::platform::ReadMounts()); };
  context.systemText = tavrek::platform::OperatingSystemText();

  QMainWindow frame;
  frame.setWindowTitle(tavrek::ui::ToQString(tavrek::app::kProductName));
  frame.setCentralWidget(new tavrek::ui::WatchWindow(context, &frame));
  frame.resize(kInitialWidth, kInitialHeight);
  frame.show();
  return QApplication::exec();
}
