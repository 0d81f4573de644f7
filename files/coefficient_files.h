// Coefficient files: one coefficient and its index per line, " %30.10lg %d \n", read back
// with "%lg %d". Opening one makes it the coefficient vector of the current basis, switches
// the source off and recomputes, as one long command that a cancel takes back whole; the
// built-in test series replaces the vector silently.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/window.h"
#include "app/workspace.h"

// Scans a line as "%lg %d": true with the coefficient and its index when both are present.
// An index beyond the 32-bit range saturates.
bool coefficientOnLine(const char* line, double& coefficient, int32_t& index);

// The largest non-negative index of a text, or -1 when no line holds one.
int32_t largestIndex(std::string_view text);
// Puts each line's coefficient at its index into c (count entries, zeroed by the caller);
// lines with a negative index or one beyond count are skipped, and a later line wins.
void readCoefficients(std::string_view text, double* c, int32_t count);

// The built-in test series: 10000 coefficients, k^(2 (D - 2)) at index k*k for k = 1..99 with
// D = 1.3, all others 0.
std::vector<double> testCoefficients();

// "File" > "Open" > "Coefficients", "File" > "Save" > "Coefficients" and
// "File" > "Load" > "Coefficients".
void openCoefficients(Workspace& ws, Window& window);
void saveCoefficients(Workspace& ws, Window& window);
void loadTestCoefficients(Workspace& ws);
