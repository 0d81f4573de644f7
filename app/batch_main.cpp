// serna-batch [SCRIPT]: the program without a screen. Runs the main window offscreen and
// executes the script (the file, or standard input) as a person would act on the window.
#include <QApplication>
#include <fstream>
#include <iostream>

#include "app/form/batch_runner.h"
#include "app/form/tform1.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName("Serna");

  std::ifstream file;
  if (argc > 1) {
    file.open(argv[1]);
    if (!file) {
      std::cerr << "serna-batch: cannot open " << argv[1] << "\n";
      return 2;
    }
  }
  auto dialogs = std::make_unique<ScriptedDialogs>([](const std::string& text) {
    std::string line = text;
    for (char& c : line)
      if (c == '\n' || c == '\r') c = ' ';
    std::cout << line << std::endl;
  });
  ScriptedDialogs& script = *dialogs;
  TForm1 form(std::move(dialogs));
  return runBatch(form, script, argc > 1 ? static_cast<std::istream&>(file) : std::cin, std::cout,
                  std::cerr);
}
