#pragma once
// How the folders of the list are watched, as the user chooses: the submenu
// "Überwachungsart" of the folder menu over the list, and the tooltip line
// of a folder with a choice. The choice goes to the session, which tells the
// views through its notification path.
#include <QString>
#include <vector>

#include "core/engine/watch_session.h"

class QMenu;

namespace tavrek::ui {

// Adds the submenu for the rows; the entry every row shares is checked.
// Nothing is added without rows.
void AddWatchChoiceMenu(QMenu& menu, const engine::WatchSession& session,
                        const std::vector<size_t>& rows);

// When `value` is an entry of that submenu, gives the rows that choice and
// returns true.
bool TakeWatchChoice(int value, engine::WatchSession& session, const std::vector<size_t>& rows);

// The tooltip with the row's choice added as a line of its own.
QString WithWatchChoiceTip(const QString& tip, engine::BackendType choice);

}  // namespace tavrek::ui
