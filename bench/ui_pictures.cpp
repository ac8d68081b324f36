// Draws menus, dialogs and a watch window to PNG files for a person to look
// at: `ui_pictures FOLDER`. No benchmark and no test: it measures and checks
// nothing. Offscreen unless QT_QPA_PLATFORM names another platform.
#include <stdlib.h>

#include <QApplication>
#include <QMenu>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/app/settings_store.h"
#include "core/platform/registry_store.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/list_menu.h"
#include "ui/install/install_dialog.h"
#include "ui/install/uninstall_dialog.h"
#include "ui/setups/favourites_menu.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace fs = std::filesystem;

// A private folder for the settings, documents and lists the widgets read.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "tavrek-pictures-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  bool made() const { return !path_.empty(); }
  fs::path operator/(const std::string& relative) const { return path_ / relative; }
  fs::path Write(const std::string& relative, const std::string& content = "") const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  fs::path path_;
};

bool Save(QWidget& widget, const std::filesystem::path& folder, const char* name) {
  if (widget.size().isEmpty()) widget.adjustSize();
  const std::string file = (folder / name).string();
  if (widget.grab().save(ToQString(file))) return true;
  std::fprintf(stderr, "cannot write %s\n", file.c_str());
  return false;
}

bool DrawMenus(const fs::path& out, const Scratch& scratch) {
  QMenu list;
  FillMenu(list, window::ListMenu("/home/user/Dokumente/Bericht 2026.odt", true));
  QMenu favourites;
  favourites.addAction(QStringLiteral("Zu Favoriten hinzufügen"));
  favourites.addAction(QStringLiteral("&Verwalten"));
  favourites.addSeparator();
  for (const char* name : {"Web.tvk", "Projekt.tvk", "Sub/inner.tvk", "notiz.txt"}) {
    scratch.Write(std::string("favourites/") + name);
  }
  FavouritesMenu entries(favourites, [&] { return ToQString((scratch / "favourites/").string()); });
  entries.Rebuild();
  return Save(list, out, "list_menu.png") && Save(favourites, out, "favourites_menu.png");
}

bool DrawDialogs(const fs::path& out, const Scratch& scratch) {
  InstallDialogContext install;
  install.user = app::DesktopFolders::For((scratch / "home").string(), "", "");
  install.desktopFolder = (scratch / "home/Desktop").string();
  install.userName = "anna";
  install.programPath = scratch.Write("Tavrek_Install", "program").string();
  InstallDialog installDialog(install);
  platform::RegistryStore registry((scratch / "registry.reg").string());
  const std::string list = scratch.Write("Ziel/Tavrek_Uninstall.ini", "").string();
  UninstallDialog uninstallDialog(
      {list, "Debian GNU/Linux 12 | 6.1.0 | x86_64", &registry, install.user, install.desktopFolder});
  return Save(installDialog, out, "install_dialog.png") &&
         Save(uninstallDialog, out, "uninstall_dialog.png");
}

bool DrawWatchWindow(const fs::path& out, const Scratch& scratch) {
  app::SettingsStore settings((scratch / "Tavrek.ini").string());
  platform::RegistryStore registry((scratch / "window.reg").string());
  WatchWindowContext context;
  context.settings = &settings;
  context.registry = &registry;
  context.localDrives = [] { return std::vector<std::string>{"/"}; };
  context.systemText = "Debian GNU/Linux 12 | 6.1.0 | x86_64";
  WatchWindow window(context);
  window.resize(1000, 700);
  window.show();
  QCoreApplication::processEvents();
  if (!Save(window, out, "watch_window.png")) return false;
  // The smallest screen a person may still use.
  window.resize(640, 480);
  QCoreApplication::processEvents();
  return Save(window, out, "watch_window_small.png");
}

}  // namespace
}  // namespace tavrek::ui

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  tavrek::ui::Dialogs::SetTestMode(true);  // a dialog's question is answered, never shown
  const std::filesystem::path out = argv[1];
  const tavrek::ui::Scratch scratch;
  if (!scratch.made()) {
    std::perror("mkdtemp");
    return 1;
  }
  const bool drawn = tavrek::ui::DrawMenus(out, scratch) && tavrek::ui::DrawDialogs(out, scratch) &&
                     tavrek::ui::DrawWatchWindow(out, scratch);
  return drawn ? 0 : 1;
}
