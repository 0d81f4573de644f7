#include "bases/discrete_chebyshev.h"

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

constexpr double eps = DBL_EPSILON;
// Relative gap, against the scale sqrt((2k + 1) / M) of phi_k, below which the recurrence in k
// counts as agreeing with the stable values. The recurrence in the position gathers a few
// hundred rounding errors over 10^5 steps, so a tighter gap would reject good values.
constexpr double agreement = 512 * eps;
// Largest table of values kept between calls (512 MiB); beyond it fit makes the rows afresh.
constexpr int64_t tableLimit = int64_t{1} << 26;

// Coefficients of the three-term recurrence in the degree k:
// phi_k(s) = (A_k phi_{k-1}(s) - B_k phi_{k-2}(s)) / k, A_k = slope[k] (2s - M + 1).
struct DegreeRecurrence {
  int32_t m = 0;
  double s0 = 0, s1 = 0;  // sqrt(M) and sqrt((M^3 - M) / 3)
  std::vector<long double> slope;
  std::vector<double> fall;  // B_k
  DegreeRecurrence(int32_t points, int32_t n)
      : m(points), slope(n > 2 ? n : 2), fall(n > 2 ? n : 2) {
    const long double mm = static_cast<long double>(m) * m;
    s0 = std::sqrt(static_cast<long double>(m));
    s1 = std::sqrt((mm * m - m) / 3);
    for (int32_t k = 2; k < n; ++k) {
      const long double kk = static_cast<long double>(k) * k;
      slope[k] = std::sqrt((4 * kk - 1) / (mm - kk));
      fall[k] = (k - 1) * std::sqrt((mm - static_cast<long double>(k - 1) * (k - 1)) * (2 * k + 1) /
                                    ((2.0L * k - 3) * (mm - kk)));
    }
  }
  // The series at any real position s, by the recurrence.
  long double series(const double* c, int32_t n, double s) const {
    const double u = 2 * static_cast<long double>(s) - m + 1;
    double previous = 1 / static_cast<long double>(s0);
    long double sum = c[0] * static_cast<long double>(previous);
    if (n < 2) return sum;
    double current = u / static_cast<long double>(s1);
    sum += c[1] * static_cast<long double>(current);
    for (int32_t k = 2; k < n; ++k) {
      const double a = slope[k] * u;
      const double next =
          (static_cast<long double>(a) * current - static_cast<long double>(fall[k]) * previous) /
          k;
      previous = current;
      current = next;
      sum += c[k] * static_cast<long double>(current);
    }
    return sum;
  }
};

// The recurrence in k loses the values at positions near the ends once k passes a few
// sqrt(M): there phi_k(s) decays with k and the growing second solution takes over. The
// polynomials also satisfy a three-term recurrence in the position (the difference equation
// of the Hahn polynomials), B(s) y(s+1) = (B(s) + D(s) + k(k+1)) y(s) - D(s) y(s-1) with
// B(s) = (s+1)(s-M+1) and D(s) = s(s-M), whose solution grows from the ends towards the middle
// and so is stable when run inwards. It starts from the closed form
// phi_k(0) = (-1)^k sqrt((2k+1)/M) prod_{j<=k} sqrt((M-j)/(M+j)), which falls below the range
// of doubles for large k, so each column carries its own binary exponent.
// Each row takes the recurrence in k for as long as it agrees with the stable values, and the
// stable values from the first degree where it does not.
struct RowMaker {
  int32_t m, n;
  DegreeRecurrence degree;
  std::vector<long double> current, previous;
  std::vector<int64_t> exponent;
  std::vector<long double> tolerance;  // largest gap that counts as agreement, per degree
  int32_t position = 0;
  // Values below 2^farBelow keep a separate exponent; they round to 0 as doubles.
  static constexpr int farBelow = -16000;

  RowMaker(int32_t points, int32_t terms)
      : m(points),
        n(terms),
        degree(points, terms),
        current(terms),
        previous(terms, 0.0L),
        exponent(terms, 0),
        tolerance(terms) {
    for (int32_t k = 0; k < n; ++k)
      tolerance[k] = agreement * std::sqrt((2.0L * k + 1) / m);
    long double start = 1 / std::sqrt(static_cast<long double>(m));
    int64_t scale = 0;
    for (int32_t k = 0; k < n; ++k) {
      if (k > 0)
        start *= -std::sqrt((static_cast<long double>(m) - k) / (static_cast<long double>(m) + k) *
                            (2.0L * k + 1) / (2.0L * k - 1));
      int e = 0;
      start = std::frexp(start, &e);
      scale += e;
      current[k] = start;
      exponent[k] = scale;
      fold(k);
    }
  }

  // Columns whose values long double can hold carry no separate exponent.
  void fold(int32_t k) {
    if (exponent[k] != 0 && exponent[k] + std::ilogb(current[k]) > farBelow) {
      current[k] = std::ldexp(current[k], static_cast<int>(exponent[k]));
      previous[k] = std::ldexp(previous[k], static_cast<int>(exponent[k]));
      exponent[k] = 0;
    }
  }

  // Writes the next row, positions 0, 1, ..., half - 1 in turn.
  void next(double* row) {
    if (position > 0) {
      const long double x = position - 1;
      const long double b = (x + 1) * (x - m + 1), d = x * (x - m);
      for (int32_t k = 0; k < n; ++k) {
        const long double y =
            ((b + d + static_cast<long double>(k) * (k + 1)) * current[k] - d * previous[k]) / b;
        previous[k] = current[k];
        current[k] = y;
        if (exponent[k] != 0) {
          int e = 0;
          current[k] = std::frexp(y, &e);
          previous[k] = std::ldexp(previous[k], -e);
          exponent[k] += e;
          fold(k);
        }
      }
    }
    const double u = 2.0 * position - m + 1;
    bool agreeing = true;
    double older = 0, old = 0;
    for (int32_t k = 0; k < n; ++k) {
      const double stable = exponent[k] == 0 ? static_cast<double>(current[k]) : 0.0;
      double recurred = 0;
      if (agreeing) {
        if (k == 0)
          recurred = 1 / static_cast<long double>(degree.s0);
        else if (k == 1)
          recurred = u / static_cast<long double>(degree.s1);
        else
          recurred = (static_cast<long double>(static_cast<double>(degree.slope[k] * u)) * old -
                      static_cast<long double>(degree.fall[k]) * older) /
                     k;
        agreeing = std::fabs(static_cast<long double>(recurred) - stable) <= tolerance[k];
        older = old;
        old = recurred;
      }
      row[k] = agreeing ? recurred : stable;
      // At the middle of an odd count the odd polynomials vanish.
      if (2 * position == m - 1 && k % 2) row[k] = 0.0;
    }
    ++position;
  }
};

// Caches: the positions 0 .. M - 1 for the count of the last fit, and the table of
// phi_k(s) for the positions of the lower half (the upper half mirrors it,
// phi_k(M - 1 - s) = (-1)^k phi_k(s)), row by row with stride termCount.
struct Cache {
  int32_t m = 0;
  std::vector<double> positions;
  int32_t tableM = 0, termCount = 0;
  std::vector<double> table;
};
Cache cache;

bool tableFits(int32_t m, int32_t n) {
  return static_cast<int64_t>((m + 1) / 2) * n <= tableLimit;
}

// The keys are set only once the table is had, so a failed allocation leaves no stale key.
void rebuildTable(int32_t m, int32_t n) {
  cache.tableM = 0;
  const int32_t half = (m + 1) / 2;
  cache.table.assign(static_cast<size_t>(half) * n, 0.0);
  RowMaker rows(m, n);
  for (int32_t s = 0; s < half; ++s)
    rows.next(&cache.table[static_cast<size_t>(s) * n]);
  cache.tableM = m;
  cache.termCount = n;
}

// Visits the rows of the lower half in order, from the table when it is cached, otherwise
// made afresh (counts too large to keep).
template <typename Visit>
void forEachRow(int32_t m, int32_t n, Visit visit) {
  const int32_t half = (m + 1) / 2;
  if (cache.tableM == m && cache.termCount >= n) {
    for (int32_t s = 0; s < half; ++s)
      visit(s, &cache.table[static_cast<size_t>(s) * cache.termCount]);
    return;
  }
  RowMaker rows(m, n);
  std::vector<double> row(n);
  for (int32_t s = 0; s < half; ++s) {
    rows.next(row.data());
    visit(s, row.data());
  }
}

long double fitDiscreteChebyshev(double left, double right, double&, double&, double* c, int32_t n,
                                 double* meshX, double* sourceValues, double* seriesValues,
                                 int32_t m, const SourceFn& source, int32_t mode) {
  if (m <= 0) return 0.0L;  // no mesh to lay
  if (m != cache.m) {
    cache.m = 0;
    cache.positions.resize(m);
    for (int32_t s = 0; s < m; ++s)
      cache.positions[s] = s;
    cache.m = m;
  }
  const long double width = static_cast<long double>(right) - left;
  for (int32_t s = 0; s < m; ++s)
    meshX[s] = m > 1 ? width * s / (m - 1) + left : left;
  if ((mode & (fitCoefficients | evaluateOnMesh)) && tableFits(m, n) &&
      !(cache.tableM == m && cache.termCount >= n))
    rebuildTable(m, n);

  if (mode & fitCoefficients) {
    if (source)
      for (int32_t s = 0; s < m; ++s)
        sourceValues[s] = static_cast<double>(source(meshX[s]));
    std::vector<long double> sums(n, 0.0L);
    forEachRow(m, n, [&](int32_t s, const double* phi) {
      const int32_t mirror = m - 1 - s;
      if (mirror == s) {
        for (int32_t k = 0; k < n; ++k)
          sums[k] += static_cast<long double>(phi[k]) * sourceValues[s];
        return;
      }
      // phi_k at the mirrored position carries the sign (-1)^k.
      const long double even = static_cast<long double>(sourceValues[s]) + sourceValues[mirror];
      const long double odd = static_cast<long double>(sourceValues[s]) - sourceValues[mirror];
      for (int32_t k = 0; k < n; k += 2)
        sums[k] += phi[k] * even;
      for (int32_t k = 1; k < n; k += 2)
        sums[k] += phi[k] * odd;
    });
    for (int32_t k = 0; k < n; ++k)
      c[k] = static_cast<double>(sums[k]);
  }

  if (mode & evaluateOnMesh) {
    forEachRow(m, n, [&](int32_t s, const double* phi) {
      long double here = 0.0L, mirrored = 0.0L;
      for (int32_t k = 0; k < n; ++k) {
        const long double term = c[k] * static_cast<long double>(phi[k]);
        here += term;
        mirrored += k % 2 ? -term : term;
      }
      seriesValues[s] = static_cast<double>(here);
      seriesValues[m - 1 - s] = static_cast<double>(s == m - 1 - s ? here : mirrored);
    });
  }
  return 0.0L;
}

// The series at the position of x for the point count of the last fit. At a mesh position
// whose row is cached the row is used, so the mesh values of the fit are reproduced; between
// positions the recurrence in k is summed. Before any fit there is no point count and the
// value is 0, as for a series that has not been formed.
long double evaluateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                      int32_t n, double x) {
  const int32_t m = cache.m;
  if (n <= 0 || m == 0) return 0.0L;
  const double s =
      (static_cast<long double>(x) - left) * (m - 1) / (static_cast<long double>(right) - left);
  const double nearest = std::nearbyint(s);
  if (std::fabs(s - nearest) <= 64 * eps * std::fmax(1.0, nearest) && nearest >= 0 &&
      nearest <= m - 1 && cache.tableM == m && cache.termCount >= n) {
    const int32_t position = static_cast<int32_t>(nearest);
    const bool upper = position >= (m + 1) / 2;
    const double* phi =
        &cache.table[static_cast<size_t>(upper ? m - 1 - position : position) * cache.termCount];
    long double sum = 0.0L;
    for (int32_t k = 0; k < n; ++k) {
      const long double term = c[k] * static_cast<long double>(phi[k]);
      sum += upper && k % 2 ? -term : term;
    }
    return sum;
  }
  return DegreeRecurrence(m, n).series(c, n, s);
}

void quadratureDiscreteChebyshev(double* nodes, double* weights, int32_t m, double, double) {
  for (int32_t i = 0; i < m; ++i) {
    nodes[i] = i;
    weights[i] = 1.0;
  }
}

// In u = 2s - M + 1 the recurrence reads phi_k = (a_k u phi_{k-1} - B_k phi_{k-2}) / k, and
// multiplication by u acts on coefficients through u phi_j = ((j+1) phi_{j+1} + B_{j+1}
// phi_{j-1}) / a_{j+1}. Differentiating the recurrence gives the coefficients of each phi_k'
// from those of phi_{k-1}' and phi_{k-2}'; the series' derivative is their sum weighted by c.
void differentiateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                    double* d, int32_t n) {
  const int32_t m = cache.m;
  if (n <= 1 || m < 2) {
    if (n >= 1 && m >= 2) d[0] = 0.0;
    return;
  }
  const DegreeRecurrence r(m, n + 1);
  // a_k for k = 1 is sqrt(3 / (M^2 - 1)) = S0 / S1; B_1 = 0.
  auto a = [&](int32_t k) { return k == 1 ? static_cast<long double>(r.s0) / r.s1 : r.slope[k]; };
  auto b = [&](int32_t k) { return k == 1 ? 0.0L : static_cast<long double>(r.fall[k]); };
  std::vector<long double> older(n, 0.0L), old(n, 0.0L), next(n, 0.0L), sum(n, 0.0L);
  old[0] = static_cast<long double>(r.s0) / r.s1;  // phi_1' = (S0 / S1) phi_0
  for (int32_t j = 0; j < n; ++j)
    sum[j] = 0.0L;
  sum[0] += c[1] * old[0];
  for (int32_t k = 2; k < n; ++k) {
    // next = (a_k (phi_{k-1} + u phi_{k-1}') - B_k phi_{k-2}') / k, phi_{k-1}' of degree k-2.
    for (int32_t j = 0; j < k; ++j)
      next[j] = 0.0L;
    next[k - 1] = a(k);
    for (int32_t j = 0; j <= k - 2; ++j) {
      const long double v = a(k) * old[j];
      next[j + 1] += v * (j + 1) / a(j + 1);
      if (j >= 1) next[j - 1] += v * b(j + 1) / a(j + 1);
    }
    for (int32_t j = 0; j <= k - 3; ++j)
      next[j] -= b(k) * older[j];
    for (int32_t j = 0; j < k; ++j) {
      next[j] /= k;
      sum[j] += c[k] * next[j];
    }
    older.swap(old);
    old.swap(next);
  }
  const long double chain = 2.0L * (m - 1) / (static_cast<long double>(right) - left);
  for (int32_t j = 0; j < n; ++j)
    d[j] = static_cast<double>(sum[j] * chain);
}

// Clenshaw-Curtis quadrature in u on [-(M-1), M-1] with N points, exact for the series'
// degree N - 1; the series at the points by the recurrence in k.
long double integrateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                       int32_t n) {
  const int32_t m = cache.m;
  if (n <= 0 || m < 2) return 0.0L;
  const long double width = static_cast<long double>(right) - left;
  const DegreeRecurrence r(m, n);
  const double middle = (m - 1) * 0.5;
  if (n == 1) return width * c[0] / static_cast<long double>(r.s0);
  const int32_t intervals = n - 1;
  constexpr long double piL = 3.14159265358979323846264338327950288L;
  // cosines[i] = cos(i pi / intervals); every angle of the rule is one of them.
  std::vector<long double> cosines(2 * intervals);
  for (int32_t i = 0; i < 2 * intervals; ++i)
    cosines[i] = std::cos(i * piL / intervals);
  long double total = 0.0L;
  for (int32_t j = 0; j <= intervals; ++j) {
    long double weight = 1.0L;
    for (int32_t k = 1; 2 * k <= intervals; ++k) {
      const long double factor = 2 * k == intervals ? 1.0L : 2.0L;
      const int64_t angle = (2 * static_cast<int64_t>(k) * j) % (2 * intervals);
      weight -= factor / (4.0L * k * k - 1) * cosines[angle];
    }
    weight *= (j == 0 || j == intervals ? 1.0L : 2.0L) / intervals;
    const double s = middle + middle * cosines[j];
    total += weight * r.series(c, n, s);
  }
  // The weights integrate over [-1, 1]; x spans (right - left) over that range.
  return total * width / 2;
}

}  // namespace

void discreteChebyshevValues(int32_t m, int32_t n, double* values) {
  RowMaker rows(m, n);
  const int32_t half = (m + 1) / 2;
  for (int32_t s = 0; s < half; ++s) {
    double* row = values + static_cast<size_t>(s) * n;
    rows.next(row);
    double* mirror = values + static_cast<size_t>(m - 1 - s) * n;
    for (int32_t k = 0; k < n; ++k)
      mirror[k] = k % 2 ? -row[k] : row[k];
  }
}

const BasisOps discreteChebyshevBasis = {
    fitDiscreteChebyshev, evaluateDiscreteChebyshev, quadratureDiscreteChebyshev,
    differentiateDiscreteChebyshev, integrateDiscreteChebyshev};
