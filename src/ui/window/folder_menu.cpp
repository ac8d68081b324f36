// The folders of the watch window: the folder menu and the folder list.
#include <QMenu>
#include <QTableWidget>

#include "core/app/command_ids.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/window/folder_watch_choice.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace choice = app::menu_choice;

const QString kBrowseCaption = QStringLiteral("Verwalten");
const QString kBrowsePrompt = QStringLiteral(
    "Halten Sie die [STRG]  gedrückt,\num den neuen Ordner\nzur aktuellen Überwachung hinzuzufügen.\n");
const QString kDefaultFolder = QStringLiteral("/");
const QColor kFailedColour(0xC0, 0x00, 0x00);

}  // namespace

void WatchWindow::ShowFolderMenu(const QPoint& globalPosition, bool overList) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Verzeichnisauswahl"))->setData(choice::kFolderBrowse);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Alle lokalen Laufwerke überwachen"))->setData(choice::kFolderAllLocalDrives);
  if (overList) {
    menu.addSeparator();
    menu.addAction(QStringLiteral("Markierte entfernen"))->setData(choice::kFolderRemoveMarked);
    menu.addAction(QStringLiteral("Alle entfernen"))->setData(choice::kFolderRemoveAll);
  }
  const std::vector<size_t> rows = overList ? SelectedFolderRows() : std::vector<size_t>{};
  AddWatchChoiceMenu(menu, *session_, rows);
  const int chosen = Dialogs::PopupMenu(menu, globalPosition);
  if (TakeWatchChoice(chosen, *session_, rows)) {
    FlushViews();
    return;
  }
  switch (chosen) {
    case choice::kFolderBrowse: BrowseFolder(); break;
    case choice::kFolderAllLocalDrives: WatchAllLocalDrives(); break;
    case choice::kFolderRemoveMarked: RemoveMarkedFolders(); break;
    case choice::kFolderRemoveAll: RemoveAllFolders(); break;
    default: break;
  }
}

void WatchWindow::BrowseFolder() {
  if (lastBrowsedFolder_.isEmpty()) lastBrowsedFolder_ = kDefaultFolder;
  auto chosen = Dialogs::ChooseFolder(this, kBrowseCaption, kBrowsePrompt, lastBrowsedFolder_);
  if (!chosen) return;
  if (chosen->path.isEmpty()) {
    Dialogs::Message(this, QMessageBox::Critical, QString(), QStringLiteral("Failed to get directory"));
    return;
  }
  lastBrowsedFolder_ = chosen->path;
  StartWatch(chosen->path, !chosen->ctrlHeld);
}

void WatchWindow::WatchAllLocalDrives() {
  const std::string drives = context_.localDrives ? context_.localDrives() : std::string();
  StartWatch(ToQString(drives), true);
}

std::vector<size_t> WatchWindow::SelectedFolderRows() const {
  std::vector<size_t> rows;
  for (const QModelIndex& index : folderList_->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<size_t>(index.row()));
  }
  return rows;
}

void WatchWindow::RemoveMarkedFolders() {
  session_->RemoveFolderRows(SelectedFolderRows());
  FlushViews();
}

void WatchWindow::RemoveAllFolders() {
  session_->RemoveAllFolders();
  FlushViews();
}

// How a folder is watched: by the kernel (a drive), by polling (reload) or
// partly so (reload too: some changes arrive late); the tooltip says it all.
void WatchWindow::ShowCoverage(QTableWidgetItem& item, const engine::FolderCoverage& coverage) {
  const engine::CoverageLook look = engine::LookOf(coverage);
  if (look == engine::CoverageLook::kUnknown) return;
  const QStyle::StandardPixmap icon =
      look == engine::CoverageLook::kKernel ? QStyle::SP_DriveHDIcon : QStyle::SP_BrowserReload;
  item.setIcon(style()->standardIcon(icon));
  item.setToolTip(ToQString(engine::CoverageText(coverage)));
}

// A folder that could not be opened keeps its path as its text (the path is
// what the list hands on) and is marked red with the mark as its tooltip.
void WatchWindow::RefreshFolderList() {
  const auto& rows = session_->folderRows();
  folderList_->setRowCount(static_cast<int>(rows.size()));
  for (size_t row = 0; row < rows.size(); ++row) {
    auto* item = new QTableWidgetItem(ToQString(rows[row].path));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (rows[row].failed) {
      item->setForeground(kFailedColour);
      item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
      item->setToolTip(ToQString(engine::kFolderFailedMark));
    } else {
      ShowCoverage(*item, session_->CoverageOf(row));
    }
    item->setToolTip(WithWatchChoiceTip(item->toolTip(), session_->WatchChoiceOf(row)));
    folderList_->setItem(static_cast<int>(row), 0, item);
  }
}

}  // namespace tavrek::ui
