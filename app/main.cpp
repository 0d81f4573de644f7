// Serna: starts the main window in its demonstration state and runs the event loop.
#include <QApplication>
#include <clocale>

#include "app/form/tform1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Serna");
  // The boxes, panels and files use a decimal point whatever the user's locale: Qt has
  // switched the C library to that locale, so numbers go back to the "C" rules.
  std::setlocale(LC_NUMERIC, "C");
  TForm1 form;
  form.show();
  return QApplication::exec();
}
