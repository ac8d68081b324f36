#pragma once
// Favourites: watch-setup documents kept in one folder of the user's choice.
// The folder's text, the names offered for a new favourite, and the folder's
// listing and menu numbering, without any window.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/local_time.h"

namespace tavrek::setups {

inline constexpr std::string_view kFavouritesSection = "Favoriten";
inline constexpr std::string_view kFavouritesFolderKey = "Ordner";
inline constexpr std::string_view kStartWatchSection = "FAV";
inline constexpr std::string_view kStartWatchKey = "seitenansicht";
inline constexpr int kDefaultStartWatch = 1;
inline constexpr std::string_view kFavouritesHint = "Im selben Fenster mit [Strg]";
inline constexpr std::string_view kFavouritesTitleSuffix = " Favoriten";
inline constexpr std::string_view kDesktopTitleSuffix = " Desktopverknüpfung";
inline constexpr std::string_view kStartWatchBox = "Starte die Überwachung beim öffnen !";
inline constexpr std::string_view kManageTitle =
    "Verschieben Sie die Daten per Drag&&Drop \nUmbenennen mit [F2]";

// "Bitte wählen Sie einen Ordner für das Speichern der " + product + " Favoriten aus".
std::string ChooseFolderPrompt(std::string_view productName);

// Empty stays empty; otherwise a "/" is appended and every run of "/" made
// one, so the text ends in exactly one separator.
std::string NormaliseFavouritesFolder(std::string_view text);

// A folder text the favourites can use: it names an existing directory.
bool FavouritesFolderUsable(const std::string& folder);

// The name a new favourite is offered: "%d.%02d.%02d %02d-%02d" of day,
// month, year, hour and minute ("6.12.2026 09-05").
std::string DateName(const platform::SystemTime& time);

// The folder (normalised) + name, with ".tvk" appended unless it ends so.
std::string FavouritePath(std::string_view folder, std::string_view name);

// Whether a typed name names a file in the folder it is saved into: no "/"
// (which would lead into another folder, "../" out of this one), no NUL
// (which ends a path), and neither "." nor "..".
bool FavouriteNameUsable(std::string_view name);

// The message for a name that is not usable, the name shown as lists show it.
std::string UnusableFavouriteNameText(std::string_view name);

struct FavouriteItem {
  std::string name;
  std::string path;
  bool isFolder = false;
};

// The key by which a German reader orders names: without regard to case,
// "ä", "ö", "ü" as "a", "o", "u" and "ß" as "ss" ("Äpfel" beside "Apfel",
// not after "Zebra").
std::string GermanSortKey(std::string_view name);

// Every entry of a folder, hidden ones too, sub-folders first, each group by
// GermanSortKey, equal keys by their bytes. A folder that cannot be read
// lists nothing.
std::vector<FavouriteItem> ListFavourites(const std::string& folder);

// The command ids of a favourites menu: the counter starts again at 1000 on
// every build, the folder itself takes 1000, entries count up from 1001 in
// the order they are appended (sub-menus filled later go on counting).
class FavouriteIds {
 public:
  static constexpr int kFolderId = 1000;

  void Reset() {
    next_ = kFolderId + 1;
    paths_.clear();
  }
  int Add(std::string path);
  // The file of an id, nullptr when there is none.
  const std::string* PathOf(int id) const;
  bool Holds(int id) const { return paths_.count(id) != 0; }

 private:
  int next_ = kFolderId + 1;
  std::map<int, std::string> paths_;
};

}  // namespace tavrek::setups
