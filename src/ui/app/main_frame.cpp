#include "ui/app/main_frame.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QVBoxLayout>
#include <stack>

#include "core/app/command_ids.h"
#include "core/app/frame_rules.h"
#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "ui/app/address_box.h"
#include "ui/app/folder_tree_menu.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/settings_notice.h"
#include "ui/app/window_captions.h"
#include "ui/common/program_icon.h"
#include "ui/common/text.h"
#include "ui/window/session_bridge.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

constexpr std::string_view kIdleText = "Bin bereit ;)";
constexpr qsizetype kNumberedWindows = 9;  // "&1" to "&9" give a key

// "&1 caption" for the first nine windows, "10 caption" after them; the
// caption is cut as on its tab, and an "&" in it stays a character.
QString WindowListText(qsizetype index, const QString& caption) {
  const QString number = QString::number(index + 1);
  QString shown = ToQString(app::TabCaption(ToUtf8(caption)));
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return (index < kNumberedWindows ? QStringLiteral("&") : QString()) + number + QLatin1Char(' ') + shown;
}

}  // namespace

MainFrame::MainFrame(FrameServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
  if (!services_.keyboard) services_.keyboard = [] { return QGuiApplication::queryKeyboardModifiers(); };
  settingsNotice_ = new SettingsNotice(*this, services_.windowContext.settings,
                                       services_.windowContext.registry);
  setWindowTitle(ToQString(app::kProductName));
  setWindowIcon(ProgramWindowIcon());
  auto* centre = new QWidget(this);
  auto* layout = new QVBoxLayout(centre);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  captions_ = new WindowCaptions(this);
  area_ = new QMdiArea(centre);
  area_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  tabBar_ = new FrameTabBar(*area_, centre);
  layout->addWidget(tabBar_);
  layout->addWidget(area_);
  setCentralWidget(centre);
  idleLabel_ = new QLabel(ToQString(kIdleText), this);
  statusBar()->addWidget(idleLabel_, 1);
  watchStatus_ = new QLabel(this);
  watchStatus_->setObjectName(QStringLiteral("watchStatus"));
  statusBar()->addPermanentWidget(watchStatus_);
  connect(tabBar_, &FrameTabBar::statusText, this, [this](const QString& text) {
    if (text.isEmpty()) statusBar()->clearMessage(); else statusBar()->showMessage(text);
  });
  connect(tabBar_, &FrameTabBar::filesDropped, this, &MainFrame::OnFilesDropped);
  CreateMenus();
  CreateAccelerators();
  CreateBars();
  ApplyViewSettings();
  CreateTray();
  RestorePlacement();
}

// The children go after this destructor has run; what they say on their way
// (the area's last activation, a bridge's last tick) must not reach it.
MainFrame::~MainFrame() {
  area_->disconnect(this);
  tabBar_->disconnect(this);
  for (QMdiSubWindow* window : area_->subWindowList()) {
    if (auto* watch = qobject_cast<WatchWindow*>(window->widget())) {
      watch->bridge().disconnect(this);
      watch->bridge().disconnect(captions_);
      watch->disconnect(captions_);
    }
  }
}

QAction* MainFrame::action(int command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void MainFrame::CreateMenus() {
  for (const app::MenuPopup& popup : app::FrameMenus()) {
    QMenu* menu = menuBar()->addMenu(ToQString(popup.title));
    AddMenuItems(menu, popup);
    switch (popup.kind) {
      case app::MenuPopupKind::FolderMenu:
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { RefreshFolderMenu(menu); });
        break;
      case app::MenuPopupKind::Windows:
        windowMenu_ = menu;
        windowMenuItems_ = static_cast<int>(menu->actions().size());
        connect(menu, &QMenu::aboutToShow, this, &MainFrame::ListOpenWindows);
        break;
      case app::MenuPopupKind::Favourites: CreateFavouritesMenu(menu); break;
      case app::MenuPopupKind::Plain: break;
    }
  }
  connect(area_, &QMdiArea::subWindowActivated, this, &MainFrame::RefreshWindowMenu);
  connect(area_, &QMdiArea::subWindowActivated, this, &MainFrame::RefreshWatchStatus);
  connect(area_, &QMdiArea::subWindowActivated, this, &MainFrame::RefreshTitle);
  // The area writes the title too, when a child is maximised or restored.
  connect(this, &QWidget::windowTitleChanged, this, &MainFrame::RefreshTitle);
  RefreshWindowMenu();
  // The folder verb's check mark is asked each time its menu opens.
  if (auto* menu = qobject_cast<QMenu*>(action(cmd::kShellMenu)->parent())) {
    connect(menu, &QMenu::aboutToShow, this, &MainFrame::RefreshFolderVerbCheck);
  }
}

// "Tavrek - [caption]" while the current child is maximised, "Tavrek"
// otherwise. The area writes this itself only on some of the changes (not
// for a caption given to a child maximised before the frame was mapped), so
// the frame follows the current child, its caption and its state.
void MainFrame::RefreshTitle() {
  const QString product = ToQString(app::kProductName);
  const QMdiSubWindow* current = area_->currentSubWindow();
  if (current == nullptr || !current->isMaximized() || current->windowTitle().isEmpty()) {
    setWindowTitle(product);
    return;
  }
  setWindowTitle(product + QStringLiteral(" - [") + current->windowTitle() + QLatin1Char(']'));
}

void MainFrame::AddMenuItems(QMenu* menu, const app::MenuPopup& popup, bool frameEntries) {
  std::stack<QMenu*> menus;
  menus.push(menu);
  for (const app::MenuItem& item : popup.items) {
    if (item.flags & app::kMenuSubmenuBegin) {
      menus.push(menus.top()->addMenu(ToQString(item.text)));
    } else if (item.flags & app::kMenuSubmenuEnd) {
      menus.pop();
    } else if (item.command == 0 && item.text.empty()) {
      menus.top()->addSeparator();
    } else {
      QAction* entry = menus.top()->addAction(ToQString(item.text));
      entry->setCheckable((item.flags & app::kMenuCheckable) != 0);
      entry->setEnabled((item.flags & app::kMenuDisabled) == 0);
      if (item.command == 0) continue;
      entry->setData(item.command);
      if (!frameEntries) continue;
      actions_[item.command] = entry;
      const int command = item.command;
      connect(entry, &QAction::triggered, this, [this, command] { HandleCommand(command); });
    }
  }
}

// Keys of commands without a menu entry get an action of their own on the frame.
void MainFrame::CreateAccelerators() {
  for (const app::Accelerator& accelerator : app::FrameAccelerators()) {
    QAction* entry = action(accelerator.command);
    if (!entry) {
      entry = new QAction(this);
      entry->setData(accelerator.command);
      addAction(entry);
      actions_[accelerator.command] = entry;
      const int command = accelerator.command;
      connect(entry, &QAction::triggered, this, [this, command] { HandleCommand(command); });
    }
    entry->setShortcut(QKeySequence(ToQString(accelerator.keys), QKeySequence::PortableText));
  }
  leaveFullScreen_ = new QAction(this);
  leaveFullScreen_->setShortcut(QKeySequence(Qt::Key_Escape));
  leaveFullScreen_->setEnabled(false);
  addAction(leaveFullScreen_);
  connect(leaveFullScreen_, &QAction::triggered, this, &MainFrame::LeaveFullScreen);
}

void MainFrame::CreateBars() {
  driveBar_ = new DriveBar(services_.readMounts, services_.sysfsRoot, this);
  driveBar_->setObjectName(QStringLiteral("driveBar"));
  addToolBar(Qt::TopToolBarArea, driveBar_);
  connect(driveBar_, &DriveBar::commandChosen, this, [this](int command) { HandleCommand(command); });
  connect(driveBar_, &DriveBar::folderChosen, this, [this](const QString& path) { OpenFolder(path, false); });
  addToolBarBreak(Qt::TopToolBarArea);
  addressBar_ = new QToolBar(QStringLiteral("Adresse"), this);
  addressBar_->setObjectName(QStringLiteral("addressBar"));
  addressBar_->setMovable(false);
  addressBox_ = new AddressBox(addressBar_);
  addressBar_->addWidget(addressBox_);
  addToolBar(Qt::TopToolBarArea, addressBar_);
  connect(addressBox_, &AddressBox::openRequested, this,
          [this](const QString& path) { OpenFolder(path, false); });
  connect(addressBox_, &AddressBox::focusWindowRequested, this, &MainFrame::FocusActiveWindow);
}

void MainFrame::ApplyViewSettings() {
  const auto frame = app::FrameSettings::Load(*services_.windowContext.settings);
  driveBar_->setVisible(frame.toolbar);
  tabBar_->setVisible(frame.tabBar);
  statusBar()->setVisible(frame.statusBar);
  action(cmd::kToggleToolbar)->setChecked(frame.toolbar);
  action(cmd::kToggleTabBar)->setChecked(frame.tabBar);
  action(cmd::kToggleStatusBar)->setChecked(frame.statusBar);
  action(cmd::kStartMaximised)->setChecked(frame.startMaximised);
  action(cmd::kShowStartHelp)->setChecked(frame.startHelp);
}

// "Tav&rek" keeps its heading and lists the drives, read fresh by the drive bar.
void MainFrame::RefreshFolderMenu(QMenu* menu) {
  const QList<QAction*> entries = menu->actions();
  for (qsizetype index = 1; index < entries.size(); ++index) {
    menu->removeAction(entries[index]);
    if (QMenu* submenu = entries[index]->menu()) {
      submenu->deleteLater();
    } else {
      entries[index]->deleteLater();
    }
  }
  AddDriveEntries(*menu, driveBar_->drives(), [this](const QString& path) { OpenFolder(path, false); });
}

void MainFrame::RefreshWindowMenu() {
  windowMenu_->menuAction()->setVisible(!area_->subWindowList().isEmpty());
}

// Below the arranging entries, one entry per open window, numbered as MDI
// programs do; the active one is checked and choosing one activates it.
void MainFrame::ListOpenWindows() {
  const QList<QAction*> entries = windowMenu_->actions();
  for (qsizetype index = windowMenuItems_; index < entries.size(); ++index) {
    windowMenu_->removeAction(entries[index]);
    entries[index]->deleteLater();
  }
  const QList<QMdiSubWindow*> windows = area_->subWindowList();
  if (windows.isEmpty()) return;
  windowMenu_->addSeparator();
  for (qsizetype index = 0; index < windows.size(); ++index) {
    QMdiSubWindow* window = windows[index];
    QAction* entry = windowMenu_->addAction(WindowListText(index, window->windowTitle()));
    entry->setCheckable(true);
    entry->setChecked(window == area_->currentSubWindow());
    connect(entry, &QAction::triggered, this, [this, target = QPointer<QMdiSubWindow>(window)] {
      if (target) area_->setActiveSubWindow(target);
    });
  }
}

void MainFrame::ShowAtStart() {
  if (app::LoadFrameFlag(*services_.windowContext.settings, app::FrameFlag::StartMaximised)) {
    showMaximized();
  } else {
    show();
  }
}

}  // namespace tavrek::ui
