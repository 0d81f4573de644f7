#include "bases/discrete_chebyshev_lanes.h"

#include <vector>

#include "bases/lanes.h"
#include "bases/progress_blocks.h"

namespace {

// Lanes of positions kept in registers while the recurrence runs over all degrees.
constexpr int32_t blockLanes = discreteChebyshevBlock / laneWidth;
static_assert(blockLanes * laneWidth == discreteChebyshevBlock);

}  // namespace

// The degrees go in pairs, odd then even, so that each takes its weight without a branch and
// q_{k-1}, q_{k-2} swap roles instead of moving.
vectorClones void discreteChebyshevProject(const double* u, const double* even, const double* odd,
                                           int32_t count, const double* rise, const double* scale,
                                           double q0, int32_t n, double* sums) {
  std::vector<double> acc(static_cast<size_t>(n) * laneWidth, 0.0);  // one Lanes per degree
  BlockProgress progress(count, n);
  for (int32_t i = 0; i < count; i += discreteChebyshevBlock) {
    progress.at(i);
    Lanes x[blockLanes], e[blockLanes], o[blockLanes], older[blockLanes], old[blockLanes];
    Lanes first = loadLanes(&acc[0]);
    for (int32_t j = 0; j < blockLanes; ++j) {
      x[j] = loadLanes(u + i + j * laneWidth);
      e[j] = loadLanes(even + i + j * laneWidth);
      o[j] = loadLanes(odd + i + j * laneWidth);
      older[j] = Lanes{};
      old[j] = splat(q0);
      first += old[j] * e[j];
    }
    storeLanes(&acc[0], first);
    int32_t k = 1;
    for (; k + 1 < n; k += 2) {
      const Lanes riseOdd = splat(rise[k]), riseEven = splat(rise[k + 1]);
      Lanes sumOdd = loadLanes(&acc[static_cast<size_t>(k) * laneWidth]);
      for (int32_t j = 0; j < blockLanes; ++j) {
        older[j] = riseOdd * x[j] * old[j] - older[j];
        sumOdd += older[j] * o[j];
      }
      storeLanes(&acc[static_cast<size_t>(k) * laneWidth], sumOdd);
      Lanes sumEven = loadLanes(&acc[static_cast<size_t>(k + 1) * laneWidth]);
      for (int32_t j = 0; j < blockLanes; ++j) {
        old[j] = riseEven * x[j] * older[j] - old[j];
        sumEven += old[j] * e[j];
      }
      storeLanes(&acc[static_cast<size_t>(k + 1) * laneWidth], sumEven);
    }
    if (k < n) {
      const Lanes riseOdd = splat(rise[k]);
      Lanes sumOdd = loadLanes(&acc[static_cast<size_t>(k) * laneWidth]);
      for (int32_t j = 0; j < blockLanes; ++j)
        sumOdd += (riseOdd * x[j] * old[j] - older[j]) * o[j];
      storeLanes(&acc[static_cast<size_t>(k) * laneWidth], sumOdd);
    }
  }
  for (int32_t k = 0; k < n; ++k)
    sums[k] = scale[k] * laneSum(loadLanes(&acc[static_cast<size_t>(k) * laneWidth]));
}

vectorClones void discreteChebyshevSeries(const double* u, int32_t count, const double* c,
                                          const double* rise, const double* scale, double q0,
                                          int32_t n, double* even, double* odd) {
  std::vector<double> weight(n);  // c[k] phi_k / q_k
  for (int32_t k = 0; k < n; ++k)
    weight[k] = c[k] * scale[k];
  BlockProgress progress(count, n);
  for (int32_t i = 0; i < count; i += discreteChebyshevBlock) {
    progress.at(i);
    Lanes x[blockLanes], e[blockLanes], o[blockLanes], older[blockLanes], old[blockLanes];
    for (int32_t j = 0; j < blockLanes; ++j) {
      x[j] = loadLanes(u + i + j * laneWidth);
      older[j] = Lanes{};
      old[j] = splat(q0);
      e[j] = old[j] * weight[0];
      o[j] = Lanes{};
    }
    int32_t k = 1;
    for (; k + 1 < n; k += 2) {
      const Lanes riseOdd = splat(rise[k]), riseEven = splat(rise[k + 1]);
      const Lanes weightOdd = splat(weight[k]), weightEven = splat(weight[k + 1]);
      for (int32_t j = 0; j < blockLanes; ++j) {
        older[j] = riseOdd * x[j] * old[j] - older[j];
        o[j] += weightOdd * older[j];
        old[j] = riseEven * x[j] * older[j] - old[j];
        e[j] += weightEven * old[j];
      }
    }
    if (k < n) {
      const Lanes riseOdd = splat(rise[k]), weightOdd = splat(weight[k]);
      for (int32_t j = 0; j < blockLanes; ++j)
        o[j] += weightOdd * (riseOdd * x[j] * old[j] - older[j]);
    }
    for (int32_t j = 0; j < blockLanes; ++j) {
      storeLanes(even + i + j * laneWidth, e[j]);
      storeLanes(odd + i + j * laneWidth, o[j]);
    }
  }
}
