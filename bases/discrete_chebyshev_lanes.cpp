#include "bases/discrete_chebyshev_lanes.h"

#include <algorithm>
#include <vector>

#include "bases/lanes.h"
#include "bases/progress_blocks.h"
#include "bases/table_product_lanes.h"

namespace {

// Blocks of positions, and of degrees, whose sums are formed alone before they are carried into
// the running sums: those then round against the small partial sums, not the large totals.
constexpr int32_t carryBlocks = 8;
constexpr int32_t carryDegrees = 8;

// Vectors of positions run together while the recurrence runs over all degrees: each carries
// two values of the recurrence and meets its position and two weights. Chosen by measurement at
// (M, N) = (10^5, 10^3); the chain loops are unrolled explicitly, so that -O2 keeps the chains
// in registers as -O3 does.
constexpr LaneShape discreteChebyshevShape(VectorTarget target) {
  switch (target) {
    case VectorTarget::avx512:
      return {8, 4};
    case VectorTarget::avx2:
      return {4, 4};
    case VectorTarget::sse2:
    case VectorTarget::portable:
      break;
  }
  return {2, 8};
}

template <VectorTarget target>
struct DiscreteChebyshevLanes : LaneSet<discreteChebyshevShape(target).width> {
  using L = LaneSet<discreteChebyshevShape(target).width>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;
  static constexpr int32_t blockLanes = discreteChebyshevShape(target).chains;
  // Positions per pass: a divisor of the callers' block, so that a padded count is whole passes.
  static constexpr int32_t block = blockLanes * laneWidth;
  static_assert(discreteChebyshevBlock % block == 0);

  // sum + part, with the rounding error of the addition gathered in error.
  static void addCarried(Lanes& sum, Lanes& error, const Lanes& part) {
    const Lanes next = sum + part, taken = next - sum;
    error += (sum - (next - taken)) + (part - taken);
    sum = next;
  }
};

// The degrees go in pairs, odd then even, so that each takes its weight without a branch and
// q_{k-1}, q_{k-2} swap roles instead of moving.
template <VectorTarget target>
struct DiscreteChebyshevProject : DiscreteChebyshevLanes<target> {
  using K = DiscreteChebyshevLanes<target>;
  using L = typename K::L;
  using Lanes = typename K::Lanes;

  static void run(const double* u, const double* even, const double* odd, int32_t count,
                  const double* rise, const double* scale, double q0, int32_t n, double* sums) {
    constexpr int32_t laneWidth = K::laneWidth, blockLanes = K::blockLanes;
    // One Lanes per degree: the sums of the current run of blocks, the carried sums, their error.
    const size_t size = static_cast<size_t>(n) * laneWidth;
    std::vector<double> acc(size, 0.0), total(size, 0.0), error(size, 0.0);
    auto carry = [&] {
      for (size_t k = 0; k < size; k += laneWidth) {
        Lanes sum = L::loadLanes(&total[k]), lost = L::loadLanes(&error[k]);
        K::addCarried(sum, lost, L::loadLanes(&acc[k]));
        L::storeLanes(&total[k], sum);
        L::storeLanes(&error[k], lost);
        L::storeLanes(&acc[k], Lanes{});
      }
    };
    BlockProgress progress(count, n);
    for (int32_t i = 0; i < count; i += K::block) {
      progress.at(i);
      if (i > 0 && i % (carryBlocks * discreteChebyshevBlock) == 0) carry();
      Lanes x[blockLanes], e[blockLanes], o[blockLanes], older[blockLanes], old[blockLanes];
      Lanes first = L::loadLanes(&acc[0]);
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        x[j] = L::loadLanes(u + i + j * laneWidth);
        e[j] = L::loadLanes(even + i + j * laneWidth);
        o[j] = L::loadLanes(odd + i + j * laneWidth);
        older[j] = Lanes{};
        old[j] = L::splat(q0);
        first += old[j] * e[j];
      }
      L::storeLanes(&acc[0], first);
      int32_t k = 1;
      for (; k + 1 < n; k += 2) {
        const Lanes riseOdd = L::splat(rise[k]), riseEven = L::splat(rise[k + 1]);
        Lanes sumOdd = L::loadLanes(&acc[static_cast<size_t>(k) * laneWidth]);
#pragma GCC unroll 16
        for (int32_t j = 0; j < blockLanes; ++j) {
          older[j] = riseOdd * x[j] * old[j] - older[j];
          sumOdd += older[j] * o[j];
        }
        L::storeLanes(&acc[static_cast<size_t>(k) * laneWidth], sumOdd);
        Lanes sumEven = L::loadLanes(&acc[static_cast<size_t>(k + 1) * laneWidth]);
#pragma GCC unroll 16
        for (int32_t j = 0; j < blockLanes; ++j) {
          old[j] = riseEven * x[j] * older[j] - old[j];
          sumEven += old[j] * e[j];
        }
        L::storeLanes(&acc[static_cast<size_t>(k + 1) * laneWidth], sumEven);
      }
      if (k < n) {
        const Lanes riseOdd = L::splat(rise[k]);
        Lanes sumOdd = L::loadLanes(&acc[static_cast<size_t>(k) * laneWidth]);
#pragma GCC unroll 16
        for (int32_t j = 0; j < blockLanes; ++j)
          sumOdd += (riseOdd * x[j] * old[j] - older[j]) * o[j];
        L::storeLanes(&acc[static_cast<size_t>(k) * laneWidth], sumOdd);
      }
    }
    carry();
    for (int32_t k = 0; k < n; ++k) {
      const size_t at = static_cast<size_t>(k) * laneWidth;
      sums[k] = scale[k] * L::laneSum(L::loadLanes(&total[at]) + L::loadLanes(&error[at]));
    }
  }
};

template <VectorTarget target>
struct DiscreteChebyshevSeries : DiscreteChebyshevLanes<target> {
  using K = DiscreteChebyshevLanes<target>;
  using L = typename K::L;
  using Lanes = typename K::Lanes;

  static void run(const double* u, int32_t count, const double* c, const double* rise,
                  const double* scale, double q0, int32_t n, double* even, double* odd) {
    constexpr int32_t laneWidth = K::laneWidth, blockLanes = K::blockLanes;
    std::vector<double> weight(n);  // c[k] phi_k / q_k
    for (int32_t k = 0; k < n; ++k)
      weight[k] = c[k] * scale[k];
    BlockProgress progress(count, n);
    for (int32_t i = 0; i < count; i += K::block) {
      progress.at(i);
      Lanes x[blockLanes], e[blockLanes], o[blockLanes], older[blockLanes], old[blockLanes];
      Lanes eError[blockLanes], oError[blockLanes];
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        x[j] = L::loadLanes(u + i + j * laneWidth);
        older[j] = Lanes{};
        old[j] = L::splat(q0);
        e[j] = old[j] * weight[0];
        o[j] = eError[j] = oError[j] = Lanes{};
      }
      int32_t k = 1;
      while (k < n) {
        Lanes ePart[blockLanes] = {}, oPart[blockLanes] = {};
        const int32_t end = std::min(n, k + carryDegrees);
        for (; k + 1 < end; k += 2) {
          const Lanes riseOdd = L::splat(rise[k]), riseEven = L::splat(rise[k + 1]);
          const Lanes weightOdd = L::splat(weight[k]), weightEven = L::splat(weight[k + 1]);
#pragma GCC unroll 16
          for (int32_t j = 0; j < blockLanes; ++j) {
            older[j] = riseOdd * x[j] * old[j] - older[j];
            oPart[j] += weightOdd * older[j];
            old[j] = riseEven * x[j] * older[j] - old[j];
            ePart[j] += weightEven * old[j];
          }
        }
        if (k < end) {  // the last degree, odd
          const Lanes riseOdd = L::splat(rise[k]), weightOdd = L::splat(weight[k]);
#pragma GCC unroll 16
          for (int32_t j = 0; j < blockLanes; ++j)
            oPart[j] += weightOdd * (riseOdd * x[j] * old[j] - older[j]);
          ++k;
        }
#pragma GCC unroll 16
        for (int32_t j = 0; j < blockLanes; ++j) {
          K::addCarried(e[j], eError[j], ePart[j]);
          K::addCarried(o[j], oError[j], oPart[j]);
        }
      }
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        L::storeLanes(even + i + j * laneWidth, e[j] + eError[j]);
        L::storeLanes(odd + i + j * laneWidth, o[j] + oError[j]);
      }
    }
  }
};

// The table of phi_k at positions, for the blocked product of many rows: one vector of
// positions at a time runs the recurrence over the degrees, each stored as it comes.
template <VectorTarget target>
struct DiscreteChebyshevTable {
  using L = LaneSet<registerWidth(target)>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;

  static void run(const double* u, int32_t count, const double* rise, const double* scale,
                  double q0, FunctionTable& table, int32_t column) {
    const int32_t n = table.n;
    double padded[tableWidth] = {};
    std::copy(u, u + count, padded);
    for (int32_t at = 0; at < count; at += laneWidth) {
      const Lanes x = L::loadLanes(padded + at);
      const int32_t live = std::min(laneWidth, count - at);
      // The last vector may be ragged: only its live lanes are stored.
      auto store = [&](int32_t k, const Lanes& v) {
        double* to = table.row(k) + column + at;
        if (live == laneWidth) return L::storeLanes(to, v);
        double lanes[laneWidth];
        L::storeLanes(lanes, v);
        std::copy(lanes, lanes + live, to);
      };
      Lanes older{}, old = L::splat(q0);
      store(0, old);
      for (int32_t k = 1; k < n; ++k) {
        const Lanes next = L::splat(rise[k]) * x * old - older;
        older = old;
        old = next;
        store(k, next * scale[k]);
      }
    }
  }
};

}  // namespace

void discreteChebyshevProject(const double* u, const double* even, const double* odd, int32_t count,
                              const double* rise, const double* scale, double q0, int32_t n,
                              double* sums, VectorTarget target) {
  runOnTarget<DiscreteChebyshevProject>(target, u, even, odd, count, rise, scale, q0, n, sums);
}

void discreteChebyshevSeries(const double* u, int32_t count, const double* c, const double* rise,
                             const double* scale, double q0, int32_t n, double* even, double* odd,
                             VectorTarget target) {
  runOnTarget<DiscreteChebyshevSeries>(target, u, count, c, rise, scale, q0, n, even, odd);
}

void discreteChebyshevTable(const double* u, int32_t count, const double* rise, const double* scale,
                            double q0, FunctionTable& table, int32_t column, VectorTarget target) {
  runOnTarget<DiscreteChebyshevTable>(target, u, count, rise, scale, q0, table, column);
}
