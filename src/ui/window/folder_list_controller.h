#pragma once
// The folder list of a watch window and its menu: it shows the session's
// folder rows (a red mark for a folder that could not be opened, how the
// others are watched) whenever the session says they changed, and turns the
// menu's choices into session calls.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/engine/watch_session.h"

class QPoint;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace tavrek::ui {

class SessionBridge;

class FolderListController : public QObject {
 public:
  // `owner` parents the menu and the dialogs; `localDrives` gives the
  // mount points of all local drives ({"/", "/home"}).
  FolderListController(QWidget& owner, QTableWidget& list, engine::WatchSession& session,
                       SessionBridge& bridge, std::function<std::vector<std::string>()> localDrives);

  QTableWidget* list() const { return &list_; }
  // The folder menu at a global position; over the list it also removes.
  void ShowMenu(const QPoint& globalPosition, bool overList);
  // Watches one folder, its path whole, in place of the list's or added to
  // it; an empty path restarts the list as it is.
  void StartWatch(const QString& folder, bool replace);

 private:
  void BrowseFolder();
  void WatchAllLocalDrives();
  std::vector<size_t> SelectedRows() const;
  void RemoveMarked();
  void RemoveAll();
  void Refresh();
  void ShowCoverage(QTableWidgetItem& item, const engine::FolderCoverage& coverage);

  QWidget& owner_;
  QTableWidget& list_;
  engine::WatchSession& session_;
  SessionBridge& bridge_;
  std::function<std::vector<std::string>()> localDrives_;
  QString lastBrowsedFolder_;
};

}  // namespace tavrek::ui
