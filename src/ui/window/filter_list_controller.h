#pragma once
// The file filter of a watch window: the filter list with its menu and
// dialog, the count of filtered changes, and the log filter mode behind its
// toolbar button. Each shows what the session holds whenever the session
// says it changed; the commands become session calls.
#include <QObject>
#include <QString>

#include "core/engine/watch_session.h"

class QAction;
class QLabel;
class QPoint;
class QTableWidget;
class QToolBar;
class QWidget;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

class SessionBridge;

struct FilterControls {
  QTableWidget* list = nullptr;
  QLabel* filteredCount = nullptr;
  QToolBar* toolbar = nullptr;  // holds the log filter mode button
  QAction* modeAction = nullptr;
};

class FilterListController : public QObject {
 public:
  // `owner` parents the menus and the dialog; `settings` keeps the dialog's
  // last text and may be null.
  FilterListController(QWidget& owner, FilterControls controls, engine::WatchSession& session,
                       SessionBridge& bridge, app::SettingsStore* settings);

  QTableWidget* list() const { return controls_.list; }
  // The filter list's menu at a global position.
  void ShowMenu(const QPoint& globalPosition);
  // The filter dialog; with a given text (a path proposed from a list) the
  // stored text is neither read nor written.
  void OpenFilterDialog(const QString& givenText);
  // The log filter mode's menu below its button.
  void ShowLogFilterMenu();
  QString logFilterCaption() const;

 private:
  void RemoveMarked();
  void RemoveAll();
  void RefreshList();
  void RefreshFilteredCount();
  void RefreshLogFilterCaption();

  QWidget& owner_;
  FilterControls controls_;
  engine::WatchSession& session_;
  SessionBridge& bridge_;
  app::SettingsStore* settings_;
};

}  // namespace tavrek::ui
