// The check that a fit is linear in the source down to the ends of the double range: the fits
// of 1e-250 f and 1e250 f are the fit of f, scaled.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bases/basis.h"
#include "tests/bases/test_mesh.h"

// Coefficients and mesh values within 1e-14 of the largest coefficient of the plain fit.
inline void expectFitsScaleWithTheSource(const BasisOps& ops, double left, double right,
                                         double alpha, int32_t m, int32_t n, const SourceFn& f) {
  Mesh plain(m);
  std::vector<double> c(n);
  double a = alpha, beta = 0;
  fitWith(ops, left, right, a, beta, c, plain, f, 3);
  double size = 0;
  for (double v : c)
    size = std::max(size, std::fabs(v));
  for (double scale : {1e-250, 1e250}) {
    Mesh mesh(m);
    std::vector<double> scaled(n);
    fitWith(
        ops, left, right, a, beta, scaled, mesh, [&](double x) { return scale * f(x); }, 3);
    for (int32_t j = 0; j < n; ++j)
      ASSERT_NEAR(scaled[j] / scale, c[j], 1e-14 * size) << scale << ", j = " << j;
    for (int32_t i = 0; i < m; ++i)
      ASSERT_NEAR(mesh.series[i] / scale, plain.series[i], 1e-14 * size) << scale << ", " << i;
  }
}
