// The main of the widget tests: one QApplication for the whole program,
// offscreen unless told otherwise, and every dialog answered by the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/app/dialogs.h"

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  tavrek::ui::Dialogs::SetTestMode(true);
  return RUN_ALL_TESTS();
}
