// The blocked product of many rows with a three-term family, on every vector target, against
// the sums formed in long double, and fitManySamples against a fit of each spectrum alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "app/sample_fit.h"
#include "bases/basis.h"
#include "bases/function_recurrence_lanes.h"
#include "bases/table_product_lanes.h"
#include "bases/three_term_lanes.h"
#include "bases/vector_target.h"

namespace {

constexpr double eps = 0x1p-52;

// A made-up family with shifts (b_k != 0) and a Legendre one (b_k = 0, c_k > 0): both step
// forms the kernels may take.
ThreeTermRecurrence testFamily(int32_t n, bool shifted) {
  ThreeTermRecurrence p(n);
  for (int32_t k = 1; k < n; ++k) {
    p.a[k] = (2.0 * k - 1) / k;
    p.b[k] = shifted ? 0.25 / k : 0.0;
    p.c[k] = (k - 1.0) / k;
  }
  return p;
}

TEST(ProjectManyOntoRecurrence, MatchesLongDoubleSumsOnEveryTarget) {
  // Ragged in every direction: rows not a multiple of a tile, nodes not a multiple of a block,
  // an odd degree count, and rows `stride` apart with the sums taken over an inner range.
  constexpr int32_t m = 1003, n = 37, skip = 5;
  constexpr int64_t spectra = 7, stride = m + 2 * skip;
  std::mt19937_64 random(23);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> t(m), u(spectra * stride);
  for (double& ti : t)
    ti = unit(random);
  std::sort(t.begin(), t.end());
  for (double& ui : u)
    ui = unit(random);
  for (const bool shifted : {false, true}) {
    const ThreeTermRecurrence p = testFamily(n, shifted);
    // The reference: every P_k and every product and sum in long double; the scale of row j,
    // degree k is sum_i |u_ji P_k(t_i)|, which bounds the rounding a double sum may show.
    std::vector<long double> reference(spectra * n, 0.0L), scale(spectra * n, 0.0L);
    for (int32_t i = 0; i < m; ++i) {
      std::vector<long double> pk(n);
      for (int32_t k = 0; k < n; ++k)
        pk[k] = k == 0   ? 1.0L
                : k == 1 ? static_cast<long double>(p.a[1]) * t[i] + p.b[1]
                         : (static_cast<long double>(p.a[k]) * t[i] + p.b[k]) * pk[k - 1] -
                               static_cast<long double>(p.c[k]) * pk[k - 2];
      for (int64_t j = 0; j < spectra; ++j)
        for (int32_t k = 0; k < n; ++k) {
          const long double term = u[j * stride + skip + i] * pk[k];
          reference[j * n + k] += term;
          scale[j * n + k] += std::fabs(term);
        }
    }
    for (const VectorTarget target : availableVectorTargets()) {
      std::vector<double> sums(spectra * n, -1.0);
      projectManyOntoRecurrence(p, t.data(), u.data() + skip, m, stride, spectra, sums.data(), n,
                                target);
      for (int64_t j = 0; j < spectra; ++j)
        for (int32_t k = 0; k < n; ++k)
          EXPECT_LE(std::fabs(sums[j * n + k] - reference[j * n + k]),
                    8 * (k + 1) * eps * scale[j * n + k])
              << "target " << static_cast<int>(target) << " shifted " << shifted << " row " << j
              << " degree " << k;
    }
  }
}

// The tables of Hermite and Sonin-Laguerre functions for the blocked product, on every target,
// against the functions formed in long double from their closed-form factors: at abscissae out
// to where the factor alone is far below doubles and the recurrence has to carry the lanes
// through rescaling. Each value is held to a few eps of the largest function at its abscissa.
TEST(FunctionTables, MatchLongDoubleFunctionsOnEveryTarget) {
  constexpr int32_t n = 300;
  using ld = long double;
  const ld log2e = 1.442695040888963407359924681001892137L;
  std::vector<double> rise(n), fall(n), order(n), inverse(n);
  constexpr double alpha = 0.5;
  for (int32_t k = 1; k < n; ++k) {
    rise[k] = static_cast<double>(std::sqrt(2.0L / k));
    fall[k] = static_cast<double>(std::sqrt((k - 1.0L) / k));
    order[k] = static_cast<double>((k + static_cast<ld>(alpha)) / k);
    inverse[k] = 1.0 / k;
  }
  // The abscissae with their factors split as mantissa 2^exponent; 37 is ragged on every target.
  auto factored = [](const std::vector<double>& t, auto log2Factor) {
    FactoredAbscissae points;
    for (const double at : t) {
      const ld power = log2Factor(static_cast<ld>(at)), whole = std::floor(power);
      points.add(at, static_cast<double>(std::exp2(power - whole)), static_cast<int64_t>(whole));
    }
    return points;
  };
  std::vector<double> hermiteAt, laguerreAt;
  for (int32_t i = 0; i < 37; ++i) {
    hermiteAt.push_back(-45.0 + 2.5 * i);      // beyond sqrt(2n) = 24.5 and back
    laguerreAt.push_back(0.01 + 1.2 * i * i);  // out to 1555, beyond 4n
  }
  const FactoredAbscissae hermite = factored(hermiteAt, [&](ld t) { return -t * t / 2 * log2e; });
  const FactoredAbscissae laguerre =
      factored(laguerreAt, [&](ld t) { return (alpha / 2) * std::log2(t) - t / 2 * log2e; });
  // The references: psi_k and phi_k = t^(alpha/2) e^(-t/2) L_k^(alpha) by their recurrences in
  // long double, whose range holds the factors whole.
  auto hermiteReference = [&](ld t, int32_t k, std::vector<ld>& out) {
    out.assign(k, 0.0L);
    out[0] = std::pow(3.14159265358979323846264338327950288L, -0.25L) * std::exp(-t * t / 2);
    if (k > 1) out[1] = std::sqrt(2.0L) * t * out[0];
    for (int32_t j = 2; j < k; ++j)
      out[j] = std::sqrt(2.0L / j) * t * out[j - 1] - std::sqrt((j - 1.0L) / j) * out[j - 2];
  };
  auto laguerreReference = [&](ld t, int32_t k, std::vector<ld>& out) {
    out.assign(k, 0.0L);
    out[0] = std::pow(t, static_cast<ld>(alpha) / 2) * std::exp(-t / 2);
    if (k > 1) out[1] = (1 + alpha - t) * out[0];
    for (int32_t j = 2; j < k; ++j)
      out[j] = ((2 * j - 1 + alpha - t) * out[j - 1] - (j - 1 + alpha) * out[j - 2]) / j;
  };
  struct Family {
    const char* name;
    const FactoredAbscissae& points;
    std::function<void(ld, int32_t, std::vector<ld>&)> reference;
    std::function<void(FunctionTable&, VectorTarget)> fill;
  };
  const Family families[] = {
      {"Hermite", hermite, hermiteReference,
       [&](FunctionTable& table, VectorTarget target) {
         hermiteTable(hermite.points(), {rise.data(), fall.data()}, table, target);
       }},
      {"Sonin-Laguerre", laguerre, laguerreReference,
       [&](FunctionTable& table, VectorTarget target) {
         laguerreTable(laguerre.points(), {order.data(), inverse.data()}, table, target);
       }},
  };
  for (const Family& family : families)
    for (const VectorTarget target : availableVectorTargets()) {
      FunctionTable table(n);
      family.fill(table, target);
      std::vector<ld> reference;
      for (int32_t i = 0; i < family.points.points().count; ++i) {
        family.reference(family.points.t[i], n, reference);
        ld largest = 0;
        for (const ld value : reference)
          largest = std::max(largest, std::fabs(value));
        for (int32_t k = 0; k < n; ++k)
          ASSERT_LE(std::fabs(table.row(k)[i] - reference[k]), 64 * eps * largest)
              << family.name << " target " << static_cast<int>(target) << " t "
              << family.points.t[i] << " degree " << k;
      }
    }
}

// Each row of fitManySamples is the fit of that spectrum alone to a few eps of the row's largest
// coefficient (the blocked product adds in another order than the single fit), in every basis
// that projects: the recurrence bases, Jacobi with and without the nodes near an end, Hermite
// and Sonin-Laguerre with nodes far enough out to underflow, discrete Chebyshev with more terms
// than points, and the transform bases below and above the count where the transform pays.
TEST(FitManySamples, RowsAgreeWithSingleFits) {
  constexpr int64_t count = 301, spectra = 70;  // more than one chunk of rows
  std::vector<double> x(count), y(spectra * count);
  for (int64_t i = 0; i < count; ++i)
    x[i] = -2.0 + 5.0 * i / (count - 1);
  for (int64_t j = 0; j < spectra; ++j)
    for (int64_t i = 0; i < count; ++i)
      y[j * count + i] = std::sin((1 + 0.1 * j) * x[i]) + 0.01 * j * x[i] * x[i];
  struct Case {
    int32_t basis;
    int64_t terms, points;
    double alpha, beta;
  };
  for (const Case& c :
       {Case{legendreBasisIndex, 40, 500, 0, 0}, Case{chebyshev2BasisIndex, 8, 100, 0, 0},
        Case{chebyshev2BasisIndex, 300, 4000, 0, 0}, Case{jacobiBasisIndex, 30, 400, 0.5, 1.5},
        Case{jacobiBasisIndex, 30, 400, -0.9, 0.3}, Case{hermiteBasisIndex, 30, 301, 0, 0},
        Case{hermiteBasisIndex, 25, 300, 0, 2.5}, Case{soninLaguerreBasisIndex, 30, 300, 0.5, 0},
        Case{soninLaguerreBasisIndex, 40, 700, -0.5, 3}, Case{hermiteBasisIndex, 200, 3001, 0, 0},
        Case{soninLaguerreBasisIndex, 200, 3000, 2, 0},
        Case{discreteChebyshevBasisIndex, 30, 301, 0, 0},
        Case{discreteChebyshevBasisIndex, 400, 300, 0, 0},
        Case{discreteChebyshevBasisIndex, 150, 5000, 0, 0}, Case{fourierBasisIndex, 9, 200, 0, 0},
        Case{fourierBasisIndex, 101, 1000, 0, 0}, Case{chebyshev1BasisIndex, 10, 300, 0, 0},
        Case{chebyshev1BasisIndex, 200, 1500, 0, 0}}) {
    const BasisOps& basis = basisEntry(c.basis).ops;
    ASSERT_NE(basis.projectMany, nullptr);
    SampleFitRequest request;
    request.termCount = c.terms, request.meshCount = c.points;
    request.alpha = c.alpha, request.beta = c.beta;
    SampleFitSettings settings;
    std::vector<double> many;
    ASSERT_EQ(fitManySamples(basis, x.data(), y.data(), count, spectra, request, settings, many),
              "");
    ASSERT_EQ(many.size(), static_cast<size_t>(spectra * c.terms));
    for (int64_t j = 0; j < spectra; ++j) {
      SampleFit one;
      ASSERT_EQ(fitSamples(basis, x.data(), y.data() + j * count, count, request, one), "");
      double largest = 0.0;
      for (const double ck : one.coefficients)
        largest = std::max(largest, std::fabs(ck));
      for (int64_t k = 0; k < c.terms; ++k)
        ASSERT_LE(std::fabs(many[j * c.terms + k] - one.coefficients[k]), 16 * eps * largest)
            << "basis " << c.basis << " alpha " << c.alpha << " row " << j << " term " << k;
    }
  }
}

}  // namespace
