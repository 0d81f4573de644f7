// serna-batch: runs a script against the real main window, line by line, as a person would act
// on it. Returns the exit status: 0, or 2 at the first line it does not understand.
#pragma once

#include <iosfwd>

class TForm1;
class ScriptedDialogs;

int runBatch(TForm1& form, ScriptedDialogs& dialogs, std::istream& script, std::ostream& out,
             std::ostream& err);
