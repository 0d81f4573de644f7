// The fitting step shared by the bases whose coefficients are Gauss sums: with nodes t_i on
// [-1, 1], weights w_i and squared norms h_k,
//   c_k = sum_i w_i f(x_i) P_k(t_i) / h_k,   x_i = mid + half t_i.
// A basis supplies its node set, its norms and how it projects and sums (its recurrence, or a
// transform); the mesh, the sampling, the energy and the fit figure are done here once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "bases/basis.h"
#include "bases/interval_map.h"
#include "bases/three_term_lanes.h"

// A Gauss rule for the key it was built for.
struct GaussRule {
  int32_t m = 0;
  double alpha = 0, beta = 0;
  std::vector<double> t, w;
};

// Makes `rule` hold the rule of (m, alpha, beta), from build(t, w) when its key differs. The
// node set reports and a cancel may stop it: it is built aside and published whole.
template <typename Build>
void refreshRule(GaussRule& rule, int32_t m, double alpha, double beta, Build build) {
  if (m == rule.m && alpha == rule.alpha && beta == rule.beta) return;
  GaussRule fresh{m, alpha, beta, std::vector<double>(m, 0.0), std::vector<double>(m, 0.0)};
  build(fresh.t.data(), fresh.w.data());
  rule = std::move(fresh);
}

// The caller's side of a fit call.
struct FitCall {
  double* c;
  int32_t n;
  double* meshX;
  double* sourceValues;
  double* seriesValues;
  const SourceFn& source;
  int32_t mode;
};

// How the basis turns the values f_i and the weighted values u_i = w_i f_i into
// sums[k] = sum_i u_i P_k(t_i), and coefficients into the series at the nodes.
struct SeriesKernels {
  std::function<void(const double* f, const double* u, double* sums)> project;
  std::function<void(const double* c, double* values)> sum;
  bool usesWeighted = true;  // false: project reads f alone and is handed no u
};

// Both kernels by the basis's recurrence.
SeriesKernels recurrenceKernels(const GaussRule& rule, const ThreeTermRecurrence& p, int32_t n);

// Lays the mesh, and as `mode` asks fits c[0..N-1] and sums the series on the mesh. Returns
// the fit figure 1 - captured / energy (0 without fitCoefficients).
long double fitByQuadrature(const IntervalMap& map, const GaussRule& rule,
                            const double* squaredNorms, const SeriesKernels& kernels,
                            const FitCall& call);

// evaluateMany of a basis on [-1, 1]: the series by its recurrence at the unit abscissae of x.
void evaluateByRecurrence(double left, double right, const ThreeTermRecurrence& p, const double* c,
                          int32_t n, const double* x, double* values, int32_t count);
