#include "bases/discrete_chebyshev.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "bases/progress_blocks.h"

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

// The table reports, and a cancel or a failed allocation may stop it: the old one goes first
// and the new one is built aside and published whole, so no stale key is left.
void rebuildTable(int32_t m, int32_t n) {
  cache.tableM = cache.termCount = 0;
  std::vector<double>().swap(cache.table);
  const int32_t half = (m + 1) / 2;
  std::vector<double> table(static_cast<size_t>(half) * n, 0.0);
  RowMaker rows(m, n);
  BlockProgress progress(half, n);
  for (int32_t s = 0; s < half; ++s) {
    progress.at(s);
    rows.next(&table[static_cast<size_t>(s) * n]);
  }
  cache.table = std::move(table);
  cache.tableM = m;
  cache.termCount = n;
}

// Visits the rows of the lower half in order, from the table when it is cached, otherwise
// made afresh (counts too large to keep).
template <typename Visit>
void forEachRow(int32_t m, int32_t n, Visit visit) {
  const int32_t half = (m + 1) / 2;
  BlockProgress progress(half, n);
  if (cache.tableM == m && cache.termCount >= n) {
    for (int32_t s = 0; s < half; ++s) {
      progress.at(s);
      visit(s, &cache.table[static_cast<size_t>(s) * cache.termCount]);
    }
    return;
  }
  RowMaker rows(m, n);
  std::vector<double> row(n);
  for (int32_t s = 0; s < half; ++s) {
    progress.at(s);
    rows.next(row.data());
    visit(s, row.data());
  }
}

// c[k] = sum over the positions of v(s) phi_k(s), for k < n.
void projectOnto(int32_t m, int32_t n, const double* values, double* c) {
  std::vector<long double> sums(n, 0.0L);
  forEachRow(m, n, [&](int32_t s, const double* phi) {
    const int32_t mirror = m - 1 - s;
    if (mirror == s) {
      for (int32_t k = 0; k < n; ++k)
        sums[k] += static_cast<long double>(phi[k]) * values[s];
      return;
    }
    // phi_k at the mirrored position carries the sign (-1)^k.
    const long double even = static_cast<long double>(values[s]) + values[mirror];
    const long double odd = static_cast<long double>(values[s]) - values[mirror];
    for (int32_t k = 0; k < n; k += 2)
      sums[k] += phi[k] * even;
    for (int32_t k = 1; k < n; k += 2)
      sums[k] += phi[k] * odd;
  });
  for (int32_t k = 0; k < n; ++k)
    c[k] = static_cast<double>(sums[k]);
}

// The series c[0..n-1] at every position.
void seriesOnMesh(int32_t m, int32_t n, const double* c, double* values) {
  forEachRow(m, n, [&](int32_t s, const double* phi) {
    long double here = 0.0L, mirrored = 0.0L;
    for (int32_t k = 0; k < n; ++k) {
      const long double term = c[k] * static_cast<long double>(phi[k]);
      here += term;
      mirrored += k % 2 ? -term : term;
    }
    values[s] = static_cast<double>(here);
    values[m - 1 - s] = static_cast<double>(s == m - 1 - s ? here : mirrored);
  });
}

// Terms from degree M on vanish on the M points; they are formed as 0.
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
  const int32_t terms = std::min(n, m);
  if ((mode & (fitCoefficients | evaluateOnMesh)) && tableFits(m, terms) &&
      !(cache.tableM == m && cache.termCount >= terms))
    rebuildTable(m, terms);

  if (mode & fitCoefficients) {
    if (source) {
      BlockProgress sampling(m, 64);
      for (int32_t s = 0; s < m; ++s) {
        sampling.at(s);
        sourceValues[s] = static_cast<double>(source(meshX[s]));
      }
    }
    projectOnto(m, terms, sourceValues, c);
    for (int32_t k = terms; k < n; ++k)
      c[k] = 0.0;
  }
  if (mode & evaluateOnMesh) seriesOnMesh(m, terms, c, seriesValues);
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
  n = std::min(n, m);
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

// The series lives on its M points, and so do its derivative and integral. Past a few sqrt(M)
// terms the polynomials swing between the points far beyond their values at the points, so
// the continuous polynomial's exact derivative and integral grow without bound (1e16 and more)
// while every mesh value stays modest. Both operations therefore work on the mesh values:
// - differentiate: the differences of the series on its mesh, central inside and the
//   one-sided (-3 v_0 + 4 v_1 - v_2) / 2h and its mirror at the ends (all exact for a
//   quadratic), projected onto phi_0 .. phi_{N-1}. With N = M the derivative series takes
//   exactly those differences at the mesh points; with fewer terms it is their least-squares
//   fit, never larger than they are on the mesh.
// - integrate: the trapezoid rule on the M points.
void differentiateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                    double* d, int32_t n) {
  const int32_t m = cache.m;
  if (n <= 0 || m < 2) return;
  const int32_t terms = std::min(n, m);
  std::vector<double> v(m), slope(m);
  seriesOnMesh(m, terms, c, v.data());
  const long double h = (static_cast<long double>(right) - left) / (m - 1);
  if (m == 2) {
    slope[0] = slope[1] = static_cast<double>((static_cast<long double>(v[1]) - v[0]) / h);
  } else {
    slope[0] = static_cast<double>((-3.0L * v[0] + 4.0L * v[1] - v[2]) / (2 * h));
    slope[m - 1] = static_cast<double>((3.0L * v[m - 1] - 4.0L * v[m - 2] + v[m - 3]) / (2 * h));
    for (int32_t s = 1; s + 1 < m; ++s)
      slope[s] = static_cast<double>((static_cast<long double>(v[s + 1]) - v[s - 1]) / (2 * h));
  }
  projectOnto(m, terms, slope.data(), d);
}

// h (v_0 / 2 + v_1 + ... + v_{M-2} + v_{M-1} / 2) with h = (right - left) / (M - 1), without
// a pass over the mesh: the mesh values sum to sqrt(M) c[0] (every phi_k with k > 0 is
// orthogonal to phi_0 = 1 / sqrt(M)), and v_0 + v_{M-1} is twice the sum of c[k] phi_k(0)
// over even k, with phi_k(0) = (-1)^k sqrt((2k + 1) / M) prod_{j<=k} sqrt((M - j) / (M + j)).
long double integrateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                       int32_t n) {
  const int32_t m = cache.m;
  if (n <= 0 || m < 2) return 0.0L;
  const long double points = m;
  long double atStart = 1 / std::sqrt(points);  // phi_k(0)
  long double ends = 0.0L;
  for (int32_t k = 0; k < std::min(n, m) && atStart != 0; ++k) {
    if (k > 0) atStart *= -std::sqrt((points - k) / (points + k) * (2.0L * k + 1) / (2.0L * k - 1));
    if (k % 2 == 0) ends += c[k] * atStart;
  }
  const long double h = (static_cast<long double>(right) - left) / (m - 1);
  return h * (std::sqrt(points) * c[0] - ends);
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
    fitDiscreteChebyshev,        evaluateDiscreteChebyshev,
    quadratureDiscreteChebyshev, differentiateDiscreteChebyshev,
    integrateDiscreteChebyshev,  evaluateEach<evaluateDiscreteChebyshev>};
