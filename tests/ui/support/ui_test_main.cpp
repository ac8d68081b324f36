// Runs the widget tests on one QApplication, with every dialog answered by
// the tests instead of shown.
#include <gtest/gtest.h>

#include "ui/common/dialogs.h"
#include "ui/support/qt_application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new tavrek::testing::QtApplicationEnvironment);
  tavrek::ui::Dialogs::SetTestMode(true);
  return RUN_ALL_TESTS();
}
