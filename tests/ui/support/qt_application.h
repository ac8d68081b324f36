#pragma once
// The one QApplication of a widget test program, made when the tests start
// and destroyed after the last one. Offscreen unless QT_QPA_PLATFORM names
// another platform.
#include <gtest/gtest.h>

#include <memory>

class QApplication;

namespace tavrek::testing {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  QtApplicationEnvironment();
  ~QtApplicationEnvironment() override;

  void SetUp() override;
  void TearDown() override;

 private:
  // QApplication keeps references to argc and argv: they live as long as it.
  int argc_ = 1;
  char name_[16] = "tavrek_ui_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

}  // namespace tavrek::testing
