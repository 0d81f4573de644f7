// The interval box (Edit3) and the exact interval behind its text. The program writes the
// interval rounded to a few digits; while the box still shows the text the program wrote, it
// stands for the exact ends, so that a sample at a real end of the data stays inside.
#pragma once

#include "app/window.h"

// Writes the box as `pattern` ("[%lg;%lg]") formats the two ends, keeping the exact ends.
void writeIntervalBox(Window& window, const char* pattern, double left, double right);

// Reads the box into left and right as "[%lg;%lg]" scans it (an end the scan does not reach
// keeps its value); while the box shows the text the program wrote, the exact ends instead.
void readIntervalBox(const Window& window, double& left, double& right);
