// "Evaluate" > "Power Spectrum" and "Autocorrelation": computed from the coefficients through
// the way the basis functions behave under the Fourier transform, then evaluated on the mesh
// of the last recompute. The result becomes the Values table; nothing is recomputed.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// Fourier basis: the power of each harmonic at its angular frequency. Sonin-Laguerre
// functions: the transform of the half-line series at the mesh abscissae read as angular
// frequencies. Hermite functions: the quarter-phase factors, which carry each function into
// its own transform. Any other basis is refused with a message.
void powerSpectrum(Workspace& ws, Window& window);

// The quarter-phase power on the mesh, fitted in the current basis and transformed back.
void autocorrelation(Workspace& ws, Window& window);

// The refusal shown for a basis without a power spectrum.
extern const char* const spectrumRefusal;
