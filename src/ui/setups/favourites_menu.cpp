#include "ui/setups/favourites_menu.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMenu>
#include <QMimeDatabase>

#include "core/platform/cp1252.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

// "Name : ", the name, "\nTyp : ", the type and "\nOrt : ", the path.
QString ToolTip(const setups::FavouriteItem& item) {
  const QString path = ToQString(item.path);
  const QString type = item.isFolder ? QStringLiteral("Dateiordner")
                                     : QMimeDatabase().mimeTypeForFile(path).comment();
  return QStringLiteral("Name : %1\nTyp : %2\nOrt : %3").arg(ShownName(item.name), type, ShownName(item.path));
}

// The entry's text: the name as the lists show it, an "&" as itself rather
// than a mnemonic.
QString EntryText(const setups::FavouriteItem& item) {
  return ShownName(item.name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QIcon IconOf(const QString& path) {
  static QFileIconProvider provider;
  return provider.icon(QFileInfo(path));
}

}  // namespace

FavouritesMenu::FavouritesMenu(QMenu& menu, std::function<QString()> folder)
    : QObject(&menu), menu_(menu), folder_(std::move(folder)), keptItems_(static_cast<int>(menu.actions().size())) {
  menu_.setToolTipsVisible(true);
  connect(&menu_, &QMenu::aboutToShow, this, &FavouritesMenu::Rebuild);
  connect(&menu_, &QMenu::triggered, this, &FavouritesMenu::OnTriggered);
}

void FavouritesMenu::Rebuild() {
  const QList<QAction*> actions = menu_.actions();
  for (int i = keptItems_; i < actions.size(); ++i) {
    menu_.removeAction(actions.at(i));
    if (QMenu* sub = actions.at(i)->menu()) {
      sub->deleteLater();  // takes its menu action with it
    } else {
      actions.at(i)->deleteLater();
    }
  }
  ids_.Reset();
  const QString folder = folder_ ? folder_() : QString();
  if (folder.isEmpty()) return;
  Fill(menu_, ToUtf8(folder));
  menu_.addAction(ToQString(setups::kFavouritesHint))->setEnabled(false);
}

void FavouritesMenu::Fill(QMenu& menu, const std::string& folder) {
  for (const setups::FavouriteItem& item : setups::ListFavourites(folder)) {
    const QString path = ToQString(item.path);
    if (item.isFolder) {
      QMenu* sub = menu.addMenu(IconOf(path), EntryText(item));
      sub->setToolTipsVisible(true);
      sub->menuAction()->setToolTip(ToolTip(item));
      connect(sub, &QMenu::aboutToShow, this, [this, sub, folderPath = item.path] {
        if (sub->isEmpty()) Fill(*sub, folderPath);
      });
      continue;
    }
    QAction* action = menu.addAction(IconOf(path), EntryText(item));
    action->setData(ids_.Add(item.path));
    action->setToolTip(ToolTip(item));
    // A document is opened by a path the window keeps as text; bytes that are
    // not UTF-8 would not survive it, so such an entry is shown but not offered.
    action->setEnabled(platform::IsValidUtf8(item.path));
  }
}

QString FavouritesMenu::PathOf(int id) const {
  const std::string* path = ids_.PathOf(id);
  return path ? ToQString(*path) : QString();
}

bool FavouritesMenu::Open(int id, bool ctrlHeld) {
  const QString path = PathOf(id);
  if (path.isEmpty()) return false;
  emit favouriteChosen(path, ctrlHeld);
  return true;
}

void FavouritesMenu::OnTriggered(QAction* action) {
  bool isNumber = false;
  const int id = action->data().toInt(&isNumber);
  if (!isNumber || !ids_.Holds(id)) return;
  Open(id, ctrlHeld_ ? ctrlHeld_() : QApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
}

}  // namespace tavrek::ui
