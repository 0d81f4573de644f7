// The automatic term count against counts found by brute force: for each source every count is
// fitted and measured, which gives the best error any count reaches and the smallest count
// that reaches it; the automatic count must reach that error (within 100 eps, or 1.5 times for
// noisy data measured against the clean function) with at most 25 % more terms. Then the
// chop rule alone on sequences whose cut is plain by hand, and the scaled magnitudes against
// the basis's own energy figure.
#include "tools/term_count.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "bases/basis.h"

namespace {

constexpr double eps = 2.220446049250313e-16;

struct Case {
  int32_t basisIndex;
  const char* name;
  double left, right, alpha, beta;
  SourceFn source;
};

// The fitted series of n terms on the m-point mesh against `clean`: the largest deviation over
// the mesh relative to the range of the clean values (which includes 0), as the error figure
// is formed, and the root-mean-square deviation over 4000 evenly spaced abscissae of the
// interval (the error a user sees, whatever the basis's mesh).
struct Errors {
  double largest, rms;
};
Errors errorsAt(const Case& k, int32_t n, int32_t m, const SourceFn& clean) {
  const BasisOps& basis = basisEntry(k.basisIndex).ops;
  std::vector<double> c(n), x(m), f(m), s(m);
  double alpha = k.alpha, beta = k.beta;
  basis.fit(k.left, k.right, alpha, beta, c.data(), n, x.data(), f.data(), s.data(), m, k.source,
            fitCoefficients | evaluateOnMesh);
  double low = 0, high = 0, worst = 0;
  for (int32_t i = 0; i < m; ++i) {
    const double g = static_cast<double>(clean(x[i]));
    low = std::min(low, g), high = std::max(high, g);
    worst = std::max(worst, std::fabs(g - s[i]));
  }
  constexpr int32_t even = 4000;
  std::vector<double> u(even), values(even);
  for (int32_t i = 0; i < even; ++i)
    u[i] = k.left + (k.right - k.left) * (i + 0.5) / even;
  basis.evaluateMany(k.left, k.right, alpha, beta, c.data(), n, u.data(), values.data(), even);
  long double squares = 0;
  for (int32_t i = 0; i < even; ++i) {
    const long double d = clean(u[i]) - values[i];
    squares += d * d;
  }
  return {high > low ? worst / (high - low) : worst,
          static_cast<double>(std::sqrt(squares / even))};
}

TermChoice automaticCount(const Case& k, int32_t m) {
  std::vector<double> x(m), f(m);
  double alpha = k.alpha, beta = k.beta;
  return chooseTermCount(basisEntry(k.basisIndex).ops, k.left, k.right, alpha, beta, k.source,
                         x.data(), f.data(), m);
}

long double builtinSine(double x) {
  return std::sin(x);
}

std::vector<Case> smoothCases() {
  const SourceFn sine = builtinSine;
  const SourceFn exponential = [](double x) { return std::exp(static_cast<long double>(x)); };
  const SourceFn runge = [](double x) { return 1.0L / (1 + 25.0L * x * x); };
  const SourceFn periodic = [](double x) {
    return std::exp(std::sin(static_cast<long double>(x)));
  };
  // The weight functions times a cosine: geometric decay at the scale beta = 1 (Laguerre
  // coefficients fall like |i / (1 + i)|^k, Hermite ones faster still).
  const SourceFn bell = [](double x) {
    return std::exp(-static_cast<long double>(x) * x / 2) * std::cos(2.0L * x);
  };
  const SourceFn decay = [](double x) {
    return std::exp(-static_cast<long double>(x) / 2) * std::cos(static_cast<long double>(x));
  };
  std::vector<Case> cases = {
      {fourierBasisIndex, "Fourier, sine over 3 periods", 0, 6 * M_PI, 0, 0, sine},
      {fourierBasisIndex, "Fourier, exp(sin x)", 0, 2 * M_PI, 0, 0, periodic},
      {soninLaguerreBasisIndex, "Sonin-Laguerre, exp(-x/2) cos x", 0, 40, 0, 1, decay},
      {hermiteBasisIndex, "Hermite, exp(-x^2/2) cos 2x", -8, 8, 0, 1, bell},
  };
  for (const int32_t basis : {legendreBasisIndex, chebyshev1BasisIndex, chebyshev2BasisIndex,
                              jacobiBasisIndex, discreteChebyshevBasisIndex}) {
    for (const double length : {1.0, 10.0, 40.0})
      cases.push_back({basis, "sine", 0, length, 0.5, -0.25, sine});
    cases.push_back({basis, "exp", -1, 3, 0.5, -0.25, exponential});
    cases.push_back({basis, "Runge", -1, 1, 0.5, -0.25, runge});
  }
  return cases;
}

// Every count up to `top`: the best error and the smallest count within `slack` of it.
struct BestCount {
  double error;
  int32_t terms;
};
BestCount bestCount(const Case& k, int32_t top, int32_t m, const SourceFn& clean, bool rms,
                    double factor, double slack) {
  std::vector<double> errors(top + 1);
  double best = INFINITY;
  for (int32_t n = 1; n <= top; ++n) {
    const Errors e = errorsAt(k, n, m, clean);
    errors[n] = rms ? e.rms : e.largest;
    best = std::min(best, errors[n]);
  }
  for (int32_t n = 1; n <= top; ++n)
    if (errors[n] <= best * factor + slack) return {best, n};
  return {best, top};
}

TEST(AutomaticTerms, SmoothSourcesReachTheBestErrorWithFewTerms) {
  constexpr int32_t m = 600;
  for (const Case& k : smoothCases()) {
    SCOPED_TRACE(std::string(basisEntry(k.basisIndex).text) + ": " + k.name + " on [" +
                 std::to_string(k.left) + ";" + std::to_string(k.right) + "]");
    const TermChoice choice = automaticCount(k, m);
    ASSERT_TRUE(choice.converged);
    const int32_t top = std::min(m, 2 * choice.terms + 40);
    const BestCount best = bestCount(k, top, m, k.source, false, 1.0, 100 * eps);
    EXPECT_LE(errorsAt(k, choice.terms, m, k.source).largest, best.error + 100 * eps);
    EXPECT_LE(choice.terms, 1.25 * best.terms + 1) << "smallest count " << best.terms;
  }
}

TEST(AutomaticTerms, TheSearchsCoefficientsAreThoseOfAFitWithTheChosenCount) {
  // The search hands back the leading coefficients of its last, longer fit and their figure
  // derived from that fit's; a fit with the chosen count on its own must give the same, in
  // every basis with decaying coefficients, for smooth sources and for one that never
  // converges (sin over 160 periods on 200 points).
  std::vector<std::pair<Case, int32_t>> cases;
  for (const Case& k : smoothCases())
    cases.push_back({k, 600});
  for (const int32_t basis : {fourierBasisIndex, legendreBasisIndex, chebyshev1BasisIndex,
                              jacobiBasisIndex, discreteChebyshevBasisIndex})
    cases.push_back({{basis, "sine, 160 periods", 0, 1000, 0.5, -0.25, builtinSine}, 200});
  for (const auto& [k, m] : cases) {
    SCOPED_TRACE(std::string(basisEntry(k.basisIndex).text) + ": " + k.name);
    const TermChoice choice = automaticCount(k, m);
    ASSERT_EQ(static_cast<int32_t>(choice.coefficients.size()), choice.terms);
    const BasisOps& basis = basisEntry(k.basisIndex).ops;
    std::vector<double> c(choice.terms), x(m), f(m);
    double alpha = k.alpha, beta = k.beta;
    const long double figure = basis.fit(k.left, k.right, alpha, beta, c.data(), choice.terms,
                                         x.data(), f.data(), nullptr, m, k.source, fitCoefficients);
    double largest = 0;
    for (const double v : c)
      largest = std::max(largest, std::fabs(v));
    for (int32_t j = 0; j < choice.terms; ++j)
      ASSERT_NEAR(choice.coefficients[j], c[j], 1e-13 * largest) << "coefficient " << j;
    EXPECT_NEAR(static_cast<double>(choice.figure), static_cast<double>(figure), 1e-13);
  }
}

TEST(AutomaticTerms, NoisyDataStopsAtTheNoise) {
  // 10^4 samples of a smooth function plus Gaussian noise of standard deviation 10^-5, 10^-3
  // and 10^-2 of its range, joined by straight lines; the error is measured against the clean
  // function. At 10^-5 the plateau lies deep below the top, where a short tail's scatter is
  // taken for flat.
  for (const double sigma : {1e-5, 1e-3, 1e-2}) {
    constexpr int32_t samples = 10000, m = 10000;
    const double left = 0, right = 10;
    const auto clean = [](double x) { return std::exp(-x / 4) * std::sin(3 * x) + 0.5; };
    std::vector<double> y(samples);
    std::mt19937_64 random(20170417);
    std::normal_distribution<double> noise(0.0, sigma);
    for (int32_t i = 0; i < samples; ++i)
      y[i] = clean(left + (right - left) * i / (samples - 1)) + noise(random);
    const SourceFn noisy = [&](double x) -> long double {
      const double s =
          std::clamp((x - left) / (right - left) * (samples - 1), 0.0, double(samples - 1));
      const int32_t i = std::min(static_cast<int32_t>(s), samples - 2);
      return y[i] + (s - i) * (y[i + 1] - y[i]);
    };
    const SourceFn cleanSource = [&](double x) -> long double { return clean(x); };
    for (const int32_t basis :
         {fourierBasisIndex, legendreBasisIndex, chebyshev1BasisIndex, chebyshev2BasisIndex,
          jacobiBasisIndex, discreteChebyshevBasisIndex}) {
      SCOPED_TRACE(basisEntry(basis).text);
      // Fourier takes a periodic function on [0;2 pi] with the same noise.
      const SourceFn periodic = [](double x) -> long double {
        return std::exp(std::sin(x)) * std::cos(2 * x);
      };
      const Case k =
          basis == fourierBasisIndex
              ? Case{basis,
                     "",
                     0,
                     2 * M_PI,
                     0,
                     0,
                     [&](double x) -> long double { return noisy(x) - clean(x) + periodic(x); }}
              : Case{basis, "", left, right, 0.5, 0.5, noisy};
      const SourceFn reference = basis == fourierBasisIndex ? periodic : cleanSource;
      const TermChoice choice = automaticCount(k, m);
      ASSERT_TRUE(choice.converged);
      EXPECT_GT(choice.chop.plateau, 0);
      const int32_t top = std::min(m, 2 * choice.terms + 20);
      const BestCount best = bestCount(k, top, m, reference, true, 1.0, 0.0);
      EXPECT_LE(errorsAt(k, choice.terms, m, reference).rms, 1.5 * best.error)
          << choice.terms << " terms, best " << best.terms;
    }
  }
}

TEST(AutomaticTerms, NoDecayWithinTheMeshGivesTheLimit) {
  // The sine over 160 periods needs about 600 terms: on 200 points its coefficients never
  // fall. A mesh of 10 points is too short to show any tail.
  const Case k{chebyshev1BasisIndex, "sine", 0, 1000, 0, 0, builtinSine};
  TermChoice choice = automaticCount(k, 200);
  EXPECT_FALSE(choice.converged);
  EXPECT_EQ(choice.terms, 200);
  EXPECT_NE(termChoiceNote(choice, 200).find("did not converge"), std::string::npos);
  choice = automaticCount({chebyshev1BasisIndex, "sine", 0, 1, 0, 0, builtinSine}, 10);
  EXPECT_FALSE(choice.converged);
  EXPECT_EQ(choice.terms, 10);
}

TEST(StandardChop, CutsWhereTheDecayMeetsThePlateau) {
  // 10^-k down to 10^-12, then a plateau at 10^-12: with the tolerance at the plateau, the
  // cut falls where the decay reaches it (degree 12, so 12 or 13 kept).
  std::vector<double> b(60);
  for (int32_t k = 0; k < 60; ++k)
    b[k] = std::pow(10.0, -std::min(k, 12));
  const int32_t kept = standardChop(b, 1e-12);
  EXPECT_GE(kept, 12);
  EXPECT_LE(kept, 13);
  // A tail of exact zeros is cut at its start.
  std::vector<double> zeros(40, 0.0);
  for (int32_t k = 0; k < 8; ++k)
    zeros[k] = std::pow(2.0, -k);
  EXPECT_EQ(standardChop(zeros, eps), 8);
  // Still falling at the end: no plateau, nothing cut; fewer than 17: never cut.
  std::vector<double> falling(40);
  for (int32_t k = 0; k < 40; ++k)
    falling[k] = std::pow(0.5, k);
  EXPECT_EQ(standardChop(falling, eps), 40);
  EXPECT_EQ(standardChop(std::vector<double>(16, 1e-20), eps), 16);
  // Nothing but zeros: one term.
  EXPECT_EQ(standardChop(std::vector<double>(20, 0.0), eps), 1);
}

TEST(CoefficientMagnitudes, SquaresAddUpToTheCapturedEnergy) {
  // 1 - fit figure = captured / energy, with captured = sum of the squared magnitudes; the
  // energy is the source's own mean square (the weighted sum the basis forms), checked here
  // through the figure of the full fit, which captures all of it.
  const SourceFn source = [](double x) -> long double { return std::cos(x) + x / 3; };
  constexpr int32_t m = 64;
  for (int32_t index = 0; index < basisCount; ++index) {
    const BasisOps& basis = basisEntry(index).ops;
    if (index == bernsteinBasisIndex || index == discreteChebyshevBasisIndex) {
      // Bernstein has no norms; the discrete basis reports no figure (checked below).
      if (index == bernsteinBasisIndex) {
        EXPECT_TRUE(
            coefficientMagnitudes(basis, 0, 0, std::vector<double>(4, 1).data(), 4, m).empty());
      }
      continue;
    }
    SCOPED_TRACE(basisEntry(index).text);
    double alpha = 0.5, beta = index == hermiteBasisIndex ? 0 : 0.5;
    const int32_t few = 9;
    std::vector<double> cAll(m), cFew(few), x(m), f(m);
    const long double figureAll = basis.fit(-1, 2, alpha, beta, cAll.data(), m, x.data(), f.data(),
                                            nullptr, m, source, fitCoefficients);
    const long double figureFew = basis.fit(-1, 2, alpha, beta, cFew.data(), few, x.data(),
                                            f.data(), nullptr, m, source, fitCoefficients);
    long double all = 0, some = 0;
    for (const double v : coefficientMagnitudes(basis, alpha, beta, cAll.data(), m, m))
      all += static_cast<long double>(v) * v;
    for (const double v : coefficientMagnitudes(basis, alpha, beta, cFew.data(), few, m))
      some += static_cast<long double>(v) * v;
    // captured(few) / captured(all) = (1 - figureFew) / (1 - figureAll)
    EXPECT_NEAR(static_cast<double>(some / all),
                static_cast<double>((1 - figureFew) / (1 - figureAll)), 1e-12);
  }
  // Discrete Chebyshev: orthonormal over the points, so the squared magnitudes over all M
  // terms give the mean square of the values.
  const BasisOps& discrete = basisEntry(discreteChebyshevBasisIndex).ops;
  std::vector<double> c(m), x(m), f(m);
  double alpha = 0, beta = 0;
  discrete.fit(-1, 2, alpha, beta, c.data(), m, x.data(), f.data(), nullptr, m, source,
               fitCoefficients);
  long double squares = 0, meanSquare = 0;
  for (const double v : coefficientMagnitudes(discrete, 0, 0, c.data(), m, m))
    squares += static_cast<long double>(v) * v;
  for (int32_t i = 0; i < m; ++i)
    meanSquare += source(x[i]) * source(x[i]) / m;
  EXPECT_NEAR(static_cast<double>(squares / meanSquare), 1.0, 1e-13);
  // Fourier: one magnitude per frequency, sine and cosine together.
  const BasisOps& fourier = basisEntry(fourierBasisIndex).ops;
  const std::vector<double> pairs = {2, 3, 4, 0, 0};  // c0, sine 1, cosine 1, sine 2, cosine 2
  const std::vector<double> v = coefficientMagnitudes(fourier, 0, 0, pairs.data(), 5, m);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_DOUBLE_EQ(v[0], 1.0);                 // 2 sqrt(1/4)
  EXPECT_DOUBLE_EQ(v[1], 5 * std::sqrt(0.5));  // sqrt((9 + 16) / 2)
  EXPECT_EQ(v[2], 0.0);
  EXPECT_EQ(termsOfDegrees(fourier, 3), 5);
}

}  // namespace
