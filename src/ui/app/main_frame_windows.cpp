// The frame's children: creating watch windows, the opening step of a run,
// opening folders and arranging the windows.
#include <algorithm>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStyle>

#include "core/app/command_ids.h"
#include "core/app/frame_rules.h"
#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "core/app/start_help_text.h"
#include "core/engine/folder_set.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/main_frame.h"
#include "ui/app/start_help_window.h"
#include "ui/app/window_captions.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/setups/setup_io.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

constexpr int kChildWidth = 900;
constexpr int kChildHeight = 600;
constexpr int kMinimumChildWidth = 320;
constexpr int kMinimumChildHeight = 240;
constexpr int kCascadeStep = 26;
constexpr int kCascadeSteps = 8;
constexpr int kMinimisedWidth = 160;
constexpr int kFolderIconSize = 16;

QString MissingFolderText(const QString& path) {
  return QStringLiteral("Verzeichnis ?\n\n") + path;
}

QIcon FolderIcon(const QFileInfo& folder, const QStyle& style) {
  const QIcon icon = QFileIconProvider().icon(folder);
  return icon.pixmap(kFolderIconSize).isNull() ? style.standardIcon(QStyle::SP_DirIcon) : icon;
}

}  // namespace

WatchWindow* MainFrame::activeWatchWindow() const {
  QMdiSubWindow* active = area_->currentSubWindow();
  return active ? qobject_cast<WatchWindow*>(active->widget()) : nullptr;
}

QMdiSubWindow* MainFrame::AddChild(QWidget* child, const QString& caption, const QIcon& icon) {
  QMdiSubWindow* window = area_->addSubWindow(child);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(caption);
  window->setWindowIcon(icon);
  window->resize(kChildWidth, kChildHeight);
  tabBar_->AddWindow(window);
  connect(window, &QWidget::windowTitleChanged, this, &MainFrame::RefreshTitle);
  connect(window, &QMdiSubWindow::windowStateChanged, this, &MainFrame::RefreshTitle);
  connect(window, &QObject::destroyed, this, &MainFrame::RefreshWindowMenu, Qt::QueuedConnection);
  // The status bar may still name the window or offer to close it.
  connect(window, &QObject::destroyed, this, [this] { statusBar()->clearMessage(); }, Qt::QueuedConnection);
  return window;
}

WatchWindow* MainFrame::CreateWatchWindow(bool maximised) {
  auto* watch = new WatchWindow(services_.windowContext);
  QMdiSubWindow* window = AddChild(watch, ToQString(app::kProductName), windowIcon());
  ListenToWindow(watch);
  captions_->Follow(*watch);
  if (maximised) {
    window->showMaximized();
  } else {
    PlaceCascaded(window);
    window->show();
  }
  area_->setActiveSubWindow(window);
  RefreshWindowMenu();
  return watch;
}

// A window that is not maximised takes the next step of a cascade from the
// top left, three quarters of the area in size, as the platform's default
// place for a new child would be.
void MainFrame::PlaceCascaded(QMdiSubWindow* window) {
  const QSize space = area_->viewport()->size();
  const int step = static_cast<int>(area_->subWindowList().size() - 1) % kCascadeSteps;
  const QSize size(std::max(space.width() * 3 / 4, kMinimumChildWidth),
                   std::max(space.height() * 3 / 4, kMinimumChildHeight));
  window->setGeometry(QRect(QPoint(step * kCascadeStep, step * kCascadeStep), size));
}

WatchWindow* MainFrame::NewWatchWindow() { return CreateWatchWindow(counter_.TakeMaximise()); }

QMdiSubWindow* MainFrame::OpenStartHelp() {
  QMdiSubWindow* window =
      AddChild(new StartHelpWindow, ToQString(app::kStartHelpCaption), windowIcon());
  window->showMaximized();
  area_->setActiveSubWindow(window);
  RefreshWindowMenu();
  return window;
}

void MainFrame::OpenStart(const app::StartCommand& start) {
  switch (start.form) {
    case app::StartForm::Empty:
      NewWatchWindow();
      if (app::LoadFrameFlag(*services_.windowContext.settings, app::FrameFlag::StartHelp)) {
        OpenStartHelp();
      }
      break;
    case app::StartForm::Folder: {
      // The old hand-over form may list several folders.
      WatchWindow* window = NewWatchWindow();
      window->session().StartFolders(engine::SplitFolderList(start.argument), true);
      window->FlushViews();
      break;
    }
    case app::StartForm::OneFolder: {
      // Exactly this folder, its bytes as given: a "," is part of its name.
      WatchWindow* window = NewWatchWindow();
      window->session().StartFolders({start.argument}, true);
      window->FlushViews();
      break;
    }
    case app::StartForm::Document: OpenDocument(ToQString(start.argument)); break;
    case app::StartForm::Help: break;  // the help window runs without a frame
  }
}

// The document is read before its window is made: one that cannot be read
// (missing, a FIFO or a folder, too large) is said why and opens no window.
void MainFrame::OpenDocument(const QString& path, bool counted) {
  const auto read = ReadSetupOrSay(this, path, true);
  if (!read) return;
  WatchWindow& window = counted ? *NewWatchWindow() : *CreateWatchWindow(false);
  ApplySetup(window, path, *read);
  captions_->DocumentLoaded(window, path);
}

void MainFrame::OpenFolder(const QString& path, bool sameWindow) {
  const QFileInfo folder(path);
  if (path.isEmpty() || !folder.isDir()) {
    Dialogs::Message(this, QMessageBox::Warning, QString(), MissingFolderText(path));
    return;
  }
  const QIcon icon = FolderIcon(folder, *style());
  const Qt::KeyboardModifiers keys = services_.keyboard();
  WatchWindow* active = activeWatchWindow();
  const app::OpenFolderRoute route = app::RouteOpenFolder(
      keys & Qt::ShiftModifier, keys & Qt::ControlModifier, sameWindow, active != nullptr);
  WatchWindow* target = nullptr;
  switch (route) {
    case app::OpenFolderRoute::Nothing: return;
    case app::OpenFolderRoute::AddToActive:
      if (active->HandleCommand(cmd::kAddFolder, path)) target = active;
      break;
    case app::OpenFolderRoute::ReplaceInActive:
      if (active->HandleCommand(cmd::kDoScan, path)) target = active;
      break;
    case app::OpenFolderRoute::NewWindow:
      target = CreateWatchWindow(false);
      target->HandleCommand(cmd::kDoScan, path);
      break;
  }
  if (!target) return;
  captions_->FolderOpened(*target, path);
  if (auto* window = qobject_cast<QMdiSubWindow*>(target->parentWidget())) window->setWindowIcon(icon);
}

// The focus goes to the window's first control that takes the Tab key.
void MainFrame::FocusActiveWindow() {
  QMdiSubWindow* active = area_->currentSubWindow();
  if (!active) return;
  area_->setActiveSubWindow(active);
  QWidget* child = active->widget();
  for (QWidget* next = child->nextInFocusChain(); next && next != child; next = next->nextInFocusChain()) {
    if (child->isAncestorOf(next) && next->isVisible() && next->isEnabled() &&
        (next->focusPolicy() & Qt::TabFocus)) {
      next->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  child->setFocus(Qt::TabFocusReason);
}

// A folder dropped on a tab opens as a watch; files are not the frame's business.
void MainFrame::OnFilesDropped(QMdiSubWindow*, const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) OpenFolder(url.toLocalFile(), false);
  }
}

// Vertical: one below the other ("&Untereinander"); horizontal: side by side.
void MainFrame::Tile(Qt::Orientation direction) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : area_->subWindowList()) {
    if (!window->isMinimized() && window->isVisible()) windows << window;
  }
  if (windows.isEmpty()) return;
  const QRect space = area_->viewport()->rect();
  const int count = static_cast<int>(windows.size());
  for (int index = 0; index < count; ++index) {
    QMdiSubWindow* window = windows[index];
    if (window->isMaximized()) window->showNormal();
    if (direction == Qt::Vertical) {
      const int height = space.height() / count;
      window->setGeometry(0, index * height, space.width(), height);
    } else {
      const int width = space.width() / count;
      window->setGeometry(index * width, 0, width, space.height());
    }
  }
}

void MainFrame::ArrangeMinimised() {
  const QRect space = area_->viewport()->rect();
  int x = 0;
  for (QMdiSubWindow* window : area_->subWindowList()) {
    if (!window->isMinimized()) continue;
    window->move(x, space.bottom() - window->height() + 1);
    x += kMinimisedWidth;
  }
}

}  // namespace tavrek::ui
