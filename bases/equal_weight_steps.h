// The fit steps of the bases whose nodes all weigh alike and whose series halves c[0]
// (Chebyshev first kind on its Gauss nodes, Fourier on its angles). The nodes lie in mirrored
// pairs about the middle; the sums over them come from a transform where it pays, otherwise
// from the pairs; the energy is the mean of f^2 over the mesh, and the squared norms are 1/4
// for c[0] and 1/2 for every other coefficient. The basis supplies, as Sums,
//   using Nodes; static const Nodes& nodes(int32_t m);   its cached node set of M
//   static long double unit(const Nodes&, int32_t i);     the i-th node's unit abscissa, i < M/2
//   static long double project(const Nodes&, bool transform, const double* f, double* c,
//                              int32_t n, int32_t m);     c[0..N-1]; returns the sum of f^2
//   static void sum(const Nodes&, bool transform, const double* c, int32_t n, double* values,
//                   int32_t m);                           the series on the mesh
#pragma once

#include <algorithm>
#include <cstdint>

#include "bases/fftw_plan.h"
#include "bases/fit_driver.h"
#include "bases/interval_map.h"

template <typename Sums>
struct EqualWeightSteps {
  static constexpr FitRules rules = FitRules::figure;
  IntervalMap map{};
  int32_t m = 0, n = 0;
  const typename Sums::Nodes* nodes = nullptr;
  bool transform = false;

  FitSettings settle(double left, double right, double alpha, double beta, int32_t terms,
                     int32_t count) {
    m = std::max(count, 0);  // a negative count is an empty mesh
    n = terms;
    map = mapInterval(left, right);
    nodes = &Sums::nodes(m);
    transform = transformPays(m, n);
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const {
    layMirroredMesh(
        map, m, [this](int32_t i) { return Sums::unit(*nodes, i); }, meshX);
  }
  long double project(const double* f, double* c) const {
    long double energy = Sums::project(*nodes, transform, f, c, n, m);
    if (m > 0) energy /= m;
    return energy;
  }
  // The rows of values (spectra x M) into c (spectra x N), each by the node set's transform
  // plan (or its pairs' sums, where the terms are few), which every row shares.
  void projectMany(const double* f, int64_t spectra, double* c) const {
    for (int64_t j = 0; j < spectra; ++j)
      Sums::project(*nodes, transform, f + j * m, c + j * n, n, m);
  }
  static double squaredNorm(int32_t k) { return k == 0 ? 0.25 : 0.5; }
  static double squaredNormOf(int32_t k, double, double, int32_t) { return squaredNorm(k); }
  void sum(const double* c, double* values) const { Sums::sum(*nodes, transform, c, n, values, m); }
};
