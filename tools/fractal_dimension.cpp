#include "tools/fractal_dimension.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/progress.h"

// The length of the graph of f over [left, right] is (right - left) plus the integral of
// sqrt(1 + f'^2) - 1. All calculus goes through the series' basis: the derivative's
// coefficients by `differentiate`, its values on the mesh by summing there, the integrand's
// coefficients by projecting its values and its integral by `integrate`. Subtracting 1 keeps
// the integrand small where the graph is flat, so a constant gives exactly right - left.
ValuesTable fractalDimension(const SeriesView& s) {
  const int32_t n = s.termCount;
  const int32_t m = s.meshCount;
  ValuesTable curve{std::vector<double>(n), std::vector<double>(n), {"ln(terms)", "ln(length)"}};
  std::vector<double> d(static_cast<size_t>(n) + 1), slope(m), integrand(m);
  const long double width = static_cast<long double>(s.right) - s.left;
  const ProgressLoop progress(n);
  for (int32_t i = 0; i < n; ++i) {
    progress.report(i);
    std::fill(d.begin(), d.begin() + i + 2, 0.0);
    s.basis.differentiate(s.left, s.right, s.alpha, s.beta, s.coefficients, d.data(), i + 1);
    sumOnMesh(s.basis, s.left, s.right, s.alpha, s.beta, d.data(), i + 2, s.meshX, slope.data(), m);
    for (int32_t j = 0; j < m; ++j)
      integrand[j] =
          static_cast<double>(std::sqrt(static_cast<long double>(slope[j]) * slope[j] + 1) - 1);
    projectValues(s.basis, s.left, s.right, s.alpha, s.beta, integrand.data(), d.data(), n + 1,
                  s.meshX, m);
    const long double integral =
        s.basis.integrate(s.left, s.right, s.alpha, s.beta, d.data(), n + 1);
    curve.y[i] = std::log(static_cast<double>(integral + width));
    curve.x[i] = static_cast<double>(std::log(static_cast<long double>(i) + 1));
  }
  return curve;
}
