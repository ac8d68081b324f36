#pragma once
// Exporting a list from the window: the save dialog, the writing with a
// progress dialog that can cancel it, the messages, and opening the written
// file with the desktop's default application.
#include <QString>
#include <optional>
#include <string>

#include "core/lists/export_types.h"

class QWidget;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

struct ExportTarget {
  std::string path;  // with the format's extension completed
  lists::ExportFormat format = lists::ExportFormat::Txt;
};

// The save dialog with the four filters, the format of the last export
// selected and "Export_" + `name` proposed. A flat list asks before replacing
// an existing file, a tree list does not. Nothing when the user cancelled;
// otherwise the chosen format is remembered.
std::optional<ExportTarget> ChooseExportFile(QWidget* parent, app::SettingsStore* settings,
                                             const QString& name, bool treeList);

// Writes the list to the target, showing progress once it takes longer than
// half a second, and opens the written file. A cancelled or failed export
// leaves no file behind; a failure is told in a message box. Returns the
// result for the caller's records.
lists::ExportResult WriteExport(QWidget* parent, const ExportTarget& target,
                                const lists::FlatListSource& list);
lists::ExportResult WriteExport(QWidget* parent, const ExportTarget& target,
                                const lists::TreeListSource& tree);

// The whole road: the dialog, then the writing.
void ExportList(QWidget* parent, app::SettingsStore* settings, const lists::FlatListSource& list,
                const QString& name);
void ExportTree(QWidget* parent, app::SettingsStore* settings, const lists::TreeListSource& tree,
                const QString& name);

}  // namespace tavrek::ui
