// The frame's favourites menu: read from the favourites folder as it opens;
// a chosen favourite opens in a new window, or with Ctrl in the active one.
#include <QMenu>

#include "ui/app/main_frame.h"
#include "ui/setups/favourite_commands.h"
#include "ui/setups/favourites_menu.h"

namespace tavrek::ui {

void MainFrame::CreateFavouritesMenu(QMenu* menu) {
  menu->addSeparator();  // between the commands and the favourites
  favourites_ = new FavouritesMenu(
      *menu, [this] { return FavouritesFolder(services_.windowContext.settings); });
  if (services_.keyboard) {
    favourites_->setCtrlHeld([this] { return services_.keyboard().testFlag(Qt::ControlModifier); });
  }
  connect(favourites_, &FavouritesMenu::favouriteChosen, this, &MainFrame::OpenFavourite);
}

// With Ctrl the document replaces the active window's setup, as command
// 10000 would have it.
void MainFrame::OpenFavourite(const QString& path, bool ctrlHeld) {
  if (ctrlHeld) {
    if (WatchWindow* active = activeWatchWindow()) LoadDocument(*active, path);
  } else {
    OpenDocument(path, false);
  }
}

}  // namespace tavrek::ui
