// Runs the window tests inside one QApplication, headless unless a platform
// is chosen in QT_QPA_PLATFORM.

#include <gtest/gtest.h>

#include <QApplication>

#include "window/qt/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  parlavox::prepareApplication(app);
  return RUN_ALL_TESTS();
}
