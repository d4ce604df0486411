#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  // Windows are built offscreen: no test may need a display or wait on a real dialog.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
