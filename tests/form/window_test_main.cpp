// The window tests run the real main window offscreen inside one application object.
#include <gtest/gtest.h>
#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName("Serna");
  // The boxes, panels and files use a decimal point whatever the user's locale: Qt has
  // switched the C library to that locale, so numbers go back to the "C" rules.
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
