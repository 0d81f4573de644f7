// The window tests run the real main window offscreen inside one application object.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName("Serna");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
