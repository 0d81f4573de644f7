#include "tools/term_count.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <new>

namespace {

constexpr double eps = DBL_EPSILON;

// standardChop's own constants (Aurentz and Trefethen, "Chopping a Chebyshev series", ACM
// Trans. Math. Softw. 43(4), article 33, 2017): fewer than 17 coefficients are never chopped;
// the plateau test compares the envelope at j with the envelope at 1.25 j + 5 against
// 3 (1 - log e_j / log tol); the cut is the least of log10 envelope plus a line rising by a
// third of |log10 tol| over the coefficients looked at, with the envelope floored at
// tol^(7/6).
constexpr int32_t fewestChopped = 17;
constexpr double plateauStretch = 1.25;
constexpr int32_t plateauOffset = 5;
constexpr double plateauSteepness = 3.0;
constexpr double floorExponent = 7.0 / 6.0;
constexpr double tiltShare = 1.0 / 3.0;

// Our reading of the tail: the last quarter of the magnitudes is the plateau when its median
// is at least adjacentShare of the median of the quarter before it, or at least wideShare of
// the median of the second quarter (a tail falling like 1/k gives 5/7 and 3/7, noise about 1
// and 1; either comparison may stop the growth, since short quarters of noise scatter), or
// when it lies at rounding (below roundingLevel of the largest magnitude). The root mean
// square of the last quarter, relative to the largest magnitude, is the tolerance, kept within
// [eps, largestTolerance]: a tail near the top leaves nothing to cut (the chop then finds no
// plateau). A tail far below the top (deepLevel of it) is flat already when its median keeps
// wideShare of the quarter before it: there a short quarter of noise scatters by more than
// adjacentShare allows (two medians of 32 magnitudes of noise differ by a third at one
// standard deviation), and a slowly falling tail this deep would take many thousand terms to
// matter.
constexpr double adjacentShare = 0.8;
constexpr double deepLevel = 1e-4;
constexpr double wideShare = 0.6;
constexpr double roundingLevel = 256 * eps;
constexpr double largestTolerance = 0.1;
// The growing counts start at this many degrees and double.
constexpr int32_t firstDegrees = 64;

double medianOf(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + values.size() / 2;
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The fit figure 1 - captured / energy of the leading `kept` of n coefficients whose own
// figure is `figure`: the energy is the same for both, so the figure scales with the captured
// share. A basis that gives no figure (0 for every count) keeps 0.
long double figureOfLeading(const BasisOps& basis, double alpha, double beta, const double* c,
                            int32_t kept, int32_t n, int32_t m, long double figure) {
  long double capturedKept = 0, captured = 0;
  for (int32_t k = 0; k < n; ++k) {
    const long double energy =
        static_cast<long double>(c[k]) * c[k] * basis.squaredNorm(k, alpha, beta, m);
    captured += energy;
    if (k < kept) capturedKept += energy;
  }
  if (figure == 0 || !(captured > 0)) return figure;
  return 1 - (1 - figure) * (capturedKept / captured);
}

}  // namespace

std::vector<double> coefficientMagnitudes(const BasisOps& basis, double alpha, double beta,
                                          const double* c, int32_t n, int32_t m) {
  std::vector<double> magnitudes;
  if (!basis.squaredNorm || n <= 0) return magnitudes;
  if (!basis.pairedTerms) {
    magnitudes.resize(n);
    for (int32_t k = 0; k < n; ++k)
      magnitudes[k] = std::fabs(c[k]) * std::sqrt(basis.squaredNorm(k, alpha, beta, m));
    return magnitudes;
  }
  // c[0], then (c[2j - 1], c[2j]) for frequency j; a last sine may stand alone.
  magnitudes.resize(n / 2 + 1);
  magnitudes[0] = std::fabs(c[0]) * std::sqrt(basis.squaredNorm(0, alpha, beta, m));
  for (int32_t j = 1; 2 * j - 1 < n; ++j) {
    long double energy = 0;
    for (int32_t k = 2 * j - 1; k <= std::min(2 * j, n - 1); ++k)
      energy += static_cast<long double>(c[k]) * c[k] * basis.squaredNorm(k, alpha, beta, m);
    magnitudes[j] = static_cast<double>(std::sqrt(energy));
  }
  return magnitudes;
}

int32_t termsOfDegrees(const BasisOps& basis, int32_t degrees) {
  if (degrees <= 0) return 0;
  return basis.pairedTerms ? 2 * degrees - 1 : degrees;
}

int32_t standardChop(const std::vector<double>& b, double tolerance) {
  const int32_t n = static_cast<int32_t>(b.size());
  if (n < fewestChopped) return n;
  // The envelope: the largest magnitude from k on, relative to the largest of all.
  std::vector<double> envelope(n);
  envelope[n - 1] = b[n - 1];
  for (int32_t k = n - 2; k >= 0; --k)
    envelope[k] = std::max(b[k], envelope[k + 1]);
  if (envelope[0] == 0) return 1;
  const double top = envelope[0];
  for (double& e : envelope)
    e /= top;

  // The plateau: from the first j (1-based, j >= 2) where the envelope no longer falls fast
  // enough for how far above the tolerance it stands.
  const double logTolerance = std::log(tolerance);
  int32_t plateauPoint = 0, j2 = 0;
  for (int32_t j = 2; j <= n; ++j) {
    j2 = static_cast<int32_t>(std::lround(plateauStretch * j + plateauOffset));
    if (j2 > n) return n;
    const double e1 = envelope[j - 1], e2 = envelope[j2 - 1];
    const double r = plateauSteepness * (1 - std::log(e1) / logTolerance);
    if (e1 == 0 || e2 / e1 > r) {
      plateauPoint = j - 1;
      break;
    }
  }
  if (plateauPoint == 0) return n;
  if (envelope[plateauPoint - 1] == 0) return plateauPoint;

  // The cut: the least of log10 envelope plus a rising line over the first j2 entries, the
  // envelope floored at tol^(7/6) where it falls below it.
  const double floorLevel = std::pow(tolerance, floorExponent);
  int32_t above = 0;
  for (const double e : envelope)
    above += e >= floorLevel;
  if (above < j2) {
    j2 = above + 1;
    envelope[j2 - 1] = floorLevel;
  }
  const double rise = -tiltShare * std::log10(tolerance);
  int32_t least = 1;
  double leastValue = INFINITY;
  for (int32_t k = 1; k <= j2; ++k) {
    const double tilted = std::log10(envelope[k - 1]) + (j2 > 1 ? rise * (k - 1) / (j2 - 1) : 0.0);
    if (tilted < leastValue) leastValue = tilted, least = k;
  }
  return std::max(least - 1, 1);
}

Chop chopMagnitudes(const std::vector<double>& magnitudes) {
  Chop chop;
  const int32_t n = static_cast<int32_t>(magnitudes.size());
  chop.kept = n;
  if (n < fewestChopped) return chop;
  const double top = *std::max_element(magnitudes.begin(), magnitudes.end());
  if (!(top > 0) || !std::isfinite(top)) {
    chop.flat = top == 0;
    chop.found = chop.flat, chop.kept = chop.flat ? 1 : n;
    return chop;
  }
  const int32_t quarter = n / 4;
  const std::vector<double> last(magnitudes.end() - quarter, magnitudes.end());
  const auto quarterMedian = [&](int32_t index) {
    return medianOf(std::vector<double>(magnitudes.begin() + index * quarter,
                                        magnitudes.begin() + (index + 1) * quarter));
  };
  const double lastMedian = medianOf(last);
  const double tailTop = *std::max_element(last.begin(), last.end());
  const double previousMedian = quarterMedian(2);
  chop.flat = tailTop <= roundingLevel * top || lastMedian >= adjacentShare * previousMedian ||
              lastMedian >= wideShare * quarterMedian(1) ||
              (lastMedian <= deepLevel * top && lastMedian >= wideShare * previousMedian);
  if (!chop.flat) return chop;
  long double squares = 0;
  for (const double v : last)
    squares += static_cast<long double>(v) * v;
  const double tailLevel = static_cast<double>(std::sqrt(squares / quarter));
  const double tolerance = std::clamp(tailLevel / top, eps, largestTolerance);
  chop.kept = standardChop(magnitudes, tolerance);
  chop.found = chop.kept < n;
  if (chop.found) chop.plateau = tolerance * top;
  return chop;
}

TermChoice chooseTermCount(const BasisOps& basis, double left, double right, double& alpha,
                           double& beta, const SourceFn& source, double* meshX,
                           double* sourceValues, int32_t m) {
  TermChoice choice;
  const int32_t limit = std::max(m, 1);
  std::vector<double> c(limit);
  int32_t n = std::min(limit, termsOfDegrees(basis, firstDegrees));
  long double figure = basis.fit(left, right, alpha, beta, c.data(), n, meshX, sourceValues,
                                 nullptr, m, source, fitCoefficients);
  for (;;) {
    choice.magnitudes = coefficientMagnitudes(basis, alpha, beta, c.data(), n, m);
    choice.chop = chopMagnitudes(choice.magnitudes);
    choice.converged = choice.chop.flat && choice.chop.found;
    if (choice.converged || n >= limit) break;
    n = std::min<int64_t>(limit, 2 * int64_t{n});
    figure = projectValues(basis, left, right, alpha, beta, sourceValues, c.data(), n, meshX, m);
  }
  choice.terms = choice.converged ? std::min(termsOfDegrees(basis, choice.chop.kept), n) : n;
  choice.figure = figureOfLeading(basis, alpha, beta, c.data(), choice.terms, n, m, figure);
  c.resize(choice.terms);
  choice.coefficients = std::move(c);
  return choice;
}

CoefficientView coefficientViewOf(const BasisOps& basis, double alpha, double beta, const double* c,
                                  int32_t n, int32_t m) {
  CoefficientView view;
  view.magnitudes = coefficientMagnitudes(basis, alpha, beta, c, n, m);
  const Chop chop = chopMagnitudes(view.magnitudes);
  if (chop.found) view.cut = chop.kept, view.plateau = chop.plateau;
  return view;
}

CoefficientView coefficientViewOf(const TermChoice& choice) {
  CoefficientView view;
  view.magnitudes = choice.magnitudes;
  if (choice.chop.found) view.cut = choice.chop.kept, view.plateau = choice.chop.plateau;
  return view;
}

std::string termChoiceNote(const TermChoice& choice, int32_t meshCount) {
  char text[200];
  if (!choice.converged)
    std::snprintf(text, sizeof text,
                  "The series did not converge: its coefficients do not level off within the "
                  "%d evaluation points, and the count is that limit",
                  meshCount);
  else
    std::snprintf(text, sizeof text,
                  "Automatic terms: %d, where the coefficients meet their plateau at %.3g",
                  choice.terms, choice.chop.plateau);
  return text;
}
