#include "tools/power_and_autocorrelation.h"

#include <utility>
#include <vector>

#include "bases/progress.h"
#include "bases/quarter_phase.h"

std::optional<ValuesTable> powerSpectrum(const SeriesView& s) {
  if (!s.basis.powerSpectrum) return std::nullopt;
  ValuesTable spectrum;
  s.basis.powerSpectrum(s.left, s.right, s.alpha, s.beta, s.coefficients, s.termCount, s.meshX,
                        s.meshCount, spectrum.x, spectrum.y);
  spectrum.titles = {"angular frequency", "power"};
  return spectrum;
}

// The power fitted in the series' basis, then the real part of its quarter-phase transform
// summed on the mesh.
ValuesTable autocorrelation(const SeriesView& s) {
  const int32_t n = s.termCount;
  const int32_t m = s.meshCount;
  const ProgressLoop progress(3);
  progress.report(0);
  std::vector<double> mesh, fitted(n, 0.0);
  {
    std::vector<double> power;
    quarterPhasePower(s.basis, s.left, s.right, s.alpha, s.beta, s.coefficients, n, s.meshX, m,
                      mesh, power);
    progress.report(1);
    projectValues(s.basis, s.left, s.right, s.alpha, s.beta, power.data(), fitted.data(), n,
                  s.meshX, m);
  }
  std::vector<double> real, imaginary;
  quarterPhaseSplit(fitted.data(), n, real, imaginary);
  progress.report(2);
  ValuesTable correlation{std::move(mesh), std::vector<double>(m), {"lag", "autocorrelation"}};
  sumOnMesh(s.basis, s.left, s.right, s.alpha, s.beta, real.data(), n, correlation.x.data(),
            correlation.y.data(), m);
  return correlation;
}
