#include "bases/three_term_lanes.h"

#include <algorithm>
#include <vector>

#include "bases/lanes.h"
#include "bases/progress_blocks.h"
#include "bases/table_product_lanes.h"

namespace {

// Abscissae per pass: `chains` vectors, enough independent recurrences to hide the latency of
// the multiply-adds, few enough that their values (two each, and the series' sums) stay in
// registers: sixteen on SSE2 and AVX2, thirty-two on AVX-512. The chain loops are unrolled
// explicitly, so that -O2 keeps the chains in registers as -O3 does. Chosen by measurement at
// (M, N) = (10^5, 10^3).
constexpr LaneShape threeTermShape(VectorTarget target) {
  switch (target) {
    case VectorTarget::avx512:
      return {8, 8};
    case VectorTarget::avx2:
      return {4, 4};
    case VectorTarget::sse2:
      return {2, 6};
    case VectorTarget::portable:
      break;
  }
  return {2, 4};
}

// Without fused multiply-adds (SSE2 and the portable code) the step
// (a_k t + b_k) P_{k-1} - c_k P_{k-2} is three multiplications and two additions, and the
// kernels are bound by the multiplications. Where the shift b_k is 0 (Legendre, Gegenbauer),
// the recurrence rescaled to P_k = g_k Q_k with g_k = c_k g_{k-2} reads
// Q_k = alpha_k t Q_{k-1} - Q_{k-2}: one multiplication and one addition fewer. (With a shift,
// Jacobi's rescaled recurrence saved 5% and lost accuracy at N = 1000, so it stays as given.)
// With fused multiply-adds the step is already three operations, and the kernels keep the
// recurrence as it is.
constexpr bool rescalesRecurrence(VectorTarget target) {
  return target == VectorTarget::sse2 || target == VectorTarget::portable;
}

// How a kernel's step is formed: as given, or with c_k = 1 and b_k = 0.
enum class StepForm { general, unitLastUnshifted };

// The recurrence with c_k = 1 and b_k = 0, and the factors g_k that take Q_k back to P_k.
struct RescaledRecurrence {
  std::vector<double> a, b, c, scale;
};

// The factors g_k stay within these bounds for every recurrence of the bases (Legendre's decay
// as k^(-1/2)); beyond them, or at a c_k that is not positive, the recurrence is kept as given.
constexpr long double smallestScale = 1e-250L, largestScale = 1e250L;

// The rescaled recurrence of the degrees below n, formed in long double and rounded once; false
// when a shift b_k is not 0 or the recurrence cannot be rescaled.
bool rescale(const ThreeTermRecurrence& p, int32_t n, RescaledRecurrence& q) {
  const size_t size = p.a.size();
  q.a.assign(size, 0.0);
  q.b.assign(size, 0.0);
  q.c.assign(size, 1.0);
  q.scale.assign(std::max<size_t>(size, 2), 1.0);
  long double before = 1.0L, last = 1.0L;  // g_{k-2}, g_{k-1}
  q.a[1] = p.a[1];
  if (p.b[1] != 0.0) return false;
  for (int32_t k = 2; k < n; ++k) {
    if (!(p.c[k] > 0.0) || p.b[k] != 0.0) return false;
    const long double g = p.c[k] * before;
    if (!(g > smallestScale && g < largestScale)) return false;
    q.a[k] = static_cast<double>(p.a[k] * last / g);
    q.scale[k] = static_cast<double>(g);
    before = last, last = g;
  }
  return true;
}

template <StepForm form, typename Lanes>
Lanes recurrenceStep(const Lanes& ak, const Lanes& bk, const Lanes& ck, const Lanes& t,
                     const Lanes& current, const Lanes& previous) {
  if constexpr (form == StepForm::general)
    return (ak * t + bk) * current - ck * previous;
  else
    return ak * t * current - previous;
}

template <VectorTarget target, LaneShape shape = threeTermShape(target)>
struct ThreeTermLanes : LaneSet<shape.width> {
  using L = LaneSet<shape.width>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;
  static constexpr int32_t blockVectors = shape.chains;
  static constexpr int32_t blockWidth = blockVectors * laneWidth;

  // One vector of partial sums per degree (plain doubles: no over-aligned allocation), whose
  // lanes are summed once at the end.
  struct DegreeSums {
    std::vector<double> acc;
    explicit DegreeSums(int32_t n) : acc(static_cast<size_t>(std::max(n, 2)) * laneWidth, 0.0) {}
    void add(int32_t k, const Lanes& v) {
      double* at = acc.data() + static_cast<size_t>(k) * laneWidth;
      L::storeLanes(at, L::loadLanes(at) + v);
    }
    void write(double* sums, int32_t n) const {
      for (int32_t k = 0; k < n; ++k)
        sums[k] = L::laneSum(L::loadLanes(acc.data() + static_cast<size_t>(k) * laneWidth));
    }
  };

  // A projection's walk over the blocks of abscissae: visit(block, acc) adds each block's terms
  // to acc, one vector per degree, whose lanes are summed into sums at the end.
  template <class Visit>
  static void projectBlocks(const double* t, const double* u, int32_t m, int32_t n, double* sums,
                            const Visit& visit);

  // The abscissae (and weights) of the block from `first`, a ragged last block padded with
  // t = 0 and u = 0, which add nothing.
  struct Block {
    Lanes t[blockVectors];
    Lanes u[blockVectors];
  };

  static Block loadBlock(const double* t, const double* u, int32_t first, int32_t m) {
    Block block;
    if (first + blockWidth <= m) {
#pragma GCC unroll 16
      for (int32_t v = 0; v < blockVectors; ++v) {
        block.t[v] = L::loadLanes(t + first + v * laneWidth);
        block.u[v] = u ? L::loadLanes(u + first + v * laneWidth) : L::splat(0.0);
      }
      return block;
    }
    double paddedT[blockWidth] = {}, paddedU[blockWidth] = {};
    for (int32_t i = first; i < m; ++i) {
      paddedT[i - first] = t[i];
      if (u) paddedU[i - first] = u[i];
    }
#pragma GCC unroll 16
    for (int32_t v = 0; v < blockVectors; ++v) {
      block.t[v] = L::loadLanes(paddedT + v * laneWidth);
      block.u[v] = L::loadLanes(paddedU + v * laneWidth);
    }
    return block;
  }
};

template <VectorTarget target, LaneShape shape>
template <class Visit>
void ThreeTermLanes<target, shape>::projectBlocks(const double* t, const double* u, int32_t m,
                                                  int32_t n, double* sums, const Visit& visit) {
  DegreeSums acc(n);
  BlockProgress progress(m, n);
  for (int32_t first = 0; first < m; first += blockWidth) {
    progress.at(first);
    visit(loadBlock(t, u, first, m), acc);
  }
  acc.write(sums, n);
}

// Each block runs the recurrence over every degree with its values in registers and adds its
// u P_k to one vector accumulator per degree; the lanes are summed once at the end.
template <VectorTarget target>
struct ProjectOntoRecurrence : ThreeTermLanes<target> {
  using K = ThreeTermLanes<target>;
  using L = typename K::L;
  using Lanes = typename K::Lanes;

  static void run(const ThreeTermRecurrence& p, const double* t, const double* u, int32_t m,
                  double* sums, int32_t n) {
    if (n <= 0) return;
    if constexpr (!rescalesRecurrence(target)) {
      project<StepForm::general>(p.a.data(), p.b.data(), p.c.data(), t, u, m, sums, n);
    } else {
      RescaledRecurrence q;
      if (!rescale(p, n, q))
        return project<StepForm::general>(p.a.data(), p.b.data(), p.c.data(), t, u, m, sums, n);
      project<StepForm::unitLastUnshifted>(q.a.data(), q.b.data(), q.c.data(), t, u, m, sums, n);
      for (int32_t k = 2; k < n; ++k)
        sums[k] = static_cast<double>(static_cast<long double>(sums[k]) * q.scale[k]);
    }
  }

  template <StepForm form>
  static void project(const double* a, const double* b, const double* c, const double* t,
                      const double* u, int32_t m, double* sums, int32_t n) {
    constexpr int32_t blockVectors = K::blockVectors;
    K::projectBlocks(t, u, m, n, sums, [&](const typename K::Block& block, auto& acc) {
      Lanes previous[blockVectors], current[blockVectors];
      Lanes sum0 = L::splat(0.0), sum1 = L::splat(0.0);
#pragma GCC unroll 16
      for (int32_t v = 0; v < blockVectors; ++v) {
        previous[v] = block.u[v];  // u P_0
        current[v] = (L::splat(a[1]) * block.t[v] + b[1]) * block.u[v];
        sum0 += previous[v];
        sum1 += current[v];
      }
      acc.add(0, sum0);
      acc.add(1, sum1);
      // The recurrence is linear: running it on u P_k keeps the weight in the values.
      for (int32_t k = 2; k < n; ++k) {
        const Lanes ak = L::splat(a[k]), bk = L::splat(b[k]), ck = L::splat(c[k]);
        Lanes sum = L::splat(0.0);
#pragma GCC unroll 16
        for (int32_t v = 0; v < blockVectors; ++v) {
          const Lanes next = recurrenceStep<form>(ak, bk, ck, block.t[v], current[v], previous[v]);
          previous[v] = current[v];
          current[v] = next;
          sum += next;
        }
        acc.add(k, sum);
      }
    });
  }
};

// The table of P_k at a block of abscissae, for the blocked product: the recurrence runs
// across the block one vector at a time, each degree stored as it comes.
template <VectorTarget target>
struct FillRecurrenceTable {
  using L = LaneSet<registerWidth(target)>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;

  static void run(const ThreeTermRecurrence& p, const double* t, int32_t width,
                  FunctionTable& table) {
    const int32_t n = table.n;
    double padded[tableWidth] = {};
    std::copy(t, t + width, padded);
    const double* a = p.a.data();
    const double* b = p.b.data();
    const double* c = p.c.data();
    for (int32_t at = 0; at < width; at += laneWidth) {
      const Lanes tv = L::loadLanes(padded + at);
      Lanes previous = L::splat(1.0), current = L::splat(a[1]) * tv + b[1];
      L::storeLanes(table.row(0) + at, previous);
      if (n > 1) L::storeLanes(table.row(1) + at, current);
      for (int32_t k = 2; k < n; ++k) {
        const Lanes next = recurrenceStep<StepForm::general>(L::splat(a[k]), L::splat(b[k]),
                                                             L::splat(c[k]), tv, current, previous);
        previous = current;
        current = next;
        L::storeLanes(table.row(k) + at, current);
      }
    }
  }
};

// The same table from the pair of first-order recurrences near an end, at distances s.
template <VectorTarget target>
struct FillEndTable {
  using L = LaneSet<registerWidth(target)>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;

  static void run(const EndRecurrence& r, const double* s, int32_t width, FunctionTable& table) {
    const int32_t n = table.n;
    double padded[tableWidth] = {};
    std::copy(s, s + width, padded);
    for (int32_t at = 0; at < width; at += laneWidth) {
      const Lanes sv = L::loadLanes(padded + at);
      Lanes p = L::splat(1.0), q = p;
      L::storeLanes(table.row(0) + at, p);
      for (int32_t k = 0; k + 1 < n; ++k) {
        p = L::splat(r.f[k]) * p - L::splat(r.g[k]) * (sv * q);
        q = L::splat(r.h[k]) * p + L::splat(r.l[k]) * q;
        L::storeLanes(table.row(k + 1) + at, p);
      }
    }
  }
};

// The end recurrence keeps three vectors per chain (s, u P_k, u Q_k), as the three-term one
// does, but takes four factors per degree: on SSE2 its sixteen registers hold four chains, not six.
constexpr LaneShape endShape(VectorTarget target) {
  return target == VectorTarget::sse2 ? LaneShape{2, 4} : threeTermShape(target);
}

// As ProjectOntoRecurrence, with the pair (u P_k, u Q_k) in the lanes and the distances s in
// the abscissae's place.
template <VectorTarget target>
struct ProjectNearEnd : ThreeTermLanes<target, endShape(target)> {
  using K = ThreeTermLanes<target, endShape(target)>;
  using L = typename K::L;
  using Lanes = typename K::Lanes;

  static void run(const EndRecurrence& r, const double* s, const double* u, int32_t m, double* sums,
                  int32_t n) {
    if (n <= 0) return;
    constexpr int32_t blockVectors = K::blockVectors;
    K::projectBlocks(s, u, m, n, sums, [&](const typename K::Block& block, auto& acc) {
      Lanes p[blockVectors], q[blockVectors];
      Lanes sum0 = L::splat(0.0);
#pragma GCC unroll 16
      for (int32_t v = 0; v < blockVectors; ++v) {
        p[v] = q[v] = block.u[v];
        sum0 += p[v];
      }
      acc.add(0, sum0);
      for (int32_t k = 0; k + 1 < n; ++k) {
        const Lanes f = L::splat(r.f[k]), g = L::splat(r.g[k]), h = L::splat(r.h[k]),
                    l = L::splat(r.l[k]);
        Lanes sum = L::splat(0.0);
#pragma GCC unroll 16
        for (int32_t v = 0; v < blockVectors; ++v) {
          p[v] = f * p[v] - g * (block.t[v] * q[v]);
          q[v] = h * p[v] + l * q[v];
          sum += p[v];
        }
        acc.add(k + 1, sum);
      }
    });
  }
};

// The forward recurrence with the sum carried along. Its rounding errors stay near those of
// the values P_k themselves; Clenshaw's partial sums grow near the ends of [-1, 1] and carry
// larger ones (measured for Legendre at N = 1000 against long double: 3.7e-14 against 1.1e-14).
template <VectorTarget target>
struct SumRecurrenceSeries : ThreeTermLanes<target> {
  using K = ThreeTermLanes<target>;
  using L = typename K::L;
  using Lanes = typename K::Lanes;

  static void run(const ThreeTermRecurrence& p, const double* coefficients, int32_t n,
                  const double* t, double* values, int32_t m) {
    if (n <= 0) {
      std::fill(values, values + m, 0.0);
      return;
    }
    if constexpr (!rescalesRecurrence(target)) {
      sumSeries<StepForm::general>(p.a.data(), p.b.data(), p.c.data(), coefficients, n, t, values,
                                   m);
    } else {
      RescaledRecurrence q;
      if (!rescale(p, n, q))
        return sumSeries<StepForm::general>(p.a.data(), p.b.data(), p.c.data(), coefficients, n, t,
                                            values, m);
      // The series in the rescaled functions: the coefficients times g_k.
      std::vector<double> scaled(coefficients, coefficients + n);
      for (int32_t k = 2; k < n; ++k)
        scaled[k] = static_cast<double>(static_cast<long double>(scaled[k]) * q.scale[k]);
      sumSeries<StepForm::unitLastUnshifted>(q.a.data(), q.b.data(), q.c.data(), scaled.data(), n,
                                             t, values, m);
    }
  }

  template <StepForm form>
  static void sumSeries(const double* a, const double* b, const double* c,
                        const double* coefficients, int32_t n, const double* t, double* values,
                        int32_t m) {
    constexpr int32_t laneWidth = K::laneWidth, blockVectors = K::blockVectors;
    constexpr int32_t blockWidth = K::blockWidth;
    BlockProgress progress(m, n);
    for (int32_t first = 0; first < m; first += blockWidth) {
      progress.at(first);
      const typename K::Block block = K::loadBlock(t, nullptr, first, m);
      Lanes previous[blockVectors], current[blockVectors], sum[blockVectors];
#pragma GCC unroll 16
      for (int32_t v = 0; v < blockVectors; ++v) {
        previous[v] = L::splat(1.0);
        current[v] = L::splat(a[1]) * block.t[v] + b[1];
        sum[v] = L::splat(coefficients[0]) + (n > 1 ? coefficients[1] * current[v] : L::splat(0.0));
      }
      for (int32_t k = 2; k < n; ++k) {
        const Lanes ak = L::splat(a[k]), bk = L::splat(b[k]), ck = L::splat(c[k]);
        const Lanes coefficient = L::splat(coefficients[k]);
#pragma GCC unroll 16
        for (int32_t v = 0; v < blockVectors; ++v) {
          const Lanes next = recurrenceStep<form>(ak, bk, ck, block.t[v], current[v], previous[v]);
          previous[v] = current[v];
          current[v] = next;
          sum[v] += coefficient * next;
        }
      }
      double out[blockWidth];
#pragma GCC unroll 16
      for (int32_t v = 0; v < blockVectors; ++v)
        L::storeLanes(out + v * laneWidth, sum[v]);
      std::copy(out, out + std::min(blockWidth, m - first), values + first);
    }
  }
};

}  // namespace

void projectOntoRecurrence(const ThreeTermRecurrence& p, const double* t, const double* u,
                           int32_t m, double* sums, int32_t n, VectorTarget target) {
  runOnTarget<ProjectOntoRecurrence>(target, p, t, u, m, sums, n);
}

namespace {

// The sums of the rows, zeroed first, by tables that Fill<target>::run(family, x + first, width,
// table) writes at the abscissae x.
template <template <VectorTarget> class Fill, class Family>
void projectManyByTables(const Family& family, const double* x, const double* u, int32_t m,
                         int64_t stride, int64_t spectra, double* sums, int32_t n,
                         VectorTarget target) {
  std::fill(sums, sums + std::max<int64_t>(spectra, 0) * std::max(n, 0), 0.0);
  addProductByTables(
      m, n, u, stride, spectra, sums,
      [&](int32_t first, int32_t width, FunctionTable& table) {
        runOnTarget<Fill>(target, family, x + first, width, table);
      },
      target);
}

}  // namespace

void projectManyOntoRecurrence(const ThreeTermRecurrence& p, const double* t, const double* u,
                               int32_t m, int64_t stride, int64_t spectra, double* sums, int32_t n,
                               VectorTarget target) {
  projectManyByTables<FillRecurrenceTable>(p, t, u, m, stride, spectra, sums, n, target);
}

void projectManyNearEnd(const EndRecurrence& r, const double* s, const double* u, int32_t m,
                        int64_t stride, int64_t spectra, double* sums, int32_t n,
                        VectorTarget target) {
  projectManyByTables<FillEndTable>(r, s, u, m, stride, spectra, sums, n, target);
}

void projectNearEnd(const EndRecurrence& r, const double* s, const double* u, int32_t m,
                    double* sums, int32_t n, VectorTarget target) {
  runOnTarget<ProjectNearEnd>(target, r, s, u, m, sums, n);
}

void sumRecurrenceSeries(const ThreeTermRecurrence& p, const double* coefficients, int32_t n,
                         const double* t, double* values, int32_t m, VectorTarget target) {
  runOnTarget<SumRecurrenceSeries>(target, p, coefficients, n, t, values, m);
}
