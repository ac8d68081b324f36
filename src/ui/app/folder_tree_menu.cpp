#include "ui/app/folder_tree_menu.h"

#include <QDir>
#include <QStyle>

#include "ui/app/drive_bar.h"
#include "ui/common/text.h"

namespace tavrek::ui {

FolderTreeMenu::FolderTreeMenu(QString folder, std::function<void(const QString&)> choose,
                               QWidget* parent)
    : QMenu(parent), folder_(std::move(folder)), choose_(std::move(choose)) {
  const QString name = QDir(folder_).dirName();
  setTitle(name.isEmpty() ? folder_ : name);
  setIcon(style()->standardIcon(QStyle::SP_DirIcon));
  connect(this, &QMenu::aboutToShow, this, &FolderTreeMenu::Fill);
}

void FolderTreeMenu::Fill() {
  if (filled_) return;
  filled_ = true;
  QAction* self = addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), folder_);
  connect(self, &QAction::triggered, this, [this] { choose_(folder_); });
  const QStringList names = QDir(folder_).entryList(
      QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks,
      QDir::Name | QDir::IgnoreCase);
  if (!names.isEmpty()) addSeparator();
  for (qsizetype index = 0; index < names.size() && index < kMaximumEntries; ++index) {
    addMenu(new FolderTreeMenu(QDir(folder_).filePath(names[index]), choose_, this));
  }
}

void AddDriveEntries(QMenu& menu, const std::vector<app::DriveButton>& drives,
                     const std::function<void(const QString&)>& choose) {
  for (const app::DriveButton& drive : drives) {
    const QString path = ToQString(drive.path);
    if (drive.kind == platform::DriveKind::Remote) {
      QAction* entry = menu.addAction(DriveIcon(drive.kind), path);
      QObject::connect(entry, &QAction::triggered, &menu, [choose, path] { choose(path); });
      continue;
    }
    auto* submenu = new FolderTreeMenu(path, choose, &menu);
    submenu->setTitle(path);
    submenu->setIcon(DriveIcon(drive.kind));
    menu.addMenu(submenu);
  }
}

}  // namespace tavrek::ui
