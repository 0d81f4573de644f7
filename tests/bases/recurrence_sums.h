// The long-double reference of a fit on a Gauss rule whose polynomials follow a three-term
// recurrence: the rule's own nodes and weights (in double, as the fit uses them), every
// product, recurrence step and sum in long double.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/bases/direct_sums.h"

// P_k(t) from P_{k-1} and P_{k-2} (k >= 1; P_{-1} = 0, P_0 = 1), and the squared norm h_k.
struct LongDoubleFamily {
  std::function<long double(int32_t k, long double t, long double p1, long double p2)> next;
  std::function<long double(int32_t k)> squaredNorm;
};

// sum_k c_k P_k(t_i) at every node.
inline std::vector<long double> recurrenceSeries(const std::vector<double>& t,
                                                 const std::vector<long double>& c,
                                                 const LongDoubleFamily& family) {
  std::vector<long double> series(t.size(), 0.0L);
  for (size_t i = 0; i < t.size(); ++i) {
    long double p1 = 1, p2 = 0, sum = 0;
    for (int32_t k = 0; k < static_cast<int32_t>(c.size()); ++k) {
      if (k > 0) {
        const long double p = family.next(k, t[i], p1, p2);
        p2 = p1, p1 = p;
      }
      sum += c[k] * p1;
    }
    series[i] = sum;
  }
  return series;
}

inline DirectSums recurrenceSums(const std::vector<double>& t, const std::vector<double>& w,
                                 const std::vector<double>& f, int32_t n,
                                 const LongDoubleFamily& family) {
  const int32_t m = static_cast<int32_t>(f.size());
  DirectSums r;
  r.c.assign(n, 0.0L);
  r.series.assign(m, 0.0L);
  long double energy = 0;
  for (int32_t i = 0; i < m; ++i) {
    const long double u = static_cast<long double>(f[i]) * w[i];
    energy += f[i] * u;
    long double p1 = 1, p2 = 0;
    for (int32_t k = 0; k < n; ++k) {
      if (k > 0) {
        const long double p = family.next(k, t[i], p1, p2);
        p2 = p1, p1 = p;
      }
      r.c[k] += u * p1;
    }
  }
  long double captured = 0;
  for (int32_t k = 0; k < n; ++k) {
    r.c[k] /= family.squaredNorm(k);
    captured += r.c[k] * r.c[k] * family.squaredNorm(k);
  }
  r.figure = 1 - captured / energy;
  r.series = recurrenceSeries(t, r.c, family);
  return r;
}
