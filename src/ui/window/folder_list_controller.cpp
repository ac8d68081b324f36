#include "ui/window/folder_list_controller.h"

#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>

#include "core/app/command_ids.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/window/folder_watch_choice.h"
#include "ui/window/session_bridge.h"
#include "ui/window/view_look.h"

namespace tavrek::ui {
namespace {

namespace choice = app::menu_choice;

const QString kBrowseCaption = QStringLiteral("Verwalten");
const QString kBrowsePrompt = QStringLiteral(
    "Halten Sie die [STRG]  gedrückt,\num den neuen Ordner\nzur aktuellen Überwachung hinzuzufügen.\n");
const QString kDefaultFolder = QStringLiteral("/");
const QColor kFailedColour(0xC0, 0x00, 0x00);
constexpr int kFolderColumnWidth = 300;

}  // namespace

FolderListController::FolderListController(QWidget& owner, QTableWidget& list, engine::WatchSession& session,
                                           SessionBridge& bridge, std::function<std::vector<std::string>()> localDrives)
    : QObject(&owner),
      owner_(owner),
      list_(list),
      session_(session),
      bridge_(bridge),
      localDrives_(std::move(localDrives)) {
  list_.setColumnCount(1);
  list_.setHorizontalHeaderLabels({QStringLiteral("Zu überwachende(r) Ordner")});
  list_.setColumnWidth(0, Scaled(kFolderColumnWidth, owner_.font()));
  PrepareTable(list_);
  list_.setShowGrid(true);
  connect(&list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowMenu(list_.viewport()->mapToGlobal(at), true);
  });
  connect(&bridge_, &SessionBridge::folderRowsChanged, this, &FolderListController::Refresh);
  AddDeleteKey(list_, [this] { RemoveMarked(); });
}

void FolderListController::ShowMenu(const QPoint& globalPosition, bool overList) {
  QMenu menu(&owner_);
  menu.addAction(QStringLiteral("Verzeichnisauswahl"))->setData(choice::kFolderBrowse);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Alle lokalen Laufwerke überwachen"))->setData(choice::kFolderAllLocalDrives);
  if (overList) {
    menu.addSeparator();
    menu.addAction(QStringLiteral("Markierte entfernen"))->setData(choice::kFolderRemoveMarked);
    menu.addAction(QStringLiteral("Alle entfernen"))->setData(choice::kFolderRemoveAll);
  }
  const std::vector<size_t> rows = overList ? SelectedRows() : std::vector<size_t>{};
  AddWatchChoiceMenu(menu, session_, rows);
  const int chosen = Dialogs::PopupMenu(menu, globalPosition);
  if (TakeWatchChoice(chosen, session_, rows)) {
    bridge_.Tick();
    return;
  }
  switch (chosen) {
    case choice::kFolderBrowse: BrowseFolder(); break;
    case choice::kFolderAllLocalDrives: WatchAllLocalDrives(); break;
    case choice::kFolderRemoveMarked: RemoveMarked(); break;
    case choice::kFolderRemoveAll: RemoveAll(); break;
    default: break;
  }
}

void FolderListController::StartWatch(const QString& folder, bool replace) {
  session_.Start(ToUtf8(folder), replace);
  bridge_.Tick();
}

void FolderListController::BrowseFolder() {
  if (lastBrowsedFolder_.isEmpty()) lastBrowsedFolder_ = kDefaultFolder;
  auto chosen = Dialogs::ChooseFolder(&owner_, kBrowseCaption, kBrowsePrompt, lastBrowsedFolder_);
  if (!chosen) return;
  if (chosen->path.isEmpty()) {
    Dialogs::Message(&owner_, QMessageBox::Critical, QString(), QStringLiteral("Failed to get directory"));
    return;
  }
  lastBrowsedFolder_ = chosen->path;
  StartWatch(chosen->path, !chosen->ctrlHeld);
}

void FolderListController::WatchAllLocalDrives() {
  session_.StartFolders(localDrives_ ? localDrives_() : std::vector<std::string>(), true);
  bridge_.Tick();
}

std::vector<size_t> FolderListController::SelectedRows() const {
  std::vector<size_t> rows;
  for (const QModelIndex& index : list_.selectionModel()->selectedRows()) {
    rows.push_back(static_cast<size_t>(index.row()));
  }
  return rows;
}

void FolderListController::RemoveMarked() {
  session_.RemoveFolderRows(SelectedRows());
  bridge_.Tick();
}

void FolderListController::RemoveAll() {
  session_.RemoveAllFolders();
  bridge_.Tick();
}

// How a folder is watched: by the kernel (a drive), by polling (reload) or
// partly so (reload too: some changes arrive late); the tooltip says it all.
void FolderListController::ShowCoverage(QTableWidgetItem& item, const engine::FolderCoverage& coverage) {
  const engine::CoverageLook look = engine::LookOf(coverage);
  if (look == engine::CoverageLook::kUnknown) return;
  const QStyle::StandardPixmap icon =
      look == engine::CoverageLook::kKernel ? QStyle::SP_DriveHDIcon : QStyle::SP_BrowserReload;
  item.setIcon(list_.style()->standardIcon(icon));
  item.setToolTip(ToQString(engine::CoverageText(coverage)));
}

// A folder that could not be opened keeps its path as its text (the path is
// what the list hands on) and is marked red with the mark as its tooltip.
void FolderListController::Refresh() {
  const auto& rows = session_.folderRows();
  list_.setRowCount(static_cast<int>(rows.size()));
  for (size_t row = 0; row < rows.size(); ++row) {
    auto* item = new QTableWidgetItem(ShownName(rows[row].path));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (rows[row].failed) {
      item->setForeground(kFailedColour);
      item->setIcon(list_.style()->standardIcon(QStyle::SP_MessageBoxWarning));
      item->setToolTip(ToQString(engine::kFolderFailedMark));
    } else {
      ShowCoverage(*item, session_.CoverageOf(row));
    }
    item->setToolTip(WithWatchChoiceTip(item->toolTip(), session_.WatchChoiceOf(row)));
    list_.setItem(static_cast<int>(row), 0, item);
  }
}

}  // namespace tavrek::ui
