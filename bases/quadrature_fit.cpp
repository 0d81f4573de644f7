#include "bases/quadrature_fit.h"

#include "bases/fit_start.h"

SeriesKernels recurrenceKernels(const GaussRule& rule, const ThreeTermRecurrence& p, int32_t n) {
  return {[&rule, &p, n](const double*, const double* u, double* sums) {
            projectOntoRecurrence(p, rule.t.data(), u, rule.m, sums, n);
          },
          [&rule, &p, n](const double* c, double* values) {
            sumRecurrenceSeries(p, c, n, rule.t.data(), values, rule.m);
          }};
}

long double fitByQuadrature(const IntervalMap& map, const GaussRule& rule,
                            const double* squaredNorms, const SeriesKernels& kernels,
                            const FitCall& call) {
  const int32_t m = rule.m, n = call.n;
  const double* t = rule.t.data();
  const double* w = rule.w.data();
  for (int32_t i = 0; i < m; ++i)
    call.meshX[i] = toAbscissa(map, t[i]);

  long double figure = 0.0L;
  if (call.mode & fitCoefficients) {
    startFit(call.source, call.meshX, call.sourceValues, m, call.c, n);
    const double* f = call.sourceValues;
    std::vector<double> u(kernels.usesWeighted ? m : 0);
    long double energy = 0.0L;
    for (int32_t i = 0; i < m; ++i) {
      const double weighted = static_cast<double>(static_cast<long double>(f[i]) * w[i]);
      if (kernels.usesWeighted) u[i] = weighted;
      energy += static_cast<long double>(f[i]) * weighted;
    }
    if (n > 0) kernels.project(f, u.data(), call.c);
    long double captured = 0.0L;
    for (int32_t k = 0; k < n; ++k) {
      call.c[k] = call.c[k] / squaredNorms[k];
      captured += static_cast<long double>(call.c[k]) * call.c[k] * squaredNorms[k];
    }
    if (energy != 0) figure = 1 - captured / energy;
  }
  if (call.mode & evaluateOnMesh) kernels.sum(call.c, call.seriesValues);
  return figure;
}

void evaluateByRecurrence(double left, double right, const ThreeTermRecurrence& p, const double* c,
                          int32_t n, const double* x, double* values, int32_t count) {
  std::vector<double> t(count);
  for (int32_t i = 0; i < count; ++i)
    t[i] = toUnit(left, right, x[i]);
  sumRecurrenceSeries(p, c, n, t.data(), values, count);
}
