#pragma once
// A watch window on its own settings and registry, shown offscreen, with
// every model checked by Qt's model tester.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <memory>

#include "core/app/control_ids.h"
#include "core/app/settings_store.h"
#include "core/engine/action.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/lists/tree_list.h"
#include "ui/support/ui_helpers.h"
#include "ui/window/access_view_controller.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/folder_list_controller.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {

class WatchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Dialogs::Reset(); }

  std::unique_ptr<WatchWindow> MakeWindow(QSize size = {1000, 700}) {
    WatchWindowContext context;
    context.settings = &settings_;
    context.registry = &registry_;
    context.localDrives = [this] { return localDrives_; };
    context.systemText = "Testsystem";
    auto window = std::make_unique<WatchWindow>(context);
    window->resize(size);
    window->show();
    for (QAbstractItemModel* model : {window->changeLog()->model(), window->access().list()->model(),
                                      window->access().tree()->model()}) {
      new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal,
                                   window.get());
    }
    return window;
  }

  // One change handed to the session as a source would.
  struct Fed {
    std::string path;
    int32_t pid = 0;
    engine::Action action = engine::Action::kWritten;
  };
  static void Feed(WatchWindow& window, const std::vector<Fed>& changes) {
    engine::EventBatch batch;
    batch.generation = window.session().generation();
    for (const Fed& change : changes) {
      engine::ChangeEvent& event = batch.events.emplace_back();
      event.path = change.path;
      event.action = change.action;
      event.pid = change.pid;
    }
    window.session().queue().Push(std::move(batch));
    window.FlushViews();
  }

  static QString Caption(WatchWindow& window) {
    return static_cast<QPushButton*>(window.Control(app::control::kStartStop))->text();
  }
  static QStringList Column(QTableWidget& table, int column) {
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row) texts << table.item(row, column)->text();
    return texts;
  }
  static QString LogCell(WatchWindow& window, int row, int column) {
    return window.changeLog()->model()->index(row, column).data().toString();
  }

  testing::TempFolder config_;
  app::SettingsStore settings_{(config_.path() / "Tavrek.ini").string()};
  platform::RegistryStore registry_{(config_.path() / "registry.reg").string()};
  std::vector<std::string> localDrives_;
};

}  // namespace tavrek::ui
