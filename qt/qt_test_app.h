#pragma once
// For the tests of the window binding: one QApplication for the whole test
// program, drawing offscreen unless QT_QPA_PLATFORM names a platform.

#include <QApplication>

namespace korv::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "korv_qt_test";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's own statics may be gone by the time a static
  // QApplication would be.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace korv::testing
