#include "bases/discrete_chebyshev_lanes.h"

#include <algorithm>
#include <vector>

#include "bases/lanes.h"
#include "bases/progress_blocks.h"

namespace {

// Lanes of positions kept in registers while the recurrence runs over all degrees.
constexpr int32_t blockLanes = discreteChebyshevBlock / laneWidth;
static_assert(blockLanes * laneWidth == discreteChebyshevBlock);

// Blocks of positions, and of degrees, whose sums are formed alone before they are carried into
// the running sums: those then round against the small partial sums, not the large totals.
constexpr int32_t carryBlocks = 8;
constexpr int32_t carryDegrees = 8;

// sum + part, with the rounding error of the addition gathered in error.
inline void addCarried(Lanes& sum, Lanes& error, const Lanes& part) {
  const Lanes next = sum + part, taken = next - sum;
  error += (sum - (next - taken)) + (part - taken);
  sum = next;
}

}  // namespace

// The degrees go in pairs, odd then even, so that each takes its weight without a branch and
// q_{k-1}, q_{k-2} swap roles instead of moving.
vectorClones void discreteChebyshevProject(const double* u, const double* even, const double* odd,
                                           int32_t count, const double* rise, const double* scale,
                                           double q0, int32_t n, double* sums) {
  // One Lanes per degree: the sums of the current run of blocks, the carried sums, their error.
  const size_t size = static_cast<size_t>(n) * laneWidth;
  std::vector<double> acc(size, 0.0), total(size, 0.0), error(size, 0.0);
  auto carry = [&] {
    for (size_t k = 0; k < size; k += laneWidth) {
      Lanes sum = loadLanes(&total[k]), lost = loadLanes(&error[k]);
      addCarried(sum, lost, loadLanes(&acc[k]));
      storeLanes(&total[k], sum);
      storeLanes(&error[k], lost);
      storeLanes(&acc[k], Lanes{});
    }
  };
  BlockProgress progress(count, n);
  for (int32_t i = 0; i < count; i += discreteChebyshevBlock) {
    progress.at(i);
    if (i > 0 && i % (carryBlocks * discreteChebyshevBlock) == 0) carry();
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
  carry();
  for (int32_t k = 0; k < n; ++k) {
    const size_t at = static_cast<size_t>(k) * laneWidth;
    sums[k] = scale[k] * laneSum(loadLanes(&total[at]) + loadLanes(&error[at]));
  }
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
    Lanes eError[blockLanes], oError[blockLanes];
    for (int32_t j = 0; j < blockLanes; ++j) {
      x[j] = loadLanes(u + i + j * laneWidth);
      older[j] = Lanes{};
      old[j] = splat(q0);
      e[j] = old[j] * weight[0];
      o[j] = eError[j] = oError[j] = Lanes{};
    }
    int32_t k = 1;
    while (k < n) {
      Lanes ePart[blockLanes] = {}, oPart[blockLanes] = {};
      const int32_t end = std::min(n, k + carryDegrees);
      for (; k + 1 < end; k += 2) {
        const Lanes riseOdd = splat(rise[k]), riseEven = splat(rise[k + 1]);
        const Lanes weightOdd = splat(weight[k]), weightEven = splat(weight[k + 1]);
        for (int32_t j = 0; j < blockLanes; ++j) {
          older[j] = riseOdd * x[j] * old[j] - older[j];
          oPart[j] += weightOdd * older[j];
          old[j] = riseEven * x[j] * older[j] - old[j];
          ePart[j] += weightEven * old[j];
        }
      }
      if (k < end) {  // the last degree, odd
        const Lanes riseOdd = splat(rise[k]), weightOdd = splat(weight[k]);
        for (int32_t j = 0; j < blockLanes; ++j)
          oPart[j] += weightOdd * (riseOdd * x[j] * old[j] - older[j]);
        ++k;
      }
      for (int32_t j = 0; j < blockLanes; ++j) {
        addCarried(e[j], eError[j], ePart[j]);
        addCarried(o[j], oError[j], oPart[j]);
      }
    }
    for (int32_t j = 0; j < blockLanes; ++j) {
      storeLanes(even + i + j * laneWidth, e[j] + eError[j]);
      storeLanes(odd + i + j * laneWidth, o[j] + oError[j]);
    }
  }
}
