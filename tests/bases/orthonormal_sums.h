// Long-double direct sums of a fit in an orthonormal basis with a quadrature rule: the
// reference of the bases whose functions are computed node by node.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/bases/direct_sums.h"

// The basis functions 0 .. n-1 at mesh node i, in long double.
using NodeValuesFn = std::function<std::vector<long double>(int32_t i, int32_t n)>;

// c_j = sum of w[i] f[i] v_j(i), the figure 1 - sum c_j^2 / sum w f^2, and the series of c
// on the mesh.
inline DirectSums orthonormalSums(const std::vector<double>& f, const std::vector<long double>& w,
                                  int32_t n, const NodeValuesFn& values) {
  const int32_t m = static_cast<int32_t>(f.size());
  DirectSums r;
  r.c.assign(n, 0.0L);
  r.series.assign(m, 0.0L);
  long double energy = 0, captured = 0;
  for (int32_t i = 0; i < m; ++i) {
    const std::vector<long double> v = values(i, n);
    energy += w[i] * f[i] * f[i];
    for (int32_t j = 0; j < n; ++j)
      r.c[j] += w[i] * f[i] * v[j];
  }
  for (int32_t j = 0; j < n; ++j)
    captured += r.c[j] * r.c[j];
  r.figure = 1 - captured / energy;
  for (int32_t i = 0; i < m; ++i) {
    const std::vector<long double> v = values(i, n);
    for (int32_t j = 0; j < n; ++j)
      r.series[i] += r.c[j] * v[j];
  }
  return r;
}
