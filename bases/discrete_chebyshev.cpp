#include "bases/discrete_chebyshev.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bases/discrete_chebyshev_lanes.h"
#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/progress_blocks.h"
#include "bases/table_product_lanes.h"

namespace {

constexpr double eps = DBL_EPSILON;
// Relative gap, against the scale sqrt((2k + 1) / M) of phi_k, below which the recurrence in k
// counts as agreeing with the stable values. The recurrence in the position gathers a few
// hundred rounding errors over 10^5 steps, so a tighter gap would reject good values.
constexpr double agreement = 512 * eps;
// Largest table of edge rows kept between calls (512 MiB); beyond it they are made afresh
// whenever they are needed.
constexpr int64_t tableLimit = int64_t{1} << 26;

// The recurrence in the degree k, phi_k(s) = a_k u phi_{k-1}(s) - b_k phi_{k-2}(s) with the
// centred position u = 2s - M + 1, a_1 = sqrt(3 / (M^2 - 1)), b_1 = 0 and for k >= 2
// a_k = sqrt((4k^2 - 1) / (M^2 - k^2)) / k, b_k = (k - 1) / k sqrt((M^2 - (k-1)^2) (2k + 1) /
// ((2k - 3)(M^2 - k^2))). The kernels run it scaled, phi_k = scale[k] q_k with scale[k] =
// b_k scale[k-2], which leaves q_k = rise[k] u q_{k-1} - q_{k-2}: one multiply and one fused
// multiply-add per degree. The scales lie between 1 and about M^(1/4) for every k < M.
// The frozen recurrence oscillates in k while (a_k u)^2 < 4 b_k, and there it is stable;
// |u| shrinks towards the middle, so the rows inside `turning` for every degree form one run.
struct DegreeRecurrence {
  int32_t m = 0, terms = 0;
  double q0 = 0;  // phi_0 = 1 / sqrt(M)
  std::vector<double> rise, scale;
  long double turning = 0;  // least 2 sqrt(b_k) / a_k over the degrees
  DegreeRecurrence() = default;
  DegreeRecurrence(int32_t points, int32_t n)
      : m(points), terms(n), rise(std::max(n, 2), 0.0), scale(std::max(n, 2), 1.0) {
    const long double mm = static_cast<long double>(m) * m;
    q0 = 1 / std::sqrt(static_cast<long double>(m));
    turning = HUGE_VALL;
    std::vector<long double> scales(std::max(n, 2), 1.0L);
    if (n > 1) rise[1] = std::sqrt(3 / (mm - 1));
    for (int32_t k = 2; k < n; ++k) {
      const long double kk = static_cast<long double>(k) * k;
      const long double a = std::sqrt((4 * kk - 1) / (mm - kk)) / k;
      const long double b = (k - 1.0L) / k *
                            std::sqrt((mm - static_cast<long double>(k - 1) * (k - 1)) *
                                      (2 * k + 1) / ((2.0L * k - 3) * (mm - kk)));
      scales[k] = b * scales[k - 2];
      rise[k] = static_cast<double>(a * scales[k - 1] / scales[k]);
      scale[k] = static_cast<double>(scales[k]);
      turning = std::min(turning, 2 * std::sqrt(b) / a);
    }
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
// Each row holds the stable values and, beside them, the recurrence in k in the scaled form of
// the kernels. The first row where the two agree at every degree and that lies inside the
// turning limit of every degree ends the edge rows: every row nearer the middle lies further
// inside, where the recurrence in k is stable, and takes it.
struct RowMaker {
  int32_t m, n;
  const DegreeRecurrence& degree;
  std::vector<long double> current, previous;
  std::vector<int64_t> exponent;
  std::vector<long double> tolerance;  // largest gap that counts as agreement, per degree
  std::vector<double> recurred;        // the recurrence in k at the last row
  int32_t position = 0;
  // Values below 2^farBelow keep a separate exponent; they round to 0 as doubles.
  static constexpr int farBelow = -16000;

  RowMaker(const DegreeRecurrence& recurrence, int32_t terms)
      : m(recurrence.m),
        n(terms),
        degree(recurrence),
        current(terms),
        previous(terms, 0.0L),
        exponent(terms, 0),
        tolerance(terms),
        recurred(terms, 0.0) {
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

  // Writes the next row of stable values, positions 0, 1, ..., half - 1 in turn; true when
  // this row ends the edge rows.
  bool next(double* row) {
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
    double older = 0, old = 0;  // q_{k-2}, q_{k-1}
    for (int32_t k = 0; k < n; ++k) {
      const double stable = exponent[k] == 0 ? static_cast<double>(current[k]) : 0.0;
      const double q = k == 0 ? degree.q0 : degree.rise[k] * u * old - older;
      recurred[k] = degree.scale[k] * q;
      agreeing =
          agreeing && std::fabs(static_cast<long double>(recurred[k]) - stable) <= tolerance[k];
      older = old;
      old = q;
      row[k] = stable;
      // At the middle of an odd count the odd polynomials vanish.
      if (2 * position == m - 1 && k % 2) row[k] = 0.0;
    }
    ++position;
    return agreeing && std::fabs(static_cast<long double>(u)) < degree.turning;
  }
};

// The positions 0 .. M - 1 for the count of the last fit, whose key is the point count that
// evaluate, differentiate and integrate use.
thread_local NodeCache<std::vector<double>> positionCache;  // keyed on M

// The point count of the last fit, 0 before any.
int32_t fittedCount() {
  return positionCache.held() ? positionCache.key().count : 0;
}

// For (M, termCount) the recurrence and the rows from each end that take the stable values
// (edgeRows of them, the table of phi_k(s) for the positions 0 .. edgeRows - 1 with stride
// termCount; the upper end mirrors them, phi_k(M - 1 - s) = (-1)^k phi_k(s)). Every other row
// is the recurrence in k, run by the kernels on the fly.
struct EdgeTable {
  DegreeRecurrence degree;  // its m and terms are the key of what follows
  int32_t edgeRows = 0;
  bool tableKept = false;  // false: the edge rows are made afresh when needed
  std::vector<double> table;
};
thread_local NodeCache<EdgeTable> tableCache;  // keyed on M, serving every term count up to its own

// The rows report, and a cancel or a failed allocation may stop them.
EdgeTable makeTable(int32_t m, int32_t n) {
  EdgeTable fresh;
  DegreeRecurrence degree(m, n);
  const int32_t half = (m + 1) / 2;
  std::vector<double> table, row(n);
  // At least the rows outside the turning limit are edge rows.
  const long double outside = (m - 1 - degree.turning) / 2;
  const int64_t expected =
      outside < 0 ? 0 : std::min<int64_t>(half, static_cast<int64_t>(outside) + 1);
  if (expected * n <= tableLimit) table.reserve(static_cast<size_t>(expected) * n);
  bool kept = true;
  RowMaker rows(degree, n);
  BlockProgress progress(half, n);
  int32_t s = 0;
  for (; s < half; ++s) {
    progress.at(s);
    if (rows.next(row.data())) break;
    kept = kept && static_cast<int64_t>(s + 1) * n <= tableLimit;
    if (kept)
      table.insert(table.end(), row.begin(), row.end());
    else
      std::vector<double>().swap(table);
  }
  fresh.table = std::move(table);
  fresh.tableKept = kept;
  fresh.edgeRows = s;
  fresh.degree = std::move(degree);
  return fresh;
}

// The table for M points and at least n terms.
const EdgeTable& ensureTable(int32_t m, int32_t n) {
  const auto covers = [m, n](const CacheKey&, const EdgeTable& held) {
    return held.degree.m == m && held.degree.terms >= n;
  };
  return tableCache.covering({m}, covers, [m, n] { return makeTable(m, n); });
}

// The table of the last ensureTable.
const EdgeTable& edges() {
  return tableCache.content();
}

// Visits the edge rows of the lower half in order, from the table when it is kept, otherwise
// made afresh (counts too large to keep).
template <typename Visit>
void forEachEdgeRow(int32_t n, Visit visit) {
  const EdgeTable& held = edges();
  const int32_t rowCount = held.edgeRows, stride = held.degree.terms;
  BlockProgress progress(rowCount, n);
  if (held.tableKept) {
    for (int32_t s = 0; s < rowCount; ++s) {
      progress.at(s);
      visit(s, &held.table[static_cast<size_t>(s) * stride]);
    }
    return;
  }
  RowMaker rows(held.degree, n);
  std::vector<double> row(n);
  for (int32_t s = 0; s < rowCount; ++s) {
    progress.at(s);
    rows.next(row.data());
    visit(s, row.data());
  }
}

// count rounded up to whole blocks of the kernels.
int32_t paddedCount(int32_t count) {
  return (count + discreteChebyshevBlock - 1) / discreteChebyshevBlock * discreteChebyshevBlock;
}

// Rows from edgeRows to the middle go to the kernels in runs of at most innerRun, so that the
// scratch stays small and in cache.
constexpr int32_t innerRun = 256 * discreteChebyshevBlock;

// The scratch length for the runs of the inner rows.
size_t innerScratch(int32_t m) {
  return paddedCount(std::min(innerRun, std::max((m + 1) / 2 - edges().edgeRows, 0)));
}

// Visits the runs of inner rows, visit(first row, row count, padded count, u), with their
// centred positions u = 2s - M + 1 padded to whole blocks with the neutral u = 0.
template <typename Visit>
void forEachInnerRun(int32_t m, int32_t n, Visit visit) {
  const int32_t first = edges().edgeRows, half = (m + 1) / 2;
  std::vector<double> u(innerScratch(m));
  BlockProgress progress(half - first, n);
  for (int32_t start = first; start < half; start += innerRun) {
    progress.at(start - first);
    const int32_t count = std::min(innerRun, half - start), padded = paddedCount(count);
    for (int32_t i = 0; i < padded; ++i)
      u[i] = i < count ? 2.0 * (start + i) - m + 1 : 0.0;
    visit(start, count, padded, u.data());
  }
}

// c[k] = sum over the positions of v(s) phi_k(s), for k < n. Mirrored positions fold into the
// sum (even degrees) and the difference (odd degrees) of their values; the middle row of an odd
// count takes its value alone.
void projectOnto(int32_t m, int32_t n, const double* values, double* c) {
  ensureTable(m, n);
  std::vector<long double> sums(n, 0.0L);
  forEachEdgeRow(n, [&](int32_t s, const double* phi) {
    const int32_t mirror = m - 1 - s;
    if (mirror == s) {
      for (int32_t k = 0; k < n; k += 2)
        sums[k] += static_cast<long double>(phi[k]) * values[s];
      return;
    }
    const long double even = static_cast<long double>(values[s]) + values[mirror];
    const long double odd = static_cast<long double>(values[s]) - values[mirror];
    for (int32_t k = 0; k < n; k += 2)
      sums[k] += phi[k] * even;
    for (int32_t k = 1; k < n; k += 2)
      sums[k] += phi[k] * odd;
  });
  const DegreeRecurrence& degree = edges().degree;
  std::vector<double> even(innerScratch(m), 0.0), odd(even.size(), 0.0), inner(n);
  forEachInnerRun(m, n, [&](int32_t first, int32_t count, int32_t padded, const double* u) {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t s = first + i, mirror = m - 1 - s;
      even[i] = mirror == s ? values[s] : values[s] + values[mirror];
      odd[i] = mirror == s ? 0.0 : values[s] - values[mirror];
    }
    std::fill(even.begin() + count, even.begin() + padded, 0.0);
    std::fill(odd.begin() + count, odd.begin() + padded, 0.0);
    discreteChebyshevProject(u, even.data(), odd.data(), padded, degree.rise.data(),
                             degree.scale.data(), degree.q0, n, inner.data());
    for (int32_t k = 0; k < n; ++k)
      sums[k] += inner[k];
  });
  for (int32_t k = 0; k < n; ++k)
    c[k] = static_cast<double>(sums[k]);
}

// projectOnto for `spectra` rows of values (spectra x M) into c (row j from c + j * stride), the
// rows folded as projectOnto folds them and met by a table of phi_k over the lower half of the
// positions in a blocked product, so that the polynomials are formed once for all the rows.
void projectManyOnto(int32_t m, int32_t n, const double* values, int64_t spectra, double* c,
                     int64_t stride) {
  ensureTable(m, n);
  const EdgeTable& held = edges();
  const int32_t half = (m + 1) / 2;
  std::vector<double> even(static_cast<size_t>(spectra) * half),
      odd(static_cast<size_t>(spectra) * half);
  for (int64_t j = 0; j < spectra; ++j)
    for (int32_t s = 0; s < half; ++s) {
      const double* row = values + j * m;
      const int32_t mirror = m - 1 - s;
      even[j * half + s] = mirror == s ? row[s] : row[s] + row[mirror];
      odd[j * half + s] = mirror == s ? 0.0 : row[s] - row[mirror];
    }
  std::vector<double> evenSums(static_cast<size_t>(spectra) * n, 0.0),
      oddSums(evenSums.size(), 0.0);
  FunctionTable table(n);
  RowMaker rows(held.degree, n);  // the edge rows, in order, where the table does not keep them
  std::vector<double> made(n), u(tableWidth);
  const DegreeRecurrence& degree = held.degree;
  BlockProgress progress(half, spectra * n);
  for (int32_t first = 0; first < half; first += tableWidth) {
    progress.at(first);
    const int32_t width = std::min(tableWidth, half - first);
    const int32_t edgeEnd = std::clamp(held.edgeRows - first, 0, width);
    for (int32_t i = 0; i < edgeEnd; ++i) {
      const int32_t s = first + i;
      const double* phi = made.data();
      if (held.tableKept)
        phi = &held.table[static_cast<size_t>(s) * degree.terms];
      else
        rows.next(made.data());
      for (int32_t k = 0; k < n; ++k)
        table.row(k)[i] = phi[k];
    }
    for (int32_t i = edgeEnd; i < width; ++i)
      u[i - edgeEnd] = 2.0 * (first + i) - m + 1;
    if (edgeEnd < width)
      discreteChebyshevTable(u.data(), width - edgeEnd, degree.rise.data(), degree.scale.data(),
                             degree.q0, table, edgeEnd);
    table.clearPast(width);
    addTableProduct(table, width, even.data() + first, half, spectra, evenSums.data());
    addTableProduct(table, width, odd.data() + first, half, spectra, oddSums.data());
  }
  for (int64_t j = 0; j < spectra; ++j)
    for (int32_t k = 0; k < n; ++k)
      c[j * stride + k] = (k % 2 ? oddSums : evenSums)[j * n + k];
}

// The series c[0..n-1] on a kept row of phi_k, split into its even-degree and odd-degree parts:
// their sum at the row's own position, their difference at its mirror.
struct SeriesParts {
  long double even = 0.0L, odd = 0.0L;
};
SeriesParts seriesOnEdgeRow(const double* c, int32_t n, const double* phi) {
  SeriesParts parts;
  for (int32_t k = 0; k + 1 < n; k += 2) {
    parts.even += c[k] * static_cast<long double>(phi[k]);
    parts.odd += c[k + 1] * static_cast<long double>(phi[k + 1]);
  }
  if (n % 2) parts.even += c[n - 1] * static_cast<long double>(phi[n - 1]);
  return parts;
}

// The series c[0..n-1] at every position.
void seriesOnMesh(int32_t m, int32_t n, const double* c, double* values) {
  ensureTable(m, n);
  forEachEdgeRow(n, [&](int32_t s, const double* phi) {
    const SeriesParts parts = seriesOnEdgeRow(c, n, phi);
    values[s] = static_cast<double>(parts.even + parts.odd);
    if (m - 1 - s != s) values[m - 1 - s] = static_cast<double>(parts.even - parts.odd);
  });
  const DegreeRecurrence& degree = edges().degree;
  std::vector<double> even(innerScratch(m)), odd(even.size());
  forEachInnerRun(m, n, [&](int32_t first, int32_t count, int32_t padded, const double* u) {
    discreteChebyshevSeries(u, padded, c, degree.rise.data(), degree.scale.data(), degree.q0, n,
                            even.data(), odd.data());
    for (int32_t i = 0; i < count; ++i) {
      const int32_t s = first + i;
      values[s] = even[i] + odd[i];
      if (m - 1 - s != s) values[m - 1 - s] = even[i] - odd[i];
    }
  });
}

// Terms from degree M on vanish on the M points; they are formed as 0.
struct DiscreteChebyshevSteps {
  static constexpr FitRules rules = FitRules::noFigure;
  double left = 0, right = 0;
  int32_t m = 0, terms = 0, requested = 0;

  FitSettings settle(double from, double to, double alpha, double beta, int32_t n, int32_t count) {
    m = count;
    if (m <= 0) return {alpha, beta, m, false};  // no mesh to lay
    left = from, right = to, requested = n, terms = std::min(n, m);
    const int32_t points = m;
    positionCache.at({m}, [points] {
      std::vector<double> positions(points);
      for (int32_t s = 0; s < points; ++s)
        positions[s] = s;
      return positions;
    });
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const {
    for (int32_t s = 0; s < m; ++s)
      meshX[s] = uniformAbscissa(left, right, s, m);
  }
  // A plain sum over the points, which reports no figure. No terms: nothing to form, and the
  // series is 0.
  long double project(const double* f, double* c) const {
    if (terms > 0) projectOnto(m, terms, f, c);
    return 0.0L;
  }
  // The rows of values (spectra x M) projected together into c (spectra x N); the terms from
  // degree M on stay 0.
  void projectMany(const double* f, int64_t spectra, double* c) const {
    if (terms > 0) projectManyOnto(m, terms, f, spectra, c, requested);
  }
  void sum(const double* c, double* values) const {
    if (terms > 0)
      seriesOnMesh(m, terms, c, values);
    else
      std::fill(values, values + m, 0.0);
  }
};

// The series at the positions of x[0..count-1] for the point count of the last fit. An
// abscissa within rounding of a mesh position takes that position, so the mesh values of the
// fit are reproduced: on an edge row from its stable values (gathered first, then visited in
// one pass over the edge rows), elsewhere by the same kernel as the mesh (the recurrence is odd
// in u to the last bit, so either half gives the same values).
// Between positions the recurrence in k is summed. Before any fit there is no point count and
// the value is 0, as for a series that has not been formed.
void evaluateManyDiscreteChebyshev(double left, double right, double, double, const double* c,
                                   int32_t n, const double* x, double* values, int32_t count) {
  const int32_t m = fittedCount();
  if (count <= 0) return;
  if (n <= 0 || m == 0) {
    std::fill(values, values + count, 0.0);
    return;
  }
  n = std::min(n, m);
  ensureTable(m, n);
  const int32_t chunk = std::min(count, 64 * discreteChebyshevBlock);
  const size_t padded = paddedCount(chunk);
  std::vector<double> u(padded), even(padded), odd(padded);
  std::vector<int32_t> target(chunk);
  std::vector<std::pair<int32_t, int32_t>> onEdge;  // (row, index), the index -1 - i at the top
  const long double width = static_cast<long double>(right) - left;
  for (int32_t start = 0; start < count;) {
    int32_t queued = 0;
    for (; start < count && queued < chunk; ++start) {
      double s = (static_cast<long double>(x[start]) - left) * (m - 1) / width;
      // The rounding of x and left, in positions.
      const double spread = (std::fabs(x[start]) + std::fabs(left)) * (m - 1) / width;
      const double nearest = std::nearbyint(s);
      if (std::fabs(s - nearest) <= 64 * eps * (std::fmax(1.0, std::fabs(nearest)) + spread))
        s = nearest;
      if (s == nearest && nearest >= 0 && nearest <= m - 1) {
        const int32_t position = static_cast<int32_t>(nearest);
        const bool upper = position >= (m + 1) / 2;
        const int32_t row = upper ? m - 1 - position : position;
        if (row < edges().edgeRows) {
          onEdge.push_back({row, upper ? -1 - start : start});
          continue;
        }
      }
      u[queued] = static_cast<double>(2 * static_cast<long double>(s) - m + 1);
      target[queued++] = start;
    }
    const int32_t blocks = paddedCount(queued);
    std::fill(u.begin() + queued, u.begin() + blocks, 0.0);
    const DegreeRecurrence& degree = edges().degree;
    discreteChebyshevSeries(u.data(), blocks, c, degree.rise.data(), degree.scale.data(), degree.q0,
                            n, even.data(), odd.data());
    for (int32_t i = 0; i < queued; ++i)
      values[target[i]] = even[i] + odd[i];
  }
  if (onEdge.empty()) return;
  std::sort(onEdge.begin(), onEdge.end());
  size_t next = 0;
  forEachEdgeRow(n, [&](int32_t s, const double* phi) {
    if (next == onEdge.size() || onEdge[next].first != s) return;
    const SeriesParts parts = seriesOnEdgeRow(c, n, phi);
    for (; next < onEdge.size() && onEdge[next].first == s; ++next) {
      const int32_t index = onEdge[next].second;
      if (index < 0)
        values[-1 - index] = static_cast<double>(parts.even - parts.odd);
      else
        values[index] = static_cast<double>(parts.even + parts.odd);
    }
  });
}

long double evaluateDiscreteChebyshev(double left, double right, double alpha, double beta,
                                      const double* c, int32_t n, double x) {
  double value = 0;
  evaluateManyDiscreteChebyshev(left, right, alpha, beta, c, n, &x, &value, 1);
  return value;
}

void quadratureDiscreteChebyshev(double* nodes, double* weights, int32_t m, double, double) {
  for (int32_t i = 0; i < m; ++i) {
    nodes[i] = i;
    weights[i] = 1.0;
  }
}

// Up to 2.5 sqrt(M) terms the series is a tame polynomial between its points, and its own
// derivative and integral are stable: the series is taken, in long double, at K = N Chebyshev
// points of [0, M - 1], turned into its K Chebyshev coefficients (exact, as its degree is
// below K), and those are differentiated or integrated exactly. Past the limit the polynomials
// swing between the points far beyond their values at the points (their exact derivative and
// integral reach 1e16 and more while every mesh value stays modest), so both operations work
// on the mesh values instead:
// - differentiate: the differences of the series on its mesh, central inside and the
//   one-sided (-3 v_0 + 4 v_1 - v_2) / 2h and its mirror at the ends (all exact for a
//   quadratic), projected onto phi_0 .. phi_{N-1}. With N = M the derivative series takes
//   exactly those differences at the mesh points; with fewer terms it is their least-squares
//   fit, never larger than they are on the mesh.
// - integrate: the trapezoid rule on the M points.
// The limit 2.5 sqrt(M) was measured against binary128 references at M = 100 to 10^4: the
// own derivative and integral stay within 64 eps of their largest coefficient to 6 sqrt(M), but
// past about 3 sqrt(M) the polynomial's derivative outgrows the series' size on its mesh
// (4 times at 3.3 sqrt(M), 10^3 times at 5 sqrt(M) for M = 10^4), and a smoothing fit would
// show the swing between the points rather than the data's slope.
int32_t polynomialCalculusLimit(int32_t m) {
  return static_cast<int32_t>(2.5 * std::sqrt(static_cast<double>(m)));
}

bool usesOwnCalculus(int32_t m, int32_t n) {
  return n <= polynomialCalculusLimit(m);
}

// The recurrence in k in long double, phi_k = rise_k u phi_{k-1} - fall_k phi_{k-2} with
// u = 2s - M + 1: below 2.5 sqrt(M) degrees it holds its digits at every position.
struct LongDegreeRecurrence {
  std::vector<long double> rise, fall;
  long double first;  // phi_0
  LongDegreeRecurrence(int32_t m, int32_t n)
      : rise(n), fall(n), first(1 / std::sqrt(static_cast<long double>(m))) {
    using ld = long double;
    const ld mm = static_cast<ld>(m) * m;
    for (int32_t k = 1; k < n; ++k) {
      const ld kk = static_cast<ld>(k) * k;
      rise[k] = std::sqrt((4 * kk - 1) / (mm - kk)) / k;
      if (k >= 2)
        fall[k] =
            (k - 1.0L) / k *
            std::sqrt((mm - (k - 1.0L) * (k - 1)) * (2.0L * k + 1) / ((2.0L * k - 3) * (mm - kk)));
    }
  }
};

// The Chebyshev coefficients a[0..K-1] of the series c[0..n-1] as a polynomial on [0, M - 1]
// (in t = 2s / (M - 1) - 1), with K = n: from its values at the K first-kind points, formed by
// the recurrence in k in long double.
std::vector<long double> chebyshevCoefficients(int32_t m, const double* c, int32_t n) {
  using ld = long double;
  const LongDegreeRecurrence r(m, n);
  const int32_t points = n;
  const ld angle = piLong / points;
  std::vector<ld> values(points);
  for (int32_t j = 0; j < points; ++j) {
    const ld t = std::cos((j + 0.5L) * angle);
    const ld u = t * (m - 1);  // 2s - M + 1
    ld before = 0, phi = r.first, sum = c[0] * phi;
    for (int32_t k = 1; k < n; ++k) {
      const ld next = r.rise[k] * u * phi - r.fall[k] * before;
      before = phi, phi = next;
      sum += c[k] * phi;
    }
    values[j] = sum;
  }
  // cos(pi k (j + 1/2) / K) = cosine[k (2j + 1) mod 4K], one table of 4K angles.
  const int64_t period = 4 * static_cast<int64_t>(points);
  std::vector<ld> cosine(period);
  for (int64_t q = 0; q < period; ++q)
    cosine[q] = std::cos(q * angle / 2);
  std::vector<ld> a(points);
  for (int32_t k = 0; k < points; ++k) {
    ld sum = 0;
    int64_t q = k, step = 2 * static_cast<int64_t>(k) % period;  // k (2j + 1) mod 4K
    for (int32_t j = 0; j < points; ++j) {
      sum += values[j] * cosine[q];
      q += step;
      if (q >= period) q -= period;
    }
    a[k] = sum * 2 / points;
  }
  a[0] /= 2;
  return a;
}

void differentiateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                    double* d, int32_t n) {
  const int32_t m = fittedCount();
  if (n <= 0 || m < 2) return;
  const int32_t terms = std::min(n, m);
  if (usesOwnCalculus(m, terms)) {
    // d/dt of sum a_k T_k is sum b_k T_k with b_{k-1} = b_{k+1} + 2k a_k (b_0 halved), and
    // dt/dx = 2 / (right - left); summed at the mesh positions by Clenshaw's rule and projected
    // there, all in long double: a double projection gathers sqrt(M) roundings. A position and
    // its mirror share one pass, as phi_k(M - 1 - s) = (-1)^k phi_k(s).
    const std::vector<long double> a = chebyshevCoefficients(m, c, terms);
    std::vector<long double> b(terms + 1, 0.0L);
    for (int32_t k = terms - 1; k >= 1; --k)
      b[k - 1] = b[k + 1] + 2.0L * k * a[k];
    b[0] /= 2;
    const long double scale = 2 / (static_cast<long double>(right) - left);
    const auto slopeAt = [&](int32_t s) {
      const long double t = 2.0L * s / (m - 1) - 1;
      long double upper = 0, lower = 0;
      for (int32_t k = terms - 1; k >= 1; --k) {
        const long double next = 2 * t * upper - lower + b[k];
        lower = upper, upper = next;
      }
      return scale * (t * upper - lower + b[0]);
    };
    const LongDegreeRecurrence r(m, terms);
    std::vector<long double> sums(terms, 0.0L);
    for (int32_t s = 0; 2 * s <= m - 1; ++s) {
      const bool middle = 2 * s == m - 1;
      const long double here = slopeAt(s), there = middle ? 0.0L : slopeAt(m - 1 - s);
      const long double even = here + there, odd = here - there;
      const long double u = 2.0L * s - m + 1;
      long double before = 0, phi = r.first;
      sums[0] += phi * even;
      for (int32_t k = 1; k < terms; ++k) {
        const long double next = r.rise[k] * u * phi - r.fall[k] * before;
        before = phi, phi = next;
        sums[k] += phi * (k % 2 ? odd : even);
      }
    }
    for (int32_t k = 0; k < terms; ++k)
      d[k] = static_cast<double>(sums[k]);
    return;
  }
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

// Own rule: the integral of sum a_k T_k over [-1, 1] is the sum over even k of 2 a_k / (1 - k^2),
// times (right - left) / 2.
// Mesh rule: h (v_0 / 2 + v_1 + ... + v_{M-2} + v_{M-1} / 2) with h = (right - left) / (M - 1),
// without a pass over the mesh: the mesh values sum to sqrt(M) c[0] (every phi_k with k > 0 is
// orthogonal to phi_0 = 1 / sqrt(M)), and v_0 + v_{M-1} is twice the sum of c[k] phi_k(0)
// over even k, with phi_k(0) = (-1)^k sqrt((2k + 1) / M) prod_{j<=k} sqrt((M - j) / (M + j)).
long double integrateDiscreteChebyshev(double left, double right, double, double, const double* c,
                                       int32_t n) {
  const int32_t m = fittedCount();
  if (n <= 0 || m < 2) return 0.0L;
  const int32_t terms = std::min(n, m);
  if (usesOwnCalculus(m, terms)) {
    const std::vector<long double> a = chebyshevCoefficients(m, c, terms);
    long double sum = 0;
    for (int32_t k = 0; k < terms; k += 2)
      sum += 2 * a[k] / (1 - static_cast<long double>(k) * k);
    return (static_cast<long double>(right) - left) / 2 * sum;
  }
  const long double points = m;
  long double atStart = 1 / std::sqrt(points);  // phi_k(0)
  long double ends = 0.0L;
  for (int32_t k = 0; k < terms && atStart != 0; ++k) {
    if (k > 0) atStart *= -std::sqrt((points - k) / (points + k) * (2.0L * k + 1) / (2.0L * k - 1));
    if (k % 2 == 0) ends += c[k] * atStart;
  }
  const long double h = (static_cast<long double>(right) - left) / (m - 1);
  return h * (std::sqrt(points) * c[0] - ends);
}

std::string integralNoteDiscreteChebyshev(int32_t n) {
  const int32_t m = fittedCount();
  if (n <= 0 || m < 2 || usesOwnCalculus(m, std::min(n, m))) return {};
  char note[200];
  std::snprintf(note, sizeof note,
                "The integral is the trapezoid rule on the %d points of the series: past %d "
                "terms the polynomial swings far between its points",
                m, polynomialCalculusLimit(m));
  return note;
}

}  // namespace

void discreteChebyshevValues(int32_t m, int32_t n, double* values) {
  const DegreeRecurrence degree(m, n);
  RowMaker rows(degree, n);
  const int32_t half = (m + 1) / 2;
  bool edge = true;
  for (int32_t s = 0; s < half; ++s) {
    double* row = values + static_cast<size_t>(s) * n;
    const bool ends = rows.next(row);
    edge = edge && !ends;
    if (!edge) std::copy(rows.recurred.begin(), rows.recurred.end(), row);
    double* mirror = values + static_cast<size_t>(m - 1 - s) * n;
    for (int32_t k = 0; k < n; ++k)
      mirror[k] = k % 2 ? -row[k] : row[k];
  }
}

constinit const BasisOps discreteChebyshevBasis = [] {
  BasisOps ops = withProjectMany<DiscreteChebyshevSteps>(basisWithSteps<DiscreteChebyshevSteps>(
      evaluateDiscreteChebyshev, quadratureDiscreteChebyshev, differentiateDiscreteChebyshev,
      integrateDiscreteChebyshev, evaluateManyDiscreteChebyshev));
  ops.integralNote = integralNoteDiscreteChebyshev;
  // The functions are orthonormal over the M points; 1/M puts sum c_k^2 h_k on the scale of the
  // mean square, as the other bases' figures are.
  ops.squaredNorm = [](int32_t, double, double, int32_t m) { return m > 0 ? 1.0 / m : 1.0; };
  return ops;
}();
