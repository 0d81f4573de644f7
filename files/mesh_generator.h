// "File" > "Load" > "Mesh": replaces the samples by a uniform time grid of zeros, one sample
// per sampling period, from a total time in seconds and a sampling rate in hertz.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/window.h"
#include "app/workspace.h"

// A whole decimal integer, blanks around it allowed; `fallback` for any other text or one
// beyond the 32-bit range.
int32_t integerOr(const std::string& text, int32_t fallback);

// The abscissae h, 2h, ..., n h as a running sum of h.
std::vector<double> meshAbscissae(int32_t n, double h);

void generateMesh(Workspace& ws, Window& window);
