#pragma once
// The drive bar: "Neu", one button per mounted drive and the "AP" menu of
// drives. The mounts are read on a thread of the bar's own, since a dead
// network mount can hang whoever looks at it; the buttons appear when the
// answer is in.
#include <QToolBar>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "core/app/drive_buttons.h"

class QMenu;
class QToolButton;

namespace tavrek::ui {

class DriveBar : public QToolBar {
  Q_OBJECT

 public:
  using MountReader = std::function<std::vector<platform::MountEntry>()>;

  DriveBar(MountReader readMounts, std::string sysfsRoot, QWidget* parent = nullptr);
  ~DriveBar() override;

  // The drive of a command (4001 upward); empty for any other command.
  QString PathOf(int command) const;
  const std::vector<app::DriveButton>& drives() const { return drives_; }
  bool ready() const { return ready_; }
  // The "AP" drop-down: the drives as folder menus; a chosen folder says `folderChosen`.
  QMenu* driveMenu() const { return driveMenu_; }

 signals:
  void commandChosen(int command);
  void folderChosen(const QString& path);
  void drivesReady();

 private:
  void AddDrives(std::vector<app::DriveButton> drives);
  void FillDriveMenu();

  std::vector<app::DriveButton> drives_;
  std::map<int, QString> paths_;
  QMenu* driveMenu_ = nullptr;
  QToolButton* menuButton_ = nullptr;
  bool ready_ = false;
  std::thread reader_;
};

// A drive's icon by its kind.
QIcon DriveIcon(platform::DriveKind kind);

}  // namespace tavrek::ui
