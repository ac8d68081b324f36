#pragma once
// The notification-area icon behind a small interface, so that the tray
// controller can be driven in tests without a desktop tray.
#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace tavrek::ui {

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // Whether the desktop has a notification area at all.
  virtual bool IsTrayAvailable() const = 0;
  virtual void Show(const QIcon& icon, const QString& tip) = 0;
  virtual void Hide() = 0;
  // Whether the icon is still there.
  virtual bool IsShown() const = 0;

  std::function<void()> onLeftClick;
  std::function<void(const QPoint& globalPosition)> onRightClick;
};

// The real icon: QSystemTrayIcon.
class SystemTrayIcon : public TrayIcon {
 public:
  SystemTrayIcon();
  ~SystemTrayIcon() override;
  bool IsTrayAvailable() const override;
  void Show(const QIcon& icon, const QString& tip) override;
  void Hide() override;
  bool IsShown() const override;

 private:
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace tavrek::ui
