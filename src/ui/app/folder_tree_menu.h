#pragma once
// A cascading menu of folders: each submenu starts with its own folder, then
// lists the folders inside it, read when the submenu first opens. Network
// drives do not cascade, since reading a dead share would hang the menu.
#include <QMenu>
#include <functional>
#include <vector>

#include "core/app/drive_buttons.h"

namespace tavrek::ui {

class FolderTreeMenu : public QMenu {
  Q_OBJECT

 public:
  static constexpr int kMaximumEntries = 300;

  FolderTreeMenu(QString folder, std::function<void(const QString&)> choose, QWidget* parent = nullptr);

  const QString& folder() const { return folder_; }
  // Reads the folder's subfolders into the menu, once.
  void Fill();

 private:
  QString folder_;
  std::function<void(const QString&)> choose_;
  bool filled_ = false;
};

// Appends one entry per drive to `menu`: local drives as folder menus,
// network drives as plain entries.
void AddDriveEntries(QMenu& menu, const std::vector<app::DriveButton>& drives,
                     const std::function<void(const QString&)>& choose);

}  // namespace tavrek::ui
