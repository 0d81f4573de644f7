#include "bases/bernstein.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "bases/bernstein_lanes.h"
#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/progress_blocks.h"

namespace {

// The sum walked from both ends at once, every term counted twice and the total halved.
// Right to rounding while g^(N-1) and (1 - g)^(N-1), the smallest terms, stay normal doubles.
// Returns false, writing nothing, when either of them falls below that range.
bool twoEndedSum(const double* c, int32_t n, double g, long double& value) {
  double a = 1.0, b = 1.0;
  for (int32_t k = 1; k < n; ++k) {
    a = a * g;
    b = b * (1 - g);
    // Neither grows again: give up at once rather than multiply on in slow subnormals.
    if (!(a >= DBL_MIN && b >= DBL_MIN)) return false;
  }
  const double r = (1 - g) / g;
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k) {
    sum += c[n - 1 - k] * static_cast<long double>(a) + c[k] * static_cast<long double>(b);
    a = (n - 1 - k) * static_cast<long double>(r) / (k + 1) * a;
    b = (n - 1 - k) / static_cast<long double>(r) / (k + 1) * b;
  }
  value = sum / 2.0L;
  return true;
}

// A long double with a separate binary exponent: value = mantissa 2^exponent. Keeps terms like
// (1 - g)^(N-1) for N in the hundreds of thousands, far below even long double's range.
struct ScaledTerm {
  long double mantissa = 1.0L;
  int64_t exponent = 0;
  void normalise() {
    const long double size = std::fabs(mantissa);
    if (size > 0x1p8000L) {
      mantissa *= 0x1p-8000L;
      exponent += 8000;
    } else if (size < 0x1p-8000L && size != 0) {
      mantissa *= 0x1p8000L;
      exponent -= 8000;
    }
  }
  // One step of 8000 either way is an exact product. Two or more down the value is below
  // 2^-8000, which no sum of such terms times double coefficients lifts into the range of
  // doubles: it counts as 0 (the walk's decaying tail lands there, and ldexp on every term of
  // it took a third of the time).
  long double value() const {
    if (exponent == 0) return mantissa;
    if (exponent == -8000) return mantissa * 0x1p-8000L;
    if (exponent < -8000) return 0.0L;
    return std::ldexp(mantissa, static_cast<int>(exponent));
  }
};

// The sum walked from one end, starting at the end term whose base is 1 - g (g <= 1/2) or g
// (g > 1/2), so that the ratio between neighbouring terms stays within [-1, 1] times the
// binomial factor. Each term carries its own exponent, so none is lost to underflow.
long double scaledSum(const double* c, int32_t n, double g) {
  const bool fromRight = g > 0.5;
  const long double base = fromRight ? static_cast<long double>(g) : 1.0L - g;
  const long double ratio = fromRight ? (1.0L - g) / g : g / (1.0L - g);
  ScaledTerm term;
  for (int32_t k = 1; k < n; ++k) {
    term.mantissa *= base;
    term.normalise();
  }
  long double sum = 0.0L;
  for (int32_t j = 0; j < n; ++j) {
    sum += c[fromRight ? n - 1 - j : j] * term.value();
    term.mantissa *= static_cast<long double>(n - 1 - j) / (j + 1) * ratio;
    term.normalise();
  }
  return sum;
}

// The walk's tables for c[0..N-1] in both of its orders: forward for abscissae with g <= 1/2
// (the walk meets c[k] at step k), reversed for g > 1/2 (it meets c[N-1-k]). Not usable when
// the walk cannot take the series: too many terms or a coefficient that is not finite.
struct WalkTables {
  WalkTables() = default;
  WalkTables(WalkTables&&) = default;  // keeps the store's buffer, so the walks stay valid
  WalkTables(const WalkTables&) = delete;
  std::vector<double> store;
  BernsteinWalk forward{}, reversed{};
  bool usable = false;
};

WalkTables walkTables(const double* c, int32_t n) {
  WalkTables t;
  if (n < 1 || n > bernsteinWalkMaxTerms) return t;
  double size = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (!std::isfinite(c[k])) return t;
    size = std::max(size, std::fabs(c[k]));
  }
  const int32_t exponent = size > 0 ? std::ilogb(size) : 0;  // |c_k| 2^-E < 2
  const int32_t half = n / 2;
  const int32_t padded = (n + bernsteinWalkStride - 1) / bernsteinWalkStride * bernsteinWalkStride;
  t.store.assign(2 * static_cast<size_t>(padded) + 2 * static_cast<size_t>(n), 0.0);
  double* forward = t.store.data();
  double* reversed = forward + padded;
  double* binomials = reversed + padded;
  double* steps = binomials + n;
  const long double termScale = std::ldexp(1.0L, -(exponent + half));
  const long double binomialScale = std::ldexp(1.0L, -half);
  long double binomial = 1.0L;  // C(N-1, k), to a few units of long double
  for (int32_t k = 0; k < n; ++k) {
    const long double scaled = binomial * termScale;
    forward[k] = static_cast<double>(c[k] * scaled);
    reversed[k] = static_cast<double>(c[n - 1 - k] * scaled);
    binomials[k] = static_cast<double>(binomial * binomialScale);
    const long double step = static_cast<long double>(n - 1 - k) / (k + 1);
    steps[k] = static_cast<double>(step);
    binomial *= step;
  }
  const double scale = std::ldexp(1.0, exponent);
  t.forward = {forward, binomials, steps, n, scale};
  t.reversed = {reversed, binomials, steps, n, scale};
  t.usable = true;
  return t;
}

// The walk over values[0..count-1] in pieces, with a progress report before each; `done` is
// the progress step of values[0].
void walkInChunks(const BernsteinWalk& walk, double* values, int32_t count, BlockProgress& progress,
                  int32_t done) {
  constexpr int32_t chunk = 4096;
  for (int32_t first = 0; first < count; first += chunk) {
    progress.at(done + first);
    bernsteinWalkLanes(walk, values + first, std::min(chunk, count - first));
  }
}

// The coefficients are the source at N equally spaced abscissae, and the mesh M more; no cache.
struct BernsteinSteps {
  static constexpr FitRules rules = FitRules::sampledCoefficients;
  double left = 0, right = 0;
  int32_t m = 0, n = 0;

  FitSettings settle(double from, double to, double alpha, double beta, int32_t terms,
                     int32_t count) {
    left = from, right = to, m = count, n = terms;
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const {
    for (int32_t i = 0; i < m; ++i)
      meshX[i] = uniformAbscissa(left, right, i, m);
  }
  // A single coefficient is the degree-0 approximation, the source at left.
  void sample(const SourceFn& source, const double* meshX, double* sourceValues, double* c) const {
    BlockProgress sampling(int64_t{m} + n, 64);
    for (int32_t i = 0; i < m; ++i) {
      sampling.at(i);
      sourceValues[i] = static_cast<double>(source(meshX[i]));
    }
    for (int32_t k = 0; k < n; ++k) {
      sampling.at(int64_t{m} + k);
      c[k] = static_cast<double>(source(uniformAbscissa(left, right, k, n)));
    }
  }
  void sum(const double* c, double* seriesValues) const {
    BlockProgress progress(m, n);
    const WalkTables tables = m > 2 ? walkTables(c, n) : WalkTables{};
    if (tables.usable) {
      // g <= 1/2 on the left of the mesh, walked from c[0]; the rest (where 1 - g is exact)
      // from c[N-1].
      const int32_t split = (m - 1) / 2 + 1;  // the first i with 2i > M - 1
      for (int32_t i = 1; i < split; ++i)
        seriesValues[i] = static_cast<double>(i) / (m - 1);
      for (int32_t i = split; i < m - 1; ++i)
        seriesValues[i] = 1 - static_cast<double>(i) / (m - 1);
      walkInChunks(tables.forward, seriesValues + 1, split - 1, progress, 1);
      walkInChunks(tables.reversed, seriesValues + split, m - 1 - split, progress, split);
    } else {
      for (int32_t i = 1; i < m - 1; ++i) {
        progress.at(i);
        seriesValues[i] = static_cast<double>(bernsteinSum(c, n, static_cast<double>(i) / (m - 1)));
      }
    }
    if (m >= 1 && n >= 1) {
      seriesValues[0] = c[0];
      seriesValues[m - 1] = c[n - 1];
    }
  }
};

long double evaluateBernstein(double left, double right, double, double, const double* c, int32_t n,
                              double x) {
  if (n <= 0) return 0.0L;
  const double g = (static_cast<long double>(x) - left) / (static_cast<long double>(right) - left);
  return bernsteinSum(c, n, g);
}

// The abscissae with g in [0, 1] go to the walk, each side with its own order of the
// coefficients; the others (the extrapolation, a not-a-number) term by term.
void evaluateManyBernstein(double left, double right, double, double, const double* c, int32_t n,
                           const double* x, double* values, int32_t count) {
  if (n <= 0) {
    std::fill(values, values + std::max(count, 0), 0.0);
    return;
  }
  const WalkTables tables = walkTables(c, n);
  std::vector<int32_t> index[2];
  std::vector<double> walked[2];
  for (int32_t i = 0; i < count; ++i) {
    const double g =
        (static_cast<long double>(x[i]) - left) / (static_cast<long double>(right) - left);
    if (tables.usable && g >= 0 && g <= 1) {
      const bool fromRight = g > 0.5;
      index[fromRight].push_back(i);
      walked[fromRight].push_back(fromRight ? 1 - g : g);
    } else {
      values[i] = static_cast<double>(bernsteinSum(c, n, g));
    }
  }
  for (int32_t side = 0; side < 2 && tables.usable; ++side) {
    bernsteinWalkLanes(side ? tables.reversed : tables.forward, walked[side].data(),
                       static_cast<int32_t>(walked[side].size()));
    for (size_t j = 0; j < index[side].size(); ++j)
      values[index[side][j]] = walked[side][j];
  }
}

// The M mesh points on [0, 1] and the integrals of the M basis polynomials of degree M - 1,
// each exactly 1/M: the weights integrate any series of M terms from its coefficients.
void quadratureBernstein(double* nodes, double* weights, int32_t m, double, double) {
  for (int32_t i = 0; i < m; ++i) {
    nodes[i] = m > 1 ? static_cast<double>(i) / (m - 1) : 0.0;
    weights[i] = 1.0 / m;
  }
}

// d/dg of the degree N-1 series is (N-1) sum (c[k+1] - c[k]) b_k of degree N-2. The caller
// takes N + 1 coefficients, a series of degree N, so the derivative is raised by two degrees:
// raising degree p to p + 1 maps e to f_k = (k e_{k-1} + (p + 1 - k) e_k) / (p + 1).
void differentiateBernstein(double left, double right, double, double, const double* c, double* d,
                            int32_t n) {
  if (n <= 0) return;
  const long double scale = (n - 1) / (static_cast<long double>(right) - left);
  std::vector<long double> e(n + 1, 0.0L);
  for (int32_t k = 0; k + 1 < n; ++k)
    e[k] = scale * (static_cast<long double>(c[k + 1]) - c[k]);
  int32_t degree = n - 2;
  if (n == 1) {
    e[0] = 0.0L;
    degree = 0;
  }
  while (degree < n) {
    for (int32_t k = degree + 1; k >= 0; --k) {
      const long double lower = k > 0 ? e[k - 1] : 0.0L;
      const long double upper = k <= degree ? e[k] : 0.0L;
      e[k] = (k * lower + (degree + 1 - k) * upper) / (degree + 1);
    }
    ++degree;
  }
  for (int32_t k = 0; k <= n; ++k)
    d[k] = static_cast<double>(e[k]);
}

// Every basis polynomial of degree N - 1 integrates to 1/N over [0, 1].
long double integrateBernstein(double left, double right, double, double, const double* c,
                               int32_t n) {
  if (n <= 0) return 0.0L;
  long double sum = 0.0L;
  for (int32_t k = 0; k < n; ++k)
    sum += c[k];
  return (static_cast<long double>(right) - left) * sum / n;
}

}  // namespace

long double bernsteinSum(const double* c, int32_t n, double g) {
  if (n <= 0) return 0.0L;
  long double value = 0.0L;
  if (g > 0 && g < 1 && twoEndedSum(c, n, g, value)) return value;
  return scaledSum(c, n, g);
}

constinit const BasisOps bernsteinBasis =
    basisWithSteps<BernsteinSteps>(evaluateBernstein, quadratureBernstein, differentiateBernstein,
                                   integrateBernstein, evaluateManyBernstein);
