// The steps shared by the bases whose coefficients are Gauss sums: with nodes t_i on [-1, 1],
// weights w_i and squared norms h_k,
//   c_k = sum_i w_i f(x_i) P_k(t_i) / h_k,   x_i = mid + half t_i,
// and the energy sum_i f_i (w_i f_i), the weighted values rounded to doubles.
#pragma once

#include <cstdint>
#include <vector>

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

// The series c[0..n-1] at the nodes by the recurrence.
void sumAtNodesByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p, const double* c,
                            int32_t n, double* values);

// evaluateMany of a basis on [-1, 1]: the series by its recurrence at the unit abscissae of x.
void evaluateByRecurrence(double left, double right, const ThreeTermRecurrence& p, const double* c,
                          int32_t n, const double* x, double* values, int32_t count);
