#pragma once
// The favourites commands: the favourites folder (chosen once, kept in the
// settings), "Zu Favoriten hinzufügen", "Als Desktopverknüpfung" and
// "&Verwalten", with the name dialog both save commands share.
#include <QString>
#include <optional>

class QWidget;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

class SetupHost;

// The favourites folder from the settings ("Favoriten"/"Ordner"), normalised;
// empty when none was chosen.
QString FavouritesFolder(const app::SettingsStore* settings);

// A usable favourites folder: the stored one when it exists, else the one the
// user chooses now (after a message saying so), which is stored. Empty when
// the user cancelled.
QString EnsureFavouritesFolder(QWidget* parent, app::SettingsStore* settings);

// The user's desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop).
QString DesktopFolder();

// The name dialog (dialog 203) over `parent`: the date as the offered name,
// the start check box as last left; both save commands use it.
struct NamedSave {
  QString name;
  int startWatch = 1;
};
// The dialog itself, shown modally (AskFavouriteName goes through the dialog seam).
std::optional<NamedSave> RunNameDialog(QWidget* parent, app::SettingsStore* settings,
                                       const QString& title);
// The name for a save, nothing when cancelled; a name that would lead out of
// the folder it is saved into is refused with a message.
std::optional<NamedSave> AskFavouriteName(QWidget* parent, app::SettingsStore* settings,
                                          const QString& title);

// Command 32919: the window's setup saved into the favourites folder.
void AddToFavourites(SetupHost& window, app::SettingsStore* settings);
// Command 32811: the window's setup saved as a document on the desktop,
// which is made when missing.
void SaveToDesktop(SetupHost& window, app::SettingsStore* settings);
// Command 32779: the favourites folder opened in the file manager.
void ManageFavourites(QWidget* parent, app::SettingsStore* settings);

}  // namespace tavrek::ui
