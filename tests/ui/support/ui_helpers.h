#pragma once
// Helpers shared by the widget tests: a file's bytes, a watch window's
// folders and option boxes, a stand-in for the notification area. Pictures
// of widgets are made by bench/ui_pictures, not by the tests.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTableWidget>
#include <filesystem>
#include <string>

#include "core/platform/file_io.h"
#include "ui/app/tray_icon.h"
#include "ui/window/folder_list_controller.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {

inline std::string Bytes(const std::filesystem::path& path) { return platform::ReadWholeFile(path.string()).bytes; }

inline QCheckBox* Box(WatchWindow& window, int boxId) {
  return static_cast<QCheckBox*>(window.Control(boxId));
}

inline QStringList Folders(WatchWindow& window) {
  QStringList folders;
  for (int row = 0; row < window.folders().list()->rowCount(); ++row) {
    folders << window.folders().list()->item(row, 0)->text();
  }
  return folders;
}

// Stands in for the notification area.
class FakeTrayIcon : public TrayIcon {
 public:
  bool IsTrayAvailable() const override { return available; }
  void Show(const QIcon&, const QString& tip) override {
    shown = true;
    ++adds;
    lastTip = tip;
  }
  void Hide() override { shown = false; }
  bool IsShown() const override { return shown; }

  bool available = true;
  bool shown = false;
  int adds = 0;
  QString lastTip;
};

}  // namespace tavrek::ui
