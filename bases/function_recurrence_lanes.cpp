#include "bases/function_recurrence_lanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "bases/lanes.h"
#include "bases/progress_blocks.h"
#include "bases/table_product_lanes.h"

// Both families run a two-term recurrence (a, b) per lane over all degrees, the value of
// degree k being a times the factor's mantissa times 2^E, with the mantissa and the exponent
// E kept per lane. E is folded into two multipliers, first = mantissa 2^(E + shift) and
// second = 2^-shift (shift = 600 where 2^E alone would be subnormal), which meet the weights
// (once per block) or the sums (once at the end) rather than every value, so that results are
// rounded once into the subnormal range; below 2^-1622 the factor is 0.
// When |a| + |b| passes 2^512 (one vector compare per eight degrees), the lanes concerned are
// scaled by 2^-512, exactly, and 512 moves into their E: values up to 2^512 times a normal
// first never lose digits, and as one degree multiplies a lane by at most 2^52 (|t| stays
// below 2^21 for Hermite and 2^50 for Sonin-Laguerre), eight cannot carry it to overflow.

namespace {

constexpr double rangeLimit = 0x1p512;
constexpr double rangeStep = 0x1p-512;
constexpr double piToMinusQuarter = 0.75112554446494248286;  // psi_0(0)

template <bool odd>
using Parity = std::integral_constant<bool, odd>;

// The largest |x[i]|, and the binary exponent s that brings it near 1 when it lies outside
// [2^-400, 2^400], and 0 otherwise. The kernels run on x 2^-s and scale their results by 2^s,
// so that sums of values up to 2^600 cannot overflow and a lane's factor never meets inputs so
// small that their products lose digits.
double largestMagnitude(const double* x, int32_t count) {
  double largest = 0;
  for (int32_t i = 0; x && i < count; ++i)
    largest = std::fabs(x[i]) > largest ? std::fabs(x[i]) : largest;
  return largest;
}

int32_t normalExponent(double largest) {
  if (!(largest > 0x1p400 || largest < 0x1p-400) || !(largest > 0) || !std::isfinite(largest))
    return 0;
  int e = 0;
  std::frexp(largest, &e);
  return std::clamp(e, -1000, 1000);
}

// Vectors per block of abscissae: each carries the two values of its recurrence and meets its
// abscissae and weights. Four chains measured best on every target at (M, N) = (10^5, 10^3)
// (three were a third slower, six no faster); the chain loops are unrolled explicitly, so that
// -O2 keeps the chains in registers as -O3 does.
constexpr LaneShape functionShape(VectorTarget target) {
  return {registerWidth(target), 4};
}

// Everything the kernels of one target share.
template <VectorTarget target>
struct FunctionLanes {
  using L = LaneSet<functionShape(target).width>;
  using Lanes = typename L::Lanes;
  using LaneBits = typename L::LaneBits;
  static constexpr int32_t laneWidth = L::laneWidth;
  static constexpr int32_t blockLanes = functionShape(target).chains;  // Lanes per block
  static constexpr int32_t blockWidth = blockLanes * laneWidth;        // abscissae per block

  static Lanes magnitude(const Lanes& v) { return (Lanes)((LaneBits)v & (LaneBits{} + INT64_MAX)); }

  static bool anyLane(const LaneBits& m) {
    int64_t any = 0;
    for (int32_t l = 0; l < laneWidth; ++l)
      any |= m[l];
    return any != 0;
  }

  static Lanes select(const LaneBits& m, const Lanes& yes, const Lanes& no) {
    return (Lanes)(((LaneBits)yes & m) | ((LaneBits)no & ~m));
  }

  // 2^e for integer-valued e in [-1022, 1023]: e + 1023 lands in the low bits of 2^52 + e + 1023
  // and moves into the exponent field.
  static Lanes powerOfTwo(const Lanes& e) {
    const Lanes biased = e + (1023.0 + 0x1p52);
    return (Lanes)(((LaneBits)biased - (LaneBits)L::splat(0x1p52)) << 52);
  }

  // first and second from the factor's mantissa and the exponent E.
  static void multipliers(const Lanes& mantissa, const Lanes& e, Lanes& first, Lanes& second) {
    const LaneBits subnormal = e < -1022.0;
    const Lanes shifted = e + select(subnormal, L::splat(600.0), Lanes{});
    const Lanes clamped =
        shifted < -1022.0 ? L::splat(-1022.0) : (shifted > 1023.0 ? L::splat(1023.0) : shifted);
    first = mantissa * powerOfTwo(clamped);
    first = select(e < -1622.0, Lanes{}, first);
    first = select(shifted > 1023.0, mantissa * __builtin_inf(), first);
    second = select(subnormal, L::splat(0x1p-600), L::splat(1.0));
  }

  // The registers of one block: abscissae start .. start + blockWidth - 1, padded with lanes at
  // t = 0 of factor 0.
  struct Block {
    Lanes t[blockLanes], a[blockLanes], b[blockLanes], mantissa[blockLanes], e[blockLanes];
    Lanes first[blockLanes], second[blockLanes];
  };

  static Block loadBlock(const FactoredPoints& points, int32_t start, double a0, double b0) {
    Block r;
    const bool whole = start + blockWidth <= points.count;
#pragma GCC unroll 16
    for (int32_t j = 0; j < blockLanes; ++j) {
      const int32_t from = start + j * laneWidth;
      if (whole) {
        LaneBits exponent;
        std::memcpy(&exponent, points.exponent + from, sizeof exponent);
        r.t[j] = L::loadLanes(points.t + from);
        r.mantissa[j] = L::loadLanes(points.mantissa + from);
        r.e[j] = __builtin_convertvector(exponent, Lanes);
      } else {
        double at[laneWidth], m[laneWidth], x[laneWidth];
        for (int32_t l = 0; l < laneWidth; ++l) {
          const bool real = from + l < points.count;
          at[l] = real ? points.t[from + l] : 0.0;
          m[l] = real ? points.mantissa[from + l] : 0.0;
          x[l] = real ? static_cast<double>(points.exponent[from + l]) : 0.0;
        }
        r.t[j] = L::loadLanes(at);
        r.mantissa[j] = L::loadLanes(m);
        r.e[j] = L::loadLanes(x);
      }
      r.a[j] = L::splat(a0);
      r.b[j] = L::splat(b0);
      multipliers(r.mantissa[j], r.e[j], r.first[j], r.second[j]);
    }
    return r;
  }

  // Lanes j of a block's inputs x[start ..] times `scale`, 0 past count.
  static Lanes loadInputs(const double* x, int32_t start, int32_t j, int32_t count, double scale) {
    const int32_t from = start + j * laneWidth;
    if (from + laneWidth <= count) return L::loadLanes(x + from) * scale;
    double in[laneWidth];
    for (int32_t l = 0; l < laneWidth; ++l)
      in[l] = from + l < count ? x[from + l] * scale : 0.0;
    return L::loadLanes(in);
  }

  // The walk of a block over the degrees: `step(k, t, a, b)` advances one Lanes to degree k,
  // and `visit(k, Parity<k odd>, a)` sees the values of degree k as a times the lanes' factor
  // F = r.first r.second. When lanes are rescaled, F grows by 2^512 (from 0 for a lane whose
  // factor was below the range); `rescaled(j, carry)` hears of it, carry being what an
  // accumulated sum of a's of Lanes j must be multiplied by to stay in units of the new F.
  // Returns whether every value of the block was 0.
  template <class Step, class Visit, class Rescaled>
  static bool walkBlock(Block& r, int32_t n, const Step& step, const Visit& visit,
                        const Rescaled& rescaled) {
    auto degree = [&](int32_t k, auto parity) __attribute__((always_inline)) {
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j)
        step(k, r.t[j], r.a[j], r.b[j]);
      visit(k, parity, r.a);
    };
    // A conservative test on the sum of all sizes (a and b are finite in every lane), then the
    // lanes that passed.
    auto keepInRange = [&]() __attribute__((always_inline)) {
      Lanes size[blockLanes], total{};
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        size[j] = magnitude(r.a[j]) + magnitude(r.b[j]);
        total += size[j];
      }
      if (!(L::laneSum(total) > rangeLimit)) [[likely]]
        return;
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        const LaneBits far = size[j] > rangeLimit;
        const Lanes step = select(far, L::splat(rangeStep), L::splat(1.0));
        r.a[j] *= step;
        r.b[j] *= step;
        const Lanes carry = select(r.e[j] < -1622.0, Lanes{}, step);
        r.e[j] += select(far, L::splat(512.0), Lanes{});
        multipliers(r.mantissa[j], r.e[j], r.first[j], r.second[j]);
        rescaled(j, select(far, carry, L::splat(1.0)));
      }
    };
    visit(0, Parity<false>{}, r.a);
    int32_t k = 1;
    for (; k + 7 < n; k += 8) {
      for (int32_t d = 0; d < 8; d += 2) {
        degree(k + d, Parity<true>{});
        degree(k + d + 1, Parity<false>{});
      }
      keepInRange();
    }
    for (; k + 1 < n; k += 2) {
      degree(k, Parity<true>{});
      degree(k + 1, Parity<false>{});
    }
    if (k < n) degree(k, Parity<true>{});
    Lanes present = magnitude(r.first[0]);
    for (int32_t j = 1; j < blockLanes; ++j)
      present += magnitude(r.first[j]);
    return !anyLane(present != 0);
  }

  // Projections: acc (one Lanes per degree) += the values times the weights of their parity
  // (one weight for both without `folded`); the weights, scaled by 2^-s, carry the lanes'
  // factors, so that each term is one fused multiply-add.
  template <bool folded, class Step>
  static void projectBlocks(const FactoredPoints& points, const double* even, const double* odd,
                            double a0, double b0, const Step& step, int32_t n, double stopBeyond,
                            double* c, BlockProgress& progress) {
    if (n <= 0) return;
    const int32_t s = normalExponent(
        std::fmax(largestMagnitude(even, points.count), largestMagnitude(odd, points.count)));
    const double down = std::ldexp(1.0, -s);
    std::vector<double> acc(static_cast<size_t>(n) * laneWidth, 0.0);
    for (int32_t i = 0; i < points.count; i += blockWidth) {
      progress.at(i);
      Block r = loadBlock(points, i, a0, b0);
      Lanes evenBase[blockLanes], oddBase[blockLanes], evenWeight[blockLanes],
          oddWeight[blockLanes];
      auto weigh = [&](int32_t j) {
        evenWeight[j] = evenBase[j] * r.first[j] * r.second[j];
        oddWeight[j] = oddBase[j] * r.first[j] * r.second[j];
      };
#pragma GCC unroll 16
      for (int32_t j = 0; j < blockLanes; ++j) {
        evenBase[j] = loadInputs(even, i, j, points.count, down);
        oddBase[j] = folded ? loadInputs(odd, i, j, points.count, down) : Lanes{};
        weigh(j);
      }
      const bool empty = walkBlock(
          r, n, step,
          [&](int32_t k, auto parity, const Lanes* a) __attribute__((always_inline)) {
            const Lanes* weight = folded && parity ? oddWeight : evenWeight;
            double* into = &acc[static_cast<size_t>(k) * laneWidth];
            Lanes sum = L::loadLanes(into);
#pragma GCC unroll 16
            for (int32_t j = 0; j < blockLanes; ++j)
              sum += a[j] * weight[j];
            L::storeLanes(into, sum);
          },
          [&](int32_t j, const Lanes&) { weigh(j); });
      if (empty && points.t[i] > stopBeyond) break;
    }
    for (int32_t k = 0; k < n; ++k)
      c[k] += s ? std::ldexp(L::laneSum(L::loadLanes(&acc[static_cast<size_t>(k) * laneWidth])), s)
                : L::laneSum(L::loadLanes(&acc[static_cast<size_t>(k) * laneWidth]));
  }

  // The series values of a block from its sums: plus = (even + odd) F 2^s, minus = (even - odd)
  // F 2^s, rounded once.
  static void writeValues(const Block& r, const Lanes* even, const Lanes* odd, int32_t s,
                          double* plus, double* minus, int32_t count) {
    double e[blockWidth], o[blockWidth], second[blockWidth];
#pragma GCC unroll 16
    for (int32_t j = 0; j < blockLanes; ++j) {
      L::storeLanes(e + j * laneWidth, even[j] * r.first[j]);
      L::storeLanes(o + j * laneWidth, odd[j] * r.first[j]);
      L::storeLanes(second + j * laneWidth, r.second[j]);
    }
    for (int32_t l = 0; l < count; ++l) {
      if (s == 0) {
        plus[l] = (e[l] + o[l]) * second[l];
        if (minus) minus[l] = (e[l] - o[l]) * second[l];
        continue;
      }
      const int32_t back = s - (second[l] != 1.0 ? 600 : 0);
      plus[l] = std::ldexp(e[l] + o[l], back);
      if (minus) minus[l] = std::ldexp(e[l] - o[l], back);
    }
  }

  // Series: plus = the sum of c[k] times the values, minus (when asked) with the odd terms
  // negated; the two parities are summed apart only when `folded`. The sums run over c 2^-s
  // in units of the lanes' factors, which they meet once at the end.
  template <bool folded, class Step>
  static void seriesBlocks(const FactoredPoints& points, double a0, double b0, const Step& step,
                           const double* c, int32_t n, double stopBeyond, double* plus,
                           double* minus, BlockProgress& progress) {
    const int32_t s = normalExponent(largestMagnitude(c, n));
    std::vector<double> scaled(std::max(n, 0));
    for (int32_t k = 0; k < n; ++k)
      scaled[k] = std::ldexp(c[k], -s);
    int32_t i = 0;
    for (; i < points.count && n > 0; i += blockWidth) {
      progress.at(i);
      Block r = loadBlock(points, i, a0, b0);
      Lanes even[blockLanes] = {}, odd[blockLanes] = {};
      const bool empty = walkBlock(
          r, n, step,
          [&](int32_t k, auto parity, const Lanes* a) __attribute__((always_inline)) {
            Lanes* sum = folded && parity ? odd : even;
            const Lanes term = L::splat(scaled[k]);
#pragma GCC unroll 16
            for (int32_t j = 0; j < blockLanes; ++j)
              sum[j] += term * a[j];
          },
          [&](int32_t j, const Lanes& carry) {
            even[j] *= carry;
            odd[j] *= carry;
          });
      const int32_t count = std::min(blockWidth, points.count - i);
      if (s == 0 && count == blockWidth) {
#pragma GCC unroll 16
        for (int32_t j = 0; j < blockLanes; ++j) {
          const Lanes e = even[j] * r.first[j], o = odd[j] * r.first[j];
          L::storeLanes(plus + i + j * laneWidth, (e + o) * r.second[j]);
          if (minus) L::storeLanes(minus + i + j * laneWidth, (e - o) * r.second[j]);
        }
      } else {
        writeValues(r, even, odd, s, plus + i, minus ? minus + i : nullptr, count);
      }
      if (empty && points.t[i] > stopBeyond) {
        i += blockWidth;
        break;
      }
    }
    for (; i < points.count; ++i) {
      plus[i] = 0.0;
      if (minus) minus[i] = 0.0;
    }
  }

  // The table of the functions at points (at most tableWidth of them): each degree's values
  // a F stored as they come, F rounding them once into the subnormal range as the projections
  // do.
  template <class Step>
  static void tableBlocks(const FactoredPoints& points, double a0, double b0, const Step& step,
                          FunctionTable& table) {
    for (int32_t i = 0; i < points.count; i += blockWidth) {
      Block r = loadBlock(points, i, a0, b0);
      walkBlock(
          r, table.n, step,
          [&](int32_t k, auto, const Lanes* a) __attribute__((always_inline)) {
            double* into = table.row(k) + i;
#pragma GCC unroll 16
            for (int32_t j = 0; j < blockLanes; ++j)
              L::storeLanes(into + j * laneWidth, a[j] * r.first[j] * r.second[j]);
          },
          [](int32_t, const Lanes&) {});
    }
  }

  struct HermiteStep {
    HermiteSteps steps;
    void operator()(int32_t k, const Lanes& t, Lanes& a, Lanes& b) const {
      const Lanes next = (L::splat(steps.rise[k]) * t) * a - L::splat(steps.fall[k]) * b;
      b = a;
      a = next;
    }
  };

  // With order[k] / k and t / k taken apart, b enters the next a through one product and one
  // fused multiply-add: the chain from degree to degree is short.
  struct LaguerreStep {
    LaguerreSteps steps;
    void operator()(int32_t k, const Lanes& t, Lanes& a, Lanes& b) const {
      const Lanes reduced = t * L::splat(steps.inverse[k]);  // t / k
      a = L::splat(steps.order[k]) * a - reduced * b;
      b += a;
    }
  };
};

template <VectorTarget target>
struct HermiteProject {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, const double* even, const double* odd,
                  HermiteSteps steps, int32_t n, double stopBeyond, double* c,
                  BlockProgress& progress) {
    F::template projectBlocks<true>(points, even, odd, piToMinusQuarter, 0.0,
                                    typename F::HermiteStep{steps}, n, stopBeyond, c, progress);
  }
};

template <VectorTarget target>
struct HermiteSeries {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, HermiteSteps steps, const double* c, int32_t n,
                  double stopBeyond, double* plus, double* minus, BlockProgress& progress) {
    F::template seriesBlocks<true>(points, piToMinusQuarter, 0.0, typename F::HermiteStep{steps}, c,
                                   n, stopBeyond, plus, minus, progress);
  }
};

template <VectorTarget target>
struct LaguerreProject {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, const double* weight, LaguerreSteps steps,
                  int32_t n, double stopBeyond, double* sums, BlockProgress& progress) {
    F::template projectBlocks<false>(points, weight, nullptr, 1.0, 1.0,
                                     typename F::LaguerreStep{steps}, n, stopBeyond, sums,
                                     progress);
  }
};

template <VectorTarget target>
struct LaguerreSeries {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, LaguerreSteps steps, const double* c, int32_t n,
                  double stopBeyond, double* values, BlockProgress& progress) {
    F::template seriesBlocks<false>(points, 1.0, 1.0, typename F::LaguerreStep{steps}, c, n,
                                    stopBeyond, values, nullptr, progress);
  }
};

template <VectorTarget target>
struct HermiteTable {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, HermiteSteps steps, FunctionTable& table) {
    F::tableBlocks(points, piToMinusQuarter, 0.0, typename F::HermiteStep{steps}, table);
  }
};

template <VectorTarget target>
struct LaguerreTable {
  using F = FunctionLanes<target>;
  static void run(const FactoredPoints& points, LaguerreSteps steps, FunctionTable& table) {
    F::tableBlocks(points, 1.0, 1.0, typename F::LaguerreStep{steps}, table);
  }
};

}  // namespace

void hermiteTable(const FactoredPoints& points, HermiteSteps steps, FunctionTable& table,
                  VectorTarget target) {
  runOnTarget<HermiteTable>(target, points, steps, table);
}

void laguerreTable(const FactoredPoints& points, LaguerreSteps steps, FunctionTable& table,
                   VectorTarget target) {
  runOnTarget<LaguerreTable>(target, points, steps, table);
}

void hermiteProject(const FactoredPoints& points, const double* even, const double* odd,
                    HermiteSteps steps, int32_t n, double stopBeyond, double* c,
                    BlockProgress& progress, VectorTarget target) {
  runOnTarget<HermiteProject>(target, points, even, odd, steps, n, stopBeyond, c, progress);
}

void hermiteSeries(const FactoredPoints& points, HermiteSteps steps, const double* c, int32_t n,
                   double stopBeyond, double* plus, double* minus, BlockProgress& progress,
                   VectorTarget target) {
  runOnTarget<HermiteSeries>(target, points, steps, c, n, stopBeyond, plus, minus, progress);
}

void laguerreProject(const FactoredPoints& points, const double* weight, LaguerreSteps steps,
                     int32_t n, double stopBeyond, double* sums, BlockProgress& progress,
                     VectorTarget target) {
  runOnTarget<LaguerreProject>(target, points, weight, steps, n, stopBeyond, sums, progress);
}

void laguerreSeries(const FactoredPoints& points, LaguerreSteps steps, const double* c, int32_t n,
                    double stopBeyond, double* values, BlockProgress& progress,
                    VectorTarget target) {
  runOnTarget<LaguerreSeries>(target, points, steps, c, n, stopBeyond, values, progress);
}
