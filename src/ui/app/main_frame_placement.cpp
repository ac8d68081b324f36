// The frame's placement, kept across runs, and full screen.
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <optional>

#include "core/app/command_ids.h"
#include "core/app/window_placement.h"
#include "ui/app/main_frame.h"
#include "ui/app/settings_notice.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

app::Rect ToRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const app::Rect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

constexpr int kDefaultWidth = 1100;
constexpr int kDefaultHeight = 760;
constexpr int kTitleBarLines = 2;  // room for a window manager's title bar

app::Rect VirtualScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->virtualGeometry()) : app::Rect{};
}

// The window manager's frame is known once the frame has been shown; before,
// room is kept for a title bar of two text lines and a thin border.
app::Margins FrameMargins(const QWidget& frame) {
  const QRect outer = frame.frameGeometry();
  const QRect inner = frame.geometry();
  if (outer != inner) {
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
  }
  const QStyle& style = *frame.style();
  const int border = style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
  const int title = std::max(style.pixelMetric(QStyle::PM_TitleBarHeight),
                             kTitleBarLines * frame.fontMetrics().height());
  return {border, title + border, border, border};
}

}  // namespace

// A first start (or a stored placement that holds no window) fits the free
// area of the screen the frame is on, status bar included.
void MainFrame::RestorePlacement() {
  const auto text = app::LoadPlacementText(*services_.windowContext.registry);
  const auto placement =
      text ? app::ApplyPlacementText(*text, VirtualScreen()) : std::optional<app::PlacementResult>();
  const app::Rect& stored = placement ? placement->rect : app::Rect{};
  if (stored.right > stored.left && stored.bottom > stored.top) {
    setGeometry(ToQRect(stored));
    if (placement->maximise) setWindowState(windowState() | Qt::WindowMaximized);
    return;
  }
  const QScreen* place = screen();
  if (!place) return;
  setGeometry(ToQRect(app::FirstPlacement(ToRect(place->availableGeometry()), kDefaultWidth,
                                          kDefaultHeight, FrameMargins(*this))));
}

// A frame closed in full screen is remembered as it was before.
void MainFrame::SavePlacement() {
  app::WindowPlacementInfo info;
  info.current = ToRect(fullScreen_ ? rectBeforeFullScreen_ : geometry());
  if (!fullScreen_ && normalGeometry().isValid()) info.normal = ToRect(normalGeometry());
  if (isMinimized()) {
    info.showState = app::kShowMinimised;
  } else if (fullScreen_ ? (stateBeforeFullScreen_ & Qt::WindowMaximized) : isMaximized()) {
    info.showState = app::kShowMaximised;
  }
  app::SavePlacement(*services_.windowContext.registry, info);
}

// A placement that cannot be saved is said while the frame is still there
// to own the box: the event loop may not come back.
void MainFrame::closeEvent(QCloseEvent* event) {
  SavePlacement();
  settingsNotice_->ShowPending();
  hide();
  area_->closeAllSubWindows();
  event->accept();
}

void MainFrame::EnterFullScreen() {
  rectBeforeFullScreen_ = geometry();
  stateBeforeFullScreen_ = windowState();
  QMdiSubWindow* active = area_->currentSubWindow();
  // Without a window manager the state alone changes nothing on screen; the
  // geometry goes first, as setting it ends every special state.
  if (const QScreen* place = screen()) setGeometry(place->geometry());
  setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
  if (active) {
    active->showMaximized();
    area_->setActiveSubWindow(active);
  }
  fullScreen_ = true;
  action(cmd::kFullScreen)->setChecked(true);
  leaveFullScreen_->setEnabled(true);
}

void MainFrame::LeaveFullScreen() {
  if (!fullScreen_) return;
  QMdiSubWindow* active = area_->currentSubWindow();
  setWindowState(stateBeforeFullScreen_);
  if (!(stateBeforeFullScreen_ & Qt::WindowMaximized)) setGeometry(rectBeforeFullScreen_);
  if (active) {
    active->showNormal();
    area_->setActiveSubWindow(active);
  }
  fullScreen_ = false;
  action(cmd::kFullScreen)->setChecked(false);
  leaveFullScreen_->setEnabled(false);
}

}  // namespace tavrek::ui
