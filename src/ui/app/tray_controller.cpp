#include "ui/app/tray_controller.h"

#include <QMenu>
#include <QWidget>

#include "ui/common/dialogs.h"

namespace tavrek::ui {

TrayController::TrayController(TrayContext context, std::unique_ptr<TrayIcon> icon,
                               QObject* parent)
    : QObject(parent), context_(std::move(context)), icon_(std::move(icon)) {
  keeper_.setInterval(kTrayKeeperMilliseconds);
  connect(&keeper_, &QTimer::timeout, this, &TrayController::KeepIconAlive);
  // A click arrives while the icon is busy with its own signal: act after it.
  icon_->onLeftClick = [this] {
    QMetaObject::invokeMethod(this, &TrayController::ToggleTray, Qt::QueuedConnection);
  };
  icon_->onRightClick = [this](const QPoint& position) { ShowRightClickMenu(position); };
}

TrayController::~TrayController() {
  if (inTray_) icon_->Hide();
}

QString TrayController::CutTip(const QString& tip) { return tip.left(kTrayTipLength); }

QString TrayController::NoTrayText() {
  return QStringLiteral("Kein Infobereich (System-Tray) vorhanden: das Fenster bleibt sichtbar.");
}

// The frame comes back as it went: maximised, full screen or normal.
void TrayController::ToggleTray() {
  QWidget* frame = context_.frame;
  if (inTray_) {
    if (frame) {
      frame->setWindowState(stateBeforeTray_);
      frame->show();
    }
    icon_->Hide();
    keeper_.stop();
    inTray_ = false;
    return;
  }
  if (!icon_->IsTrayAvailable()) {
    // Hiding the only window with no icon to bring it back would strand the
    // user, and a minimised one is lost on a desktop without a task bar.
    if (context_.status) context_.status(NoTrayText());
    return;
  }
  icon_->Show(context_.icon, CutTip(context_.tip));
  keeper_.start();
  inTray_ = true;
  if (frame) {
    stateBeforeTray_ = frame->windowState() & ~Qt::WindowMinimized;
    frame->hide();
  }
}

void TrayController::KeepIconAlive() {
  if (inTray_ && !icon_->IsShown()) icon_->Show(context_.icon, CutTip(context_.tip));
}

void TrayController::ShowRightClickMenu(const QPoint& position) {
  QMenu* menu = context_.menu ? context_.menu() : nullptr;
  if (menu == nullptr) return;
  const int chosen = Dialogs::PopupMenu(*menu, position);
  if (chosen != 0 && context_.command) context_.command(chosen);
}

}  // namespace tavrek::ui
