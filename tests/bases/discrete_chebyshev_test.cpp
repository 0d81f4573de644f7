// Discrete Chebyshev polynomials: values against the three-term recurrence run in 1000-digit
// decimal arithmetic, fits and values against the recurrences in the position and in the degree
// run in long double, orthonormality up to N = M, the fit's exact reproductions, and the
// series' derivative and integral against differences and the trapezoid rule formed from the
// source.
#include "bases/discrete_chebyshev.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double eps = 2.220446049250313e-16;
constexpr double tight = 16 * eps;
constexpr double gram = 256 * eps;  // sums of a thousand products
constexpr double loose = 4096 * eps;

// Unwritten entries stay not-a-number.
struct NanMesh : Mesh {
  explicit NanMesh(int32_t m) : Mesh(m, NAN) {}
};

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return discreteChebyshevBasis.fit(
      left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()), mesh.x.data(),
      mesh.source.data(), mesh.series.data(), static_cast<int32_t>(mesh.x.size()), source, mode);
}

TEST(DiscreteChebyshevReference, ValuesAtAThousandPoints) {
  // phi_k(s) for M = 1000 by the recurrence in the degree, in 1000-digit decimal arithmetic
  // (1400 digits give the same doubles), where its instability does not reach the result.
  struct Value {
    int32_t s, k;
    double phi;
  };
  const Value reference[] = {
      {0, 0, 0.03162277660168379},        {0, 1, -0.05471751085352836},
      {0, 31, -0.1528356200098369},       {0, 300, 9.434726697107774e-21},
      {0, 999, -1.3971413377806795e-300}, {3, 100, -0.1381808507227783},
      {3, 600, -1.1638431244918833e-77},  {120, 150, 0.0002546218081291285},
      {120, 500, -0.03826569288243538},   {120, 998, 3.6547602749489087e-141},
      {499, 2, -0.03535528602622598},     {499, 400, 0.03415647228223318},
      {499, 998, -0.008446193813599658},  {500, 999, -0.18881543727044695},
  };
  const int32_t m = 1000;
  std::vector<double> values(m * m);
  discreteChebyshevValues(m, m, values.data());
  for (const Value& r : reference)
    EXPECT_NEAR(values[r.s * m + r.k] / r.phi, 1.0, 1e-12) << r.s << " " << r.k;
}

TEST(DiscreteChebyshevReference, OrthonormalUpToTheLastDegree) {
  for (int32_t m : {1000, 1001}) {
    std::vector<double> values(m * m);
    discreteChebyshevValues(m, m, values.data());
    const int32_t columns[] = {0, 1, 2, 31, 100, 299, 300, 501, m - 2, m - 1};
    for (int32_t a : columns)
      for (int32_t b : columns) {
        long double sum = 0;
        for (int32_t s = 0; s < m; ++s)
          sum += (long double)values[s * m + a] * values[s * m + b];
        ASSERT_TRUE(std::isfinite((double)sum));
        EXPECT_NEAR((double)sum, a == b ? 1.0 : 0.0, gram) << m << ": " << a << " " << b;
      }
  }
}

// phi_k(s) column by column, in long double, by the recurrence in the position run inwards from
// the closed form at s = 0 (stable that way) and mirrored: independent of the recurrence in the
// degree that the fit runs on most rows.
struct PositionRecurrence {
  int32_t m;
  long double atStart;  // phi_k(0) for the last column made
  int32_t k = -1;
  explicit PositionRecurrence(int32_t points) : m(points), atStart(1 / sqrtl(points)) {}
  // The next column phi_k(0 .. M - 1), k = 0, 1, ... in turn; only the first `rows` from each
  // end when given.
  void next(std::vector<long double>& phi, int32_t rows = INT32_MAX) {
    ++k;
    if (k > 0) atStart *= -sqrtl((m - k) / (long double)(m + k) * (2 * k + 1) / (2 * k - 1));
    phi.assign(m, 0);
    long double previous = 0, current = atStart;
    for (int32_t s = 0; 2 * s <= m - 1 && s < rows; ++s) {
      phi[s] = current;
      phi[m - 1 - s] = k % 2 ? -current : current;
      const long double b = (s + 1.0L) * (s - m + 1), d = (long double)s * (s - m);
      const long double y = ((b + d + (long double)k * (k + 1)) * current - d * previous) / b;
      previous = current;
      current = y;
    }
  }
};

// phi_0(u) .. phi_{n-1}(u) at the centred position u = 2s - M + 1 by the recurrence in the
// degree in long double: stable away from the ends.
struct DegreeRecurrence {
  int32_t m;
  std::vector<long double> slope, fall;
  DegreeRecurrence(int32_t points, int32_t n) : m(points), slope(n), fall(n) {
    const long double mm = (long double)m * m;
    for (int32_t k = 2; k < n; ++k) {
      const long double kk = (long double)k * k;
      slope[k] = sqrtl((4 * kk - 1) / (mm - kk)) / k;
      fall[k] = (k - 1.0L) / k *
                sqrtl((mm - (k - 1.0L) * (k - 1)) * (2 * k + 1) / ((2.0L * k - 3) * (mm - kk)));
    }
  }
  void at(long double u, std::vector<long double>& phi) const {
    const long double mm = (long double)m * m;
    phi[0] = 1 / sqrtl(m);
    if (phi.size() > 1) phi[1] = u / sqrtl((mm * m - m) / 3);
    for (size_t k = 2; k < phi.size(); ++k)
      phi[k] = slope[k] * u * phi[k - 1] - fall[k] * phi[k - 2];
  }
};

// Coefficients and mesh values of a fit against long double sums over the position
// recurrence's values in the first `endRows` rows from each end and the degree recurrence's in
// the others, within `againstSize` of the size (max-norm) of the coefficients and of the mesh
// values.
void expectFitMatchesReference(int32_t m, int32_t n, int32_t endRows = INT32_MAX) {
  constexpr double againstSize = 1e-14;
  NanMesh mesh(m);
  std::vector<double> c(n);
  EXPECT_EQ(fitOn(-4, 4, c, mesh,
                  [](double x) { return expl(-x * x / 8) * cosl(3 * x) + (x > 0.5 ? 1 : 0); }),
            0.0L);
  PositionRecurrence columns(m);
  std::vector<long double> phi, series(m, 0);
  std::vector<long double> reference(n, 0);
  auto atEnds = [&](int32_t s) { return s < endRows || m - 1 - s < endRows; };
  for (int32_t k = 0; k < n; ++k) {
    columns.next(phi, endRows);
    for (int32_t s = 0; s < m; ++s)
      if (atEnds(s)) {
        reference[k] += phi[s] * mesh.source[s];
        series[s] += c[k] * phi[s];
      }
  }
  const DegreeRecurrence degree(m, n);
  phi.resize(n);
  for (int32_t s = 0; 2 * s <= m - 1; ++s)  // and its mirror, phi_k(M - 1 - s) = (-1)^k phi_k(s)
    if (!atEnds(s)) {
      degree.at(2.0L * s - m + 1, phi);
      const int32_t mirror = m - 1 - s;
      for (int32_t k = 0; k < n; ++k) {
        const long double sign = k % 2 ? -1 : 1;
        reference[k] += phi[k] * mesh.source[s];
        series[s] += c[k] * phi[k];
        if (mirror == s) continue;
        reference[k] += sign * phi[k] * mesh.source[mirror];
        series[mirror] += sign * c[k] * phi[k];
      }
    }
  double cSize = 0, seriesSize = 0;
  for (int32_t k = 0; k < n; ++k)
    cSize = std::fmax(cSize, std::fabs((double)reference[k]));
  for (int32_t s = 0; s < m; ++s)
    seriesSize = std::fmax(seriesSize, std::fabs((double)series[s]));
  for (int32_t k = 0; k < n; ++k)
    ASSERT_NEAR(c[k], (double)reference[k], againstSize * cSize) << m << " " << n << ": " << k;
  for (int32_t s = 0; s < m; ++s)
    ASSERT_NEAR(mesh.series[s], (double)series[s], againstSize * seriesSize)
        << m << " " << n << ": " << s;
}

TEST(DiscreteChebyshevReference, FitAgainstThePositionRecurrence) {
  expectFitMatchesReference(1000, 100);
  expectFitMatchesReference(10000, 1000);
  expectFitMatchesReference(1001, 1001);  // the stable values at most rows
  // The position recurrence drifts over 5 * 10^4 steps; the degree recurrence in long double
  // is stable from the turning limit of the last degree in, two rows from the ends here.
  expectFitMatchesReference(100000, 1000, 300);
}

TEST(DiscreteChebyshevReference, EveryRowOfEveryDegree) {
  // The series of c = e_k on the mesh is phi_k: every row, wherever the degree recurrence
  // hands over to the stable values, against the position recurrence.
  constexpr double againstColumn = 1e-14;
  for (auto [m, n] : {std::pair{1000, 1000}, std::pair{999, 120}}) {
    NanMesh mesh(m);
    PositionRecurrence columns(m);
    std::vector<long double> phi;
    for (int32_t k = 0; k < n; ++k) {
      columns.next(phi);
      if (k % 7 != 0 && k + 3 < n) continue;  // every seventh degree and the last few
      std::vector<double> unit(n, 0.0);
      unit[k] = 1;
      fitOn(0, 1, unit, mesh, nullptr, 2);
      long double size = 0;
      for (long double v : phi)
        size = std::fmax(size, fabsl(v));
      for (int32_t s = 0; s < m; ++s)
        ASSERT_NEAR(mesh.series[s], (double)phi[s], againstColumn * (double)size)
            << m << " " << k << " " << s;
    }
  }
}

TEST(DiscreteChebyshevReference, HandOverNearTheEndsAtALargeCount) {
  // At (10^5, 10^3) two rows from each end keep stable values (to the last bit); the rows after
  // them run the recurrence in the degree, which this close to the ends gathers up to a few
  // thousand roundings by the last degrees. The first 300 rows from each end, at the mesh
  // abscissae, against the position recurrence (a few hundred steps from its start: accurate).
  constexpr double kept = eps, nearTheEnds = 4096 * eps;
  const int32_t m = 100000, n = 1000, rows = 300;
  NanMesh mesh(m);
  std::vector<double> unit(n, 0.0);
  fitOn(0, 1, unit, mesh, nullptr, 0);  // lays the mesh
  std::vector<double> x, values(2 * rows);
  for (int32_t s = 0; s < rows; ++s)
    x.push_back(mesh.x[s]), x.push_back(mesh.x[m - 1 - s]);
  PositionRecurrence columns(m);
  std::vector<long double> phi;
  for (int32_t k = 0; k < n; ++k) {
    columns.next(phi, rows);
    if (k % 7 != 0 && k + 3 < n) continue;
    unit.assign(n, 0.0);
    unit[k] = 1;
    discreteChebyshevBasis.evaluateMany(0, 1, 0, 0, unit.data(), n, x.data(), values.data(),
                                        2 * rows);
    long double size = 0;
    for (int32_t s = 0; s < rows; ++s)
      size = std::fmax(size, fabsl(phi[s]));
    for (int32_t s = 0; s < rows; ++s) {
      const double tolerance = (s < 2 ? kept : nearTheEnds) * (double)size;
      ASSERT_NEAR(values[2 * s], (double)phi[s], tolerance) << k << " " << s;
      ASSERT_NEAR(values[2 * s + 1], (double)phi[m - 1 - s], tolerance) << k << " " << s;
    }
  }
}

TEST(DiscreteChebyshevSeries, EvaluateManyBetweenThePoints) {
  // Between the positions, away from the ends, the recurrence in the degree run in long double
  // is stable: the reference for the series there. evaluate gives the same doubles.
  constexpr double againstSize = 1e-14;
  const int32_t m = 1000, n = 100;
  NanMesh mesh(m);
  std::vector<double> c(n);
  fitOn(0, 1, c, mesh, [](double x) { return (long double)std::exp(x) * std::sin(40 * x); });
  std::vector<double> x, values;
  for (int32_t s = 100; s < 900; s += 7)
    x.push_back((s + 0.37) / (m - 1));
  values.resize(x.size());
  discreteChebyshevBasis.evaluateMany(0, 1, 0, 0, c.data(), n, x.data(), values.data(),
                                      (int32_t)x.size());
  const DegreeRecurrence degree(m, n);
  std::vector<long double> phi(n), reference(x.size());
  double size = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    degree.at(2 * (x[i] * (m - 1)) - m + 1, phi);
    for (int32_t k = 0; k < n; ++k)
      reference[i] += c[k] * phi[k];
    size = std::fmax(size, std::fabs((double)reference[i]));
  }
  for (size_t i = 0; i < x.size(); ++i) {
    EXPECT_NEAR(values[i], (double)reference[i], againstSize * size) << i;
    EXPECT_EQ((double)discreteChebyshevBasis.evaluate(0, 1, 0, 0, c.data(), n, x[i]), values[i]);
  }
}

TEST(DiscreteChebyshevFit, ExactReproductions) {
  NanMesh mesh(1000);
  std::vector<double> c(40);
  EXPECT_EQ(fitOn(2, 7, c, mesh, [](double) { return 1.5L; }), 0.0L);
  EXPECT_NEAR(c[0], 1.5 * std::sqrt(1000.0), loose);
  for (int k = 1; k < 40; ++k)
    EXPECT_NEAR(c[k], 0.0, loose);
  for (double v : mesh.series)
    EXPECT_NEAR(v, 1.5, loose);
  EXPECT_EQ(mesh.x.front(), 2.0);
  EXPECT_EQ(mesh.x.back(), 7.0);

  std::vector<double> line(2);
  fitOn(2, 7, line, mesh, [](double x) { return (long double)(4 - 3 * x); });
  for (int s = 0; s < 1000; ++s)
    EXPECT_NEAR(mesh.series[s], 4 - 3 * mesh.x[s], 64 * loose);

  std::vector<double> single(1);
  fitOn(0, 1, single, mesh, [](double x) { return (long double)x; });
  EXPECT_NEAR(mesh.series[17], single[0] / std::sqrt(1000.0), tight);
}

TEST(DiscreteChebyshevFit, FullDegreeReproducesAnySource) {
  // N = M: the basis is complete on the mesh; the degree recurrence alone gives not-a-number.
  for (int32_t m : {1000, 999}) {
    NanMesh mesh(m);
    std::vector<double> c(m);
    fitOn(-1, 1, c, mesh,
          [](double x) { return (long double)(std::fabs(x) < 0.3 ? 1 : 0) + x * x * x; });
    for (int32_t s = 0; s < m; ++s)
      ASSERT_NEAR(mesh.series[s], mesh.source[s], loose) << m << " " << s;
  }
}

TEST(DiscreteChebyshevSeries, EvaluateMatchesTheMesh) {
  const BasisOps& ops = discreteChebyshevBasis;
  NanMesh mesh(600);
  std::vector<double> c(400);
  fitOn(1, 4, c, mesh, [](double x) { return (long double)std::sin(9 * x) / x; });
  for (int32_t s = 0; s < 600; s += 13)
    EXPECT_EQ((double)ops.evaluate(1, 4, 0, 0, c.data(), 400, mesh.x[s]), mesh.series[s]) << s;
  EXPECT_EQ((double)ops.evaluate(1, 4, 0, 0, c.data(), 400, 4), mesh.series[599]);

  // Near left = -1 an abscissa's rounding is hundreds of eps in positions; with N = M the
  // polynomials between the points are far from their values at the points.
  NanMesh full(1000);
  std::vector<double> all(1000);
  fitOn(-1, 1, all, full, [](double x) { return (long double)(x > 0.2) + x; });
  std::vector<double> values(1000);
  ops.evaluateMany(-1, 1, 0, 0, all.data(), 1000, full.x.data(), values.data(), 1000);
  EXPECT_EQ(values, full.series);
}

// The derivative's series on the mesh, through an evaluate-only fit.
std::vector<double> derivativeOnMesh(double left, double right, const std::vector<double>& c,
                                     Mesh& mesh) {
  const int32_t n = static_cast<int32_t>(c.size());
  std::vector<double> d(n + 1, 0.0);
  discreteChebyshevBasis.differentiate(left, right, 0, 0, c.data(), d.data(), n);
  EXPECT_EQ(d[n], 0.0);
  Mesh out(static_cast<int32_t>(mesh.x.size()));
  fitOn(left, right, d, out, nullptr, 2);
  return out.series;
}

// Central differences inside, the second-order one-sided ones at the ends, in long double.
std::vector<long double> differences(const std::vector<long double>& v, long double h) {
  const size_t m = v.size();
  std::vector<long double> d(m);
  d[0] = (-3 * v[0] + 4 * v[1] - v[2]) / (2 * h);
  d[m - 1] = (3 * v[m - 1] - 4 * v[m - 2] + v[m - 3]) / (2 * h);
  for (size_t s = 1; s + 1 < m; ++s)
    d[s] = (v[s + 1] - v[s - 1]) / (2 * h);
  return d;
}

TEST(DiscreteChebyshevSeries, DerivativeOfAQuadraticIsExactOnTheMesh) {
  const double left = -1, right = 2;
  NanMesh mesh(40);
  std::vector<double> c(3);
  fitOn(left, right, c, mesh, [](double x) { return 3.0L * x * x - x + 2; });
  const std::vector<double> slope = derivativeOnMesh(left, right, c, mesh);
  for (int32_t s = 0; s < 40; ++s)
    EXPECT_NEAR(slope[s], 6 * mesh.x[s] - 1, loose) << s;
}

TEST(DiscreteChebyshevSeries, DerivativeAndIntegralStayOnTheMeshForEveryTermCount) {
  // The built-in sine on [0, 2] at N = M = 100: the series is the sine on the mesh, so its
  // derivative takes the sine's differences there and its integral is the sine's trapezoid
  // rule, both formed here in long double from sin itself.
  const int32_t m = 100;
  const long double h = 2.0L / (m - 1);
  NanMesh mesh(m);
  std::vector<double> c(m);
  fitOn(0, 2, c, mesh, [](double x) { return (long double)std::sin(x); });
  std::vector<long double> sine(m);
  long double trapezoid = 0;
  for (int32_t s = 0; s < m; ++s) {
    sine[s] = sinl(2.0L * s / (m - 1));
    trapezoid += (s == 0 || s == m - 1 ? 0.5L : 1.0L) * sine[s] * h;
  }
  const std::vector<long double> reference = differences(sine, h);
  const std::vector<double> slope = derivativeOnMesh(0, 2, c, mesh);
  for (int32_t s = 0; s < m; ++s) {
    ASSERT_NEAR(slope[s], (double)reference[s], 1e-11) << s;
    EXPECT_NEAR(slope[s], std::cos(mesh.x[s]), 2e-4) << s;  // h^2 / 3 at the ends
  }
  const double integral = (double)discreteChebyshevBasis.integrate(0, 2, 0, 0, c.data(), m);
  EXPECT_NEAR(integral, (double)trapezoid, tight);
  EXPECT_NEAR(integral, 1 - std::cos(2.0), 5e-5);  // the rule's error h^2 / 12 (f'(2) - f'(0))

  // 300 terms on 1000 points of a sunspot-like cycle: the integral is the trapezoid rule of the
  // series' own mesh values, and the derivative, a least-squares fit to the differences, is no
  // larger than they are on the mesh.
  const int32_t points = 1000, terms = 300;
  NanMesh cycle(points);
  std::vector<double> a(terms);
  fitOn(1700, 2000, a, cycle, [](double x) {
    return (long double)(100 * std::pow(std::fabs(std::sin(M_PI * (x - 1700) / 11)), 1.5));
  });
  const long double step = 300.0L / (points - 1);
  std::vector<long double> series(cycle.series.begin(), cycle.series.end());
  long double rule = 0;
  for (int32_t s = 0; s < points; ++s)
    rule += (s == 0 || s == points - 1 ? 0.5L : 1.0L) * series[s] * step;
  EXPECT_NEAR((double)discreteChebyshevBasis.integrate(1700, 2000, 0, 0, a.data(), terms),
              (double)rule, 1e-12 * (double)rule);
  const std::vector<long double> raw = differences(series, step);
  const std::vector<double> fitted = derivativeOnMesh(1700, 2000, a, cycle);
  long double rawNorm = 0, fittedNorm = 0;
  for (int32_t s = 0; s < points; ++s)
    rawNorm += raw[s] * raw[s], fittedNorm += (long double)fitted[s] * fitted[s];
  EXPECT_GT(fittedNorm, 0.5L * rawNorm);
  EXPECT_LE(fittedNorm, rawNorm * (1 + 1e-12L));
}

TEST(DiscreteChebyshevSeries, TermsFromDegreeMOnAreZero) {
  NanMesh mesh(4);
  std::vector<double> c(6, 7.0);
  fitOn(0, 3, c, mesh, [](double x) { return (long double)(x * x * x); });
  EXPECT_EQ(c[4], 0.0);
  EXPECT_EQ(c[5], 0.0);
  for (int32_t s = 0; s < 4; ++s)
    EXPECT_NEAR(mesh.series[s], s * s * s, loose);
  const double constant[] = {std::sqrt(4.0)};  // the series 1
  EXPECT_NEAR((double)discreteChebyshevBasis.integrate(0, 3, 0, 0, constant, 1), 3.0, tight);

  std::vector<double> nodes(5), weights(5);
  discreteChebyshevBasis.quadrature(nodes.data(), weights.data(), 5, 0, 0);
  EXPECT_EQ(nodes, (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(weights, std::vector<double>(5, 1.0));
}

TEST(DiscreteChebyshevBadInput, NoPointsAndNoTerms) {
  NanMesh none(0);
  std::vector<double> c(3, 7.0);
  EXPECT_EQ(fitOn(0, 1, c, none, [](double) { return 1.0L; }), 0.0L);
  EXPECT_EQ(c, std::vector<double>(3, 7.0));
  EXPECT_EQ(discreteChebyshevBasis.evaluate(0, 1, 0, 0, c.data(), 0, 0.5), 0.0L);
  EXPECT_EQ(discreteChebyshevBasis.integrate(0, 1, 0, 0, c.data(), 0), 0.0L);
}

}  // namespace
