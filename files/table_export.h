// The table writer behind "File" > "Save": asks for a file name and writes one line per entry,
// two-column tables as " %30.20lg %30.20lg\n" (value first, abscissa second, the layout the
// samples reader reads) and coefficient tables as " %30.10lg %d \n". The five exports.
#pragma once

#include <cstdint>
#include <string>

#include "app/window.h"
#include "app/workspace.h"

// Asks for a file with the title "Save WORD into file", proposing the file-name part of the
// remembered name, and writes `count` lines: first[i] and second[i], or with no second column
// the coefficient format of first[i] and i. Reports a file that cannot be opened or written;
// the remembered name becomes the chosen path once the file is written. The writing is a long
// command: a cancel leaves no file behind and any previous one as it was.
void saveTable(Workspace& ws, Window& window, const std::string& word, std::string& remembered,
               int32_t count, const double* first, const double* second);

// The file-name part of a path, its folder dropped.
std::string fileNamePart(const std::string& path);

// "File" > "Save" > "Samples", "Weights", "Source" and "Values".
void saveSamples(Workspace& ws, Window& window);
void saveWeights(Workspace& ws, Window& window);
void saveSource(Workspace& ws, Window& window);
void saveValues(Workspace& ws, Window& window);
