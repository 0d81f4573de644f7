// The three mesh arrays a basis's fit writes, for the basis tests, and a fit over them.
#pragma once

#include <cstdint>
#include <vector>

#include "bases/basis.h"

// pi to long double precision, for the references (written out here, not taken from the code).
constexpr long double truePi = 3.141592653589793238462643383279502884L;

struct Mesh {
  // `fill` marks entries a fit has not written (a not-a-number shows them up).
  explicit Mesh(int32_t m, double fill = 0.0) : x(m, fill), source(m, fill), series(m, fill) {}
  std::vector<double> x, source, series;
};

inline long double fitWith(const BasisOps& ops, double left, double right, double& alpha,
                           double& beta, std::vector<double>& c, Mesh& mesh, const SourceFn& source,
                           int32_t mode) {
  return ops.fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()), mesh.x.data(),
                 mesh.source.data(), mesh.series.data(), static_cast<int32_t>(mesh.x.size()),
                 source, mode);
}
