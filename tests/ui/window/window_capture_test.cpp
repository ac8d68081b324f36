// A watch window whose backend is the capture helper: the rows arrive
// through the helper's stream and name the process behind each change.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/app/command_ids.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/change_log.h"
#include "ui/support/pump.h"
#include "window_fixture.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

// The helper of the same build: the test program lives in <build>/tests.
std::string HelperOfThisBuild() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (self.parent_path().parent_path() / "src/capture/tavrek-capture").string();
}

TEST_F(WatchWindowTest, RowsThroughTheCaptureHelperNameTheProcess) {
  if (geteuid() != 0) GTEST_SKIP() << "the helper is not installed for this user";
  const std::string helper = HelperOfThisBuild();
  if (access(helper.c_str(), X_OK) != 0) GTEST_SKIP() << "no helper at " << helper;
  setenv(engine::kCaptureHelperVariable, helper.c_str(), 1);
  testing::TempFolder watched;
  WatchWindowContext context;
  context.settings = &settings_;
  context.registry = &registry_;
  context.backend = engine::BackendType::Capture;
  WatchWindow window(context);
  window.HandleCommand(cmd::kDoScan, QString::fromStdString(watched.path().string()));
  ASSERT_TRUE(testing::PumpUntil([&] { return window.session().SourcesReady(); }));

  // Written by this test, which lives on: its name can always be read.
  const std::string file = (watched.path() / "by-test").string();
  std::ofstream(file).put('x');
  const QString named = QStringLiteral(" (%1, eigen)").arg(getpid());
  auto* model = window.changeLog()->model();
  EXPECT_TRUE(testing::PumpUntil([&] {
    for (int row = 0; row < model->rowCount(); ++row) {
      if (model->index(row, engine::kLogColumnName).data().toString().toStdString() == file &&
          model->index(row, engine::kLogColumnProcess).data().toString().endsWith(named)) {
        return true;
      }
    }
    return false;
  })) << model->index(0, engine::kLogColumnName).data().toString().toStdString() << " | "
      << model->index(0, engine::kLogColumnProcess).data().toString().toStdString() << " rows "
      << model->rowCount();
  unsetenv(engine::kCaptureHelperVariable);
}

}  // namespace
}  // namespace tavrek::ui
