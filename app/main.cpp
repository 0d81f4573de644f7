// Serna: starts the main window in its demonstration state and runs the event loop.
#include <QApplication>

#include "app/form/tform1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Serna");
  TForm1 form;
  form.show();
  return QApplication::exec();
}
