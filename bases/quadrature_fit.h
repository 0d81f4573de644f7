// The steps shared by the bases whose coefficients are Gauss sums: with nodes t_i on [-1, 1],
// weights w_i and squared norms h_k,
//   c_k = sum_i w_i f(x_i) P_k(t_i) / h_k,   x_i = mid + half t_i,
// and the energy sum_i f_i (w_i f_i), the weighted values rounded to doubles.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/three_term_lanes.h"

// A Gauss rule of M nodes.
struct GaussNodes {
  std::vector<double> t, w;
};

// The rule of m nodes that build(t, w) writes.
template <typename Build>
GaussNodes makeGaussNodes(int32_t m, Build build) {
  GaussNodes rule{std::vector<double>(m, 0.0), std::vector<double>(m, 0.0)};
  build(rule.t.data(), rule.w.data());
  return rule;
}

// The mesh x_i = mid + half t_i of the rule.
void layGaussMesh(const IntervalMap& map, const GaussNodes& rule, double* meshX);

// The energy sum_i f_i (w_i f_i) of the values f at the nodes; with u given, also the weighted
// values u_i = w_i f_i that it sums.
long double weightedEnergy(const GaussNodes& rule, const double* f, double* u);

// sums[k] = sum_i w_i f_i P_k(t_i) for k < n by the recurrence; returns the energy.
long double gaussSumsByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p,
                                  const double* f, double* sums, int32_t n);

// The weighted values of `spectra` rows f[j * m ..] into u (the same shape), and
// sums[j * n + k] = sum_i u[j * m + i] P_k(t_i) for k < n by the blocked product.
void gaussManySumsByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p,
                               const double* f, int64_t spectra, double* u, double* sums,
                               int32_t n);

// The series c[0..n-1] at the nodes by the recurrence.
void sumAtNodesByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p, const double* c,
                            int32_t n, double* values);

// evaluateMany of a basis on [-1, 1]: the series by its recurrence at the unit abscissae of x.
void evaluateByRecurrence(double left, double right, const ThreeTermRecurrence& p, const double* c,
                          int32_t n, const double* x, double* values, int32_t count);

// The fit steps of a Gauss-sum basis, around the basis's own Series part:
//   const GaussNodes& settle(int32_t m, int32_t n, double alpha, double beta);
//       its cached rule, with its recurrence, norms and transforms made ready
//   long double sums(const GaussNodes& rule, const double* f, double* sums) const;
//       sums[k] = sum_i w_i f_i P_k(t_i) for k < N; returns the energy
//   void manySums(const GaussNodes& rule, const double* f, int64_t spectra, double* sums) const;
//       the same sums for spectra rows of f (spectra x M) into sums (spectra x N), where the
//       basis's record has projectMany
//   double squaredNorm(int32_t k) const;
//   void sum(const GaussNodes& rule, const double* c, double* values) const;
template <typename Series>
struct GaussSteps {
  static constexpr FitRules rules = FitRules::figure;
  IntervalMap map{};
  int32_t n = 0;
  const GaussNodes* rule = nullptr;
  Series series{};

  FitSettings settle(double left, double right, double alpha, double beta, int32_t terms,
                     int32_t count) {
    const int32_t m = std::max(count, 0);  // a negative count is an empty mesh
    map = mapInterval(left, right);
    n = terms;
    rule = &series.settle(m, n, alpha, beta);
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const { layGaussMesh(map, *rule, meshX); }
  long double project(const double* f, double* c) const {
    const long double energy = series.sums(*rule, f, c);
    for (int32_t k = 0; k < n; ++k)
      c[k] = c[k] / series.squaredNorm(k);
    return energy;
  }
  // The rows of values (spectra x M) projected together into c (spectra x N).
  void projectMany(const double* f, int64_t spectra, double* c) const {
    series.manySums(*rule, f, spectra, c);
    for (int64_t j = 0; j < spectra; ++j)
      for (int32_t k = 0; k < n; ++k)
        c[j * n + k] = c[j * n + k] / series.squaredNorm(k);
  }
  double squaredNorm(int32_t k) const { return series.squaredNorm(k); }
  void sum(const double* c, double* values) const { series.sum(*rule, c, values); }
};
