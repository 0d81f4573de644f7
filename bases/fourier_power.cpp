#include "bases/fourier_power.h"

#include "bases/interval_map.h"

void fourierSpectrum(double left, double right, double&, double&, const double* c, int32_t n,
                     double*, int32_t, std::vector<double>& x, std::vector<double>& y) {
  const int32_t count = (n + 1) / 2;
  x.assign(count, 0.0);
  y.assign(count, 0.0);
  if (count == 0) return;
  y[0] = static_cast<double>(static_cast<long double>(c[0]) * c[0]);
  const double width = right - left;
  const double w0 = 2 * pi / width;
  for (int32_t i = 2; i < n; i += 2) {
    const int32_t k = i / 2;
    const long double power =
        static_cast<long double>(c[i]) * c[i] + static_cast<long double>(c[i - 1]) * c[i - 1];
    y[k] = static_cast<double>(power * w0 * w0);
    x[k] = static_cast<double>(i * static_cast<long double>(pi) / width);
  }
}
