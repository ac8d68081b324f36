#include "ui/app/drive_bar.h"

#include <QFileIconProvider>
#include <QMenu>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>

#include "core/app/command_ids.h"
#include "ui/app/folder_tree_menu.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

constexpr int kDriveButtonMinimumWidth = 48;
constexpr int kIconSize = 16;

// The documents folder's icon, or a folder's when the desktop's icon theme has none.
QIcon DocumentsIcon(const QStyle& style) {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QIcon icon = QFileIconProvider().icon(QFileInfo(documents));
  return icon.pixmap(kIconSize).isNull() ? style.standardIcon(QStyle::SP_DirIcon) : icon;
}

}  // namespace

QIcon DriveIcon(platform::DriveKind kind) {
  QFileIconProvider icons;
  switch (kind) {
    case platform::DriveKind::Remote: return icons.icon(QAbstractFileIconProvider::Network);
    default: return icons.icon(QAbstractFileIconProvider::Drive);
  }
}

DriveBar::DriveBar(MountReader readMounts, std::string sysfsRoot, QWidget* parent)
    : QToolBar(parent) {
  setWindowTitle(QStringLiteral("Laufwerke"));
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setIconSize(QSize(kIconSize, kIconSize));
  setMovable(false);
  QAction* newWindow = addAction(DocumentsIcon(*style()), QStringLiteral("Neu"));
  connect(newWindow, &QAction::triggered, this, [this] { emit commandChosen(cmd::kNewWindow); });

  driveMenu_ = new QMenu(this);
  menuButton_ = new QToolButton(this);
  menuButton_->setText(QStringLiteral("AP"));
  menuButton_->setPopupMode(QToolButton::InstantPopup);
  menuButton_->setMenu(driveMenu_);
  addWidget(menuButton_);

  reader_ = std::thread([this, readMounts = std::move(readMounts), sysfsRoot = std::move(sysfsRoot)] {
    std::vector<app::DriveButton> drives = app::DriveButtons(readMounts(), sysfsRoot);
    QMetaObject::invokeMethod(
        this, [this, drives = std::move(drives)]() mutable { AddDrives(std::move(drives)); },
        Qt::QueuedConnection);
  });
}

// The reader only reads the mount table and sysfs, so it ends soon; the
// answer it posted dies with the bar.
DriveBar::~DriveBar() {
  if (reader_.joinable()) reader_.join();
}

QString DriveBar::PathOf(int command) const {
  const auto found = paths_.find(command);
  return found == paths_.end() ? QString() : found->second;
}

// Each drive goes in right after "Neu", so the bar lists them last first,
// as a toolbar filled drive by drive does.
void DriveBar::AddDrives(std::vector<app::DriveButton> drives) {
  drives_ = std::move(drives);
  for (const app::DriveButton& drive : drives_) {
    const QString path = ToQString(drive.path);
    paths_[drive.command] = path;
    auto* action = new QAction(DriveIcon(drive.kind), path, this);
    action->setToolTip(path);
    const int command = drive.command;
    connect(action, &QAction::triggered, this, [this, command] { emit commandChosen(command); });
    insertAction(actions().value(1), action);
    if (QWidget* button = widgetForAction(action)) button->setMinimumWidth(kDriveButtonMinimumWidth);
  }
  FillDriveMenu();
  ready_ = true;
  emit drivesReady();
}

void DriveBar::FillDriveMenu() {
  driveMenu_->clear();
  AddDriveEntries(*driveMenu_, drives_, [this](const QString& path) { emit folderChosen(path); });
}

}  // namespace tavrek::ui
