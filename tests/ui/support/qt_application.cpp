#include "ui/support/qt_application.h"

#include <QApplication>

namespace tavrek::testing {

QtApplicationEnvironment::QtApplicationEnvironment() = default;
QtApplicationEnvironment::~QtApplicationEnvironment() = default;

void QtApplicationEnvironment::SetUp() {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  application_ = std::make_unique<QApplication>(argc_, argv_);
}

void QtApplicationEnvironment::TearDown() { application_.reset(); }

}  // namespace tavrek::testing
