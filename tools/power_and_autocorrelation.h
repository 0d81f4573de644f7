// "Evaluate" > "Power Spectrum" and "Autocorrelation": computed from the coefficients through
// the way the basis functions behave under the Fourier transform, then evaluated on the mesh
// of the last recompute. Nothing is recomputed.
#pragma once

#include <optional>

#include "tools/tool_views.h"

// The power spectrum of the series' basis (BasisOps::powerSpectrum); none under a basis
// without one.
std::optional<ValuesTable> powerSpectrum(const SeriesView& series);

// The quarter-phase power on the mesh, fitted in the series' basis and transformed back: M
// entries, the mesh and the autocorrelation there.
ValuesTable autocorrelation(const SeriesView& series);
