#pragma once
// A main frame over settings and registry in a temporary folder, with the
// mounts, the keys held, the help run and the notification area under the
// test's control. The user's desktop folders are a temporary home: no test
// registers anything in the real one.
#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <memory>

#include "core/app/settings_store.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/app/main_frame.h"
#include "ui/app/start_up.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { Dialogs::Reset(); }
  void TearDown() override { Dialogs::Reset(); }

  FrameServices Services() {
    FrameServices services;
    services.windowContext.settings = &settings_;
    services.windowContext.registry = &registry_;
    services.windowContext.localDrives = [] { return std::vector<std::string>(); };
    services.windowContext.systemText = "Testsystem";
    services.readMounts = [this] { return mounts_; };
    services.sysfsRoot = sysfs_.path().string();
    services.keyboard = [this] { return keys_; };
    services.startHelpRun = [this] { ++helpRuns_; };
    services.desktop = Desktop();
    services.programPath = (home_.path() / "bin" / "tavrek").string();
    services.refreshDesktopDatabases = false;
    services.makeTrayIcon = [this] {
      auto icon = std::make_unique<FakeTrayIcon>();
      icon->available = trayAvailable_;
      trayIcon_ = icon.get();
      return icon;
    };
    return services;
  }

  std::unique_ptr<MainFrame> MakeFrame() {
    auto frame = std::make_unique<MainFrame>(Services());
    frame->show();
    return frame;
  }

  app::DesktopFolders Desktop() const { return app::DesktopFolders::For(home_.path().string(), "", ""); }

  // Begins a run on a command-line tail; the help window only counts.
  StartOutcome Begin(std::string_view tail, std::string_view programPath = "/usr/bin/tavrek",
                     const InstallerHandOff& installer = {}) {
    StartOutcome outcome =
        BeginRun(tail, programPath, Services(), [this] { ++helpShown_; }, installer);
    if (outcome.frame) outcome.frame->show();
    return outcome;
  }

  static QList<QMdiSubWindow*> Windows(MainFrame& frame) { return frame.mdiArea()->subWindowList(); }
  static WatchWindow* Watch(QMdiSubWindow* window) { return qobject_cast<WatchWindow*>(window->widget()); }
  static QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
  static QStringList Sorted(QStringList list) { return list.sort(), list; }
  // Entry texts, a separator as "-".
  static QStringList Texts(const QList<QAction*>& entries) {
    QStringList texts;
    for (QAction* entry : entries) texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    return texts;
  }

  testing::TempFolder config_;
  testing::TempFolder home_;
  testing::TempFolder sysfs_;
  app::SettingsStore settings_{(config_.path() / "Tavrek.ini").string()};
  platform::RegistryStore registry_{(config_.path() / "registry.reg").string()};
  std::vector<platform::MountEntry> mounts_;
  Qt::KeyboardModifiers keys_ = Qt::NoModifier;
  int helpRuns_ = 0;
  int helpShown_ = 0;
  bool trayAvailable_ = true;
  FakeTrayIcon* trayIcon_ = nullptr;
};

}  // namespace tavrek::ui
