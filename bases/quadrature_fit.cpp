#include "bases/quadrature_fit.h"

void layGaussMesh(const IntervalMap& map, const GaussNodes& rule, double* meshX) {
  const int32_t m = static_cast<int32_t>(rule.t.size());
  for (int32_t i = 0; i < m; ++i)
    meshX[i] = toAbscissa(map, rule.t[i]);
}

long double weightedEnergy(const GaussNodes& rule, const double* f, double* u) {
  const int32_t m = static_cast<int32_t>(rule.t.size());
  const double* w = rule.w.data();
  long double energy = 0.0L;
  for (int32_t i = 0; i < m; ++i) {
    const double weighted = static_cast<double>(static_cast<long double>(f[i]) * w[i]);
    if (u) u[i] = weighted;
    energy += static_cast<long double>(f[i]) * weighted;
  }
  return energy;
}

long double gaussSumsByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p,
                                  const double* f, double* sums, int32_t n) {
  const int32_t m = static_cast<int32_t>(rule.t.size());
  std::vector<double> u(m);
  const long double energy = weightedEnergy(rule, f, u.data());
  if (n > 0) projectOntoRecurrence(p, rule.t.data(), u.data(), m, sums, n);
  return energy;
}

void gaussManySumsByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p,
                               const double* f, int64_t spectra, double* u, double* sums,
                               int32_t n) {
  const int32_t m = static_cast<int32_t>(rule.t.size());
  for (int64_t j = 0; j < spectra; ++j)
    weightedEnergy(rule, f + j * m, u + j * m);
  if (n > 0) projectManyOntoRecurrence(p, rule.t.data(), u, m, m, spectra, sums, n);
}

void sumAtNodesByRecurrence(const GaussNodes& rule, const ThreeTermRecurrence& p, const double* c,
                            int32_t n, double* values) {
  sumRecurrenceSeries(p, c, n, rule.t.data(), values, static_cast<int32_t>(rule.t.size()));
}

void evaluateByRecurrence(double left, double right, const ThreeTermRecurrence& p, const double* c,
                          int32_t n, const double* x, double* values, int32_t count) {
  std::vector<double> t(count);
  for (int32_t i = 0; i < count; ++i)
    t[i] = toUnit(left, right, x[i]);
  sumRecurrenceSeries(p, c, n, t.data(), values, count);
}
