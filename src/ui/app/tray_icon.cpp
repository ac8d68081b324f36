#include "ui/app/tray_icon.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace tavrek::ui {

SystemTrayIcon::SystemTrayIcon() : icon_(std::make_unique<QSystemTrayIcon>()) {
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger && onLeftClick) onLeftClick();
                     if (reason == QSystemTrayIcon::Context && onRightClick) {
                       onRightClick(QCursor::pos());
                     }
                   });
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::IsTrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void SystemTrayIcon::Show(const QIcon& icon, const QString& tip) {
  icon_->setIcon(icon);
  icon_->setToolTip(tip);
  icon_->show();
}

void SystemTrayIcon::Hide() { icon_->hide(); }

bool SystemTrayIcon::IsShown() const {
  return icon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace tavrek::ui
