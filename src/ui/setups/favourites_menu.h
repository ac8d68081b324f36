#pragma once
// The "&Favoriten" menu: the items the frame put in first, then the entries
// of the favourites folder, read from the folder every time the menu opens.
// Sub-folders are sub-menus filled when they first open; plain entries carry
// ids from 1001 upwards.
#include <QObject>
#include <QString>
#include <functional>

#include "core/setups/favourites.h"

class QAction;
class QMenu;

namespace tavrek::ui {

class FavouritesMenu : public QObject {
  Q_OBJECT

 public:
  // `folder` gives the favourites folder (empty: none chosen yet). The
  // actions the menu holds now stay at its top.
  FavouritesMenu(QMenu& menu, std::function<QString()> folder);

  // Tells whether Ctrl is held when an entry is chosen (default: the keyboard now).
  void setCtrlHeld(std::function<bool()> ctrlHeld) { ctrlHeld_ = std::move(ctrlHeld); }

  // Rebuilds the entries below the kept items (the menu does this as it opens).
  void Rebuild();

  // The file of an entry, empty for an id the last build did not give out.
  QString PathOf(int id) const;
  // Opens the entry of `id`: emits favouriteChosen; false for an unknown id.
  bool Open(int id, bool ctrlHeld);

 signals:
  // A favourite chosen: to open in a new window, or with Ctrl in the active one.
  void favouriteChosen(const QString& path, bool ctrlHeld);

 private:
  // The folder as the file system names it: its bytes need not be UTF-8.
  void Fill(QMenu& menu, const std::string& folder);
  void OnTriggered(QAction* action);

  QMenu& menu_;
  std::function<QString()> folder_;
  std::function<bool()> ctrlHeld_;
  int keptItems_ = 0;
  setups::FavouriteIds ids_;
};

}  // namespace tavrek::ui
