// Runs the widget tests on one QApplication, with every dialog answered by
// the tests instead of shown. The application is made when the tests start
// and destroyed after the last one; offscreen unless QT_QPA_PLATFORM names
// another platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "ui/common/dialogs.h"

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  // QApplication keeps references to argc and argv: they live as long as it.
  int argc_ = 1;
  char name_[16] = "tavrek_ui_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
  tavrek::ui::Dialogs::SetTestMode(true);
  return RUN_ALL_TESTS();
}
