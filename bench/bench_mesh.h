// Shared fixture of the basis benchmarks: the three mesh arrays and a coefficient vector, and
// a smooth source.
#pragma once

#include <cmath>
#include <vector>

#include "bases/basis.h"

struct BenchMesh {
  BenchMesh(int32_t m, int32_t n) : c(n), x(m), source(m), series(m) {}
  std::vector<double> c, x, source, series;
  long double fit(const BasisOps& ops, double left, double right, double& alpha, double& beta,
                  const SourceFn& fn, int32_t mode) {
    return ops.fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()), x.data(),
                   source.data(), series.data(), static_cast<int32_t>(x.size()), fn, mode);
  }
};

// Two meshes of M and M + 2 points taken in turn, so that every fit finds its node cache keyed
// on the other count and rebuilds it: the cost of a first fit.
struct AlternatingMeshes {
  AlternatingMeshes(int32_t m, int32_t n) : even(m, n), shifted(m + 2, n) {}
  BenchMesh even, shifted;
  bool flip = false;
  BenchMesh& next() {
    flip = !flip;
    return flip ? even : shifted;
  }
};

inline long double benchSource(double x) {
  return std::exp(-x * x / 8) * std::cos(3 * x);
}
