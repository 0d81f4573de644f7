#include "bases/quarter_phase.h"

#include "bases/progress.h"

void quarterPhaseSplit(const double* v, int32_t n, std::vector<double>& r, std::vector<double>& i) {
  r.assign(n, 0.0);
  i.assign(n, 0.0);
  for (int32_t k = 0; k < n; ++k) {
    switch (k % 4) {
      case 0:
        r[k] = -v[k];
        break;
      case 1:
        i[k] = -v[k];
        break;
      case 2:
        r[k] = v[k];
        break;
      case 3:
        i[k] = v[k];
        break;
    }
  }
}

void quarterPhasePower(const BasisOps& basis, double left, double right, double& alpha,
                       double& beta, const double* c, int32_t n, double* meshX, int32_t m,
                       std::vector<double>& x, std::vector<double>& y) {
  std::vector<double> r, i;
  quarterPhaseSplit(c, n, r, i);
  const ProgressLoop progress(2);
  progress.report(0);
  // The real part's sum lands in x and the imaginary part's in y until both are had.
  x.assign(m, 0.0);
  y.assign(m, 0.0);
  sumOnMesh(basis, left, right, alpha, beta, r.data(), n, meshX, x.data(), m);
  progress.report(1);
  sumOnMesh(basis, left, right, alpha, beta, i.data(), n, meshX, y.data(), m);
  for (int32_t j = 0; j < m; ++j) {
    const double re = x[j];
    const double im = y[j];
    y[j] =
        static_cast<double>(static_cast<long double>(re) * re + static_cast<long double>(im) * im);
    x[j] = meshX[j];
  }
}
