// The demonstration state every run starts from, the basis selection and the About box.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// Sets up the Workspace and the window as the program starts: two samples forming a step,
// the samples source, the Chebyshev basis of the first kind, 100 terms, 1000 points, [0, 2].
void startUp(Workspace& ws, Window& window);

// Makes entry `index` of the basis list the current basis; nothing is recomputed.
void selectBasis(Workspace& ws, int32_t index);

// "Help" > "About".
void showAbout(Window& window);

// The texts of the four status panels before any figure is shown.
extern const char* const startupPanelTexts[4];

// "Serna - " + data name + " [" + sampleCount + "]".
std::string captionFor(const std::string& dataName, int32_t sampleCount);
