// The frame's placement, kept across runs, and full screen.
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

#include "core/app/command_ids.h"
#include "core/app/window_placement.h"
#include "ui/app/main_frame.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

app::Rect ToRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const app::Rect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

app::Rect VirtualScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->virtualGeometry()) : app::Rect{};
}

}  // namespace

void MainFrame::RestorePlacement() {
  const auto text = app::LoadPlacementText(*services_.windowContext.registry);
  if (!text) return;
  const auto placement = app::ApplyPlacementText(*text, VirtualScreen());
  if (!placement) return;
  setGeometry(ToQRect(placement->rect));
  if (placement->maximise) setWindowState(windowState() | Qt::WindowMaximized);
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

void MainFrame::closeEvent(QCloseEvent* event) {
  SavePlacement();
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
