#pragma once
// "To Tray": the frame hides and an icon in the notification area brings it
// back. A keeper timer on the UI thread shows the icon again when it went
// away (a restarted panel). Where the desktop has no notification area the
// frame stays as it is and the status bar says why, so it is never lost.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/app/tray_icon.h"

class QMenu;
class QWidget;

namespace tavrek::ui {

struct TrayContext {
  QWidget* frame = nullptr;
  QIcon icon;
  QString tip;                                 // cut to kTrayTipLength
  std::function<QMenu*()> menu;                // shown on a right click
  std::function<void(int command)> command;    // a command chosen from it
  std::function<void(const QString&)> status;  // a line for the status bar
};

inline constexpr int kTrayTipLength = 127;
inline constexpr int kTrayKeeperMilliseconds = 5000;

class TrayController : public QObject {
 public:
  TrayController(TrayContext context, std::unique_ptr<TrayIcon> icon, QObject* parent = nullptr);
  ~TrayController() override;

  // The command "To Tray", both ways.
  void ToggleTray();
  bool InTray() const { return inTray_; }
  // What the keeper does every few seconds.
  void KeepIconAlive();

  const QTimer& keeper() const { return keeper_; }
  TrayIcon& icon() { return *icon_; }
  static QString CutTip(const QString& tip);
  // The status text given when there is no notification area.
  static QString NoTrayText();

 private:
  void ShowRightClickMenu(const QPoint& position);

  TrayContext context_;
  std::unique_ptr<TrayIcon> icon_;
  QTimer keeper_;
  bool inTray_ = false;
  Qt::WindowStates stateBeforeTray_;
};

}  // namespace tavrek::ui
