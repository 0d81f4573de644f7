// The discrete Chebyshev series' own derivative and integral (up to 2.5 sqrt(M) terms) against
// references formed in binary128: the derivative's coefficients from the differentiated
// recurrence in the degree, summed and projected on the M points; the integral from the series'
// Chebyshev coefficients built by multiplying by t in that basis, degree by degree. Past the
// limit the mesh rules hold, and the integral figure's note says so.
#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bases/discrete_chebyshev.h"
#include "tests/bases/test_mesh.h"

namespace {

using quad = __float128;
constexpr double eps = 2.220446049250313e-16;

// phi_k = rise_k u phi_{k-1} - fall_k phi_{k-2}, u = 2s - M + 1, phi_0 = 1 / sqrt(M).
struct QuadRecurrence {
  std::vector<quad> rise, fall;
  quad first;
  QuadRecurrence(int32_t m, int32_t n) : rise(n), fall(n), first(1 / sqrtq(m)) {
    const quad mm = static_cast<quad>(m) * m;
    for (int32_t k = 1; k < n; ++k) {
      const quad kk = static_cast<quad>(k) * k;
      rise[k] = sqrtq((4 * kk - 1) / (mm - kk)) / k;
      if (k >= 2)
        fall[k] = static_cast<quad>(k - 1) / k *
                  sqrtq((mm - static_cast<quad>(k - 1) * (k - 1)) * (2 * k + 1) /
                        ((static_cast<quad>(2 * k) - 3) * (mm - kk)));
    }
  }
};

struct Case {
  int32_t m, n;
  double left, right;
};

std::vector<double> someCoefficients(int32_t n) {
  std::vector<double> c(n);
  for (int32_t k = 0; k < n; ++k)
    c[k] = std::cos(1.3 * k + 0.2) / (1 + 0.05 * k);
  return c;
}

// d_j = sum over s of phi_j(s) S'(s) ds/dx, with S' from phi_k' = rise_k (2 phi_{k-1} +
// u phi_{k-1}') - fall_k phi_{k-2}'.
std::vector<quad> referenceDerivative(const Case& t, const std::vector<double>& c) {
  const QuadRecurrence r(t.m, t.n);
  const quad dsdx = static_cast<quad>(t.m - 1) / (static_cast<quad>(t.right) - t.left);
  std::vector<quad> d(t.n, 0), phi(t.n), slope(t.n);
  for (int32_t s = 0; s < t.m; ++s) {
    const quad u = 2 * static_cast<quad>(s) - t.m + 1;
    phi[0] = r.first, slope[0] = 0;
    quad derivative = 0;
    for (int32_t k = 1; k < t.n; ++k) {
      phi[k] = r.rise[k] * u * phi[k - 1] - (k >= 2 ? r.fall[k] * phi[k - 2] : 0);
      slope[k] =
          r.rise[k] * (2 * phi[k - 1] + u * slope[k - 1]) - (k >= 2 ? r.fall[k] * slope[k - 2] : 0);
      derivative += c[k] * slope[k];
    }
    for (int32_t j = 0; j < t.n; ++j)
      d[j] += phi[j] * derivative * dsdx;
  }
  return d;
}

// phi_k in the Chebyshev basis of t = u / (M - 1): u T_j = (M - 1)(T_{j-1} + T_{j+1}) / 2
// (T_0 to T_1 whole); the integral of T_j over [-1, 1] is 2 / (1 - j^2) for even j.
quad referenceIntegral(const Case& t, const std::vector<double>& c) {
  const QuadRecurrence r(t.m, t.n);
  std::vector<quad> before(t.n + 1, 0), now(t.n + 1, 0), next(t.n + 1);
  now[0] = r.first;
  std::vector<quad> series(t.n + 1, 0);
  series[0] = c[0] * r.first;
  for (int32_t k = 1; k < t.n; ++k) {
    std::fill(next.begin(), next.end(), 0);
    const quad half = static_cast<quad>(t.m - 1) / 2 * r.rise[k];
    for (int32_t j = 0; j < k; ++j) {
      if (j == 0)
        next[1] += 2 * half * now[0];
      else
        next[j - 1] += half * now[j], next[j + 1] += half * now[j];
    }
    for (int32_t j = 0; j <= k; ++j)
      next[j] -= r.fall[k] * before[j];
    before.swap(now), now.swap(next);
    for (int32_t j = 0; j <= k; ++j)
      series[j] += c[k] * now[j];
  }
  quad integral = 0;
  for (int32_t j = 0; j < t.n; j += 2)
    integral += series[j] * 2 / (1 - static_cast<quad>(j) * j);
  return integral * (static_cast<quad>(t.right) - t.left) / 2;
}

// A fit at M points makes M the count the calculus works on.
void fitTheCount(int32_t m) {
  Mesh mesh(m);
  std::vector<double> c(1);
  double alpha = 0, beta = 0;
  discreteChebyshevBasis.fit(
      0, 1, alpha, beta, c.data(), 1, mesh.x.data(), mesh.source.data(), mesh.series.data(), m,
      [](double) { return 1.0L; }, 3);
}

TEST(DiscreteChebyshevCalculus, OwnDerivativeAndIntegralUpToTwoAndAHalfRootsOfTheCount) {
  for (const Case& t : {Case{100, 25, 0, 3}, Case{100, 6, -2, 5}, Case{200, 35, 0, 3},
                        Case{1000, 63, 1700, 2000}, Case{10000, 200, -1, 1}}) {
    SCOPED_TRACE(testing::Message() << "M = " << t.m << ", N = " << t.n);
    fitTheCount(t.m);
    const std::vector<double> c = someCoefficients(t.n);
    std::vector<double> d(t.n + 1, 0.0);
    discreteChebyshevBasis.differentiate(t.left, t.right, 0, 0, c.data(), d.data(), t.n);
    const std::vector<quad> dRef = referenceDerivative(t, c);
    double largest = 0;
    for (quad v : dRef)
      largest = std::fmax(largest, std::fabs(static_cast<double>(v)));
    for (int32_t j = 0; j < t.n; ++j)
      EXPECT_NEAR(d[j], static_cast<double>(dRef[j]), 64 * eps * largest) << j;

    double scale = 0;  // the integral of |S| is at most this
    for (double v : c)
      scale += std::fabs(v);
    scale *= (t.right - t.left) * std::sqrt(2.0 * t.n / t.m);
    const long double integral =
        discreteChebyshevBasis.integrate(t.left, t.right, 0, 0, c.data(), t.n);
    EXPECT_NEAR(static_cast<double>(integral), static_cast<double>(referenceIntegral(t, c)),
                64 * eps * scale);
    EXPECT_EQ(discreteChebyshevBasis.integralNote(t.n), "");
  }
}

TEST(DiscreteChebyshevCalculus, TheDerivativeOfTheSineIsTheCosine) {
  // The built-in sine on [0, 3] at (200, 30): the series is the sine to rounding, and so is
  // its derivative the cosine (the mesh's differences were 7.5e-5 away).
  const int32_t m = 200, n = 30;
  Mesh mesh(m);
  std::vector<double> c(n);
  double alpha = 0, beta = 0;
  discreteChebyshevBasis.fit(
      0, 3, alpha, beta, c.data(), n, mesh.x.data(), mesh.source.data(), mesh.series.data(), m,
      [](double x) { return (long double)std::sin(x); }, 3);
  std::vector<double> d(n + 1, 0.0);
  discreteChebyshevBasis.differentiate(0, 3, 0, 0, c.data(), d.data(), n);
  Mesh out(m);
  discreteChebyshevBasis.fit(0, 3, alpha, beta, d.data(), n, out.x.data(), out.source.data(),
                             out.series.data(), m, nullptr, 2);
  for (int32_t s = 0; s < m; ++s)
    EXPECT_NEAR(out.series[s], std::cos(out.x[s]), 1e-12) << s;
  EXPECT_NEAR(static_cast<double>(discreteChebyshevBasis.integrate(0, 3, 0, 0, c.data(), n)),
              1 - std::cos(3.0), 1e-13);
}

TEST(DiscreteChebyshevCalculus, PastTheLimitTheIntegralNoteNamesTheMeshRule) {
  fitTheCount(100);
  EXPECT_EQ(discreteChebyshevBasis.integralNote(25), "");
  EXPECT_EQ(discreteChebyshevBasis.integralNote(26),
            "The integral is the trapezoid rule on the 100 points of the series: past 25 terms "
            "the polynomial swings far between its points");
}

}  // namespace
