// Each lane walks u_k = s^k (1 - s)^(N-1-k), whose sum with the coefficients (binomials folded
// in) is the series: u_0 = (1 - s)^(N-1) and u_{k+1} = u_k r with r = s / (1 - s) <= 1. A
// plain walk would carry errors of up to N units: 1 - s and r are rounded (and their errors
// come back N - 1 and k times), the start term's squarings double their errors, and repeated
// products with one r round the same way when r is near a power of two (g near 1/3, 1/5, ...).
// So 1 - s, r and the walked term are pairs high + low, the products' rounding errors kept
// exactly in low by fused multiply-adds. The walk strides over bernsteinWalkStride terms at a
// time, by r^stride: term k + j is u_k r^j, and its share goes into phase sum j, which is
// multiplied by r^j (a pair again) once at the end.
#include "bases/bernstein_lanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bases/lanes.h"

namespace {

constexpr int32_t stride = bernsteinWalkStride;
constexpr int32_t checkEvery = 2 * stride;  // terms between two looks for a negligible tail
// A term below this, with the next ratio below 1/2, leaves a tail under 2^-79 of the largest
// coefficient: the walk stops there.
constexpr double negligibleTerm = 0x1p-80;

// Vectors of abscissae walked together: each keeps its term, its ratio and `stride` sums in
// registers, twelve vectors, so that AVX2's and SSE2's sixteen registers take one and
// AVX-512's thirty-two take two.
constexpr LaneShape bernsteinShape(VectorTarget target) {
  switch (target) {
    case VectorTarget::avx512:
      return {8, 2};
    case VectorTarget::avx2:
      return {4, 1};
    default:
      return {2, 1};
  }
}

template <VectorTarget target>
struct BernsteinWalkLanes {
  using L = LaneSet<bernsteinShape(target).width>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;
  static constexpr int32_t blockLanes = bernsteinShape(target).chains;
  static constexpr int32_t block = blockLanes * laneWidth;

  // a b + c in every lane with a single rounding, on any instruction set. Through a union (which
  // GCC defines): GCC 12 at -O3 miscompiles the same loop written on the vectors' elements, and
  // through arrays it keeps them on the stack.
  static Lanes fusedMultiplyAdd(const Lanes& a, const Lanes& b, const Lanes& c) {
    union Doubles {
      Lanes lanes;
      double d[laneWidth];
    };
    const Doubles x{a}, y{b}, z{c};
    Doubles r;
    for (int32_t l = 0; l < laneWidth; ++l)
      r.d[l] = std::fma(x.d[l], y.d[l], z.d[l]);
    return r.lanes;
  }

  // A value high + low, low small beside high.
  struct Pair {
    Lanes high, low;
  };

  // The product of two pairs, to second order in the units.
  static Pair times(const Pair& a, const Pair& b) {
    const Lanes product = a.high * b.high;
    return {product,
            fusedMultiplyAdd(a.high, b.high, -product) + (a.high * b.low + a.low * b.high)};
  }

  // h^e = p + err by squaring, err the products' rounding errors carried to first order.
  [[gnu::always_inline]] static Pair powerOf(const Lanes& h, int32_t exponent) {
    int32_t topBit = 0;
    while (exponent >> (topBit + 1))
      ++topBit;
    Lanes p = L::splat(1.0), e = {};
    for (int32_t bit = topBit; bit >= 0; --bit) {
      const Lanes square = p * p;
      e = fusedMultiplyAdd(p, p, -square) + 2.0 * p * e;
      p = square;
      if (exponent >> bit & 1) {
        const Lanes product = p * h;
        e = fusedMultiplyAdd(p, h, -product) + e * h;
        p = product;
      }
    }
    return {p, e};
  }

  // All lanes of the comparison `m` true.
  template <typename Mask>
  static bool allLanes(const Mask& m) {
    static_assert(sizeof m == laneWidth * sizeof(int64_t));
    int64_t lanes[laneWidth];
    std::memcpy(lanes, &m, sizeof lanes);
    for (int32_t l = 0; l < laneWidth; ++l)
      if (!lanes[l]) return false;
    return true;
  }

  static void run(const BernsteinWalk& walk, double* values, int32_t count) {
    const int32_t n = walk.n;
    if (n < 1 || count < 1) return;
    const int32_t exponent = n - 1, half = exponent / 2;
    const double startScale = std::ldexp(1.0, n / 2);

    for (int32_t first = 0; first < count; first += block) {
      const int32_t here = std::min(block, count - first);
      double lanes[block] = {};  // padding lanes walk s = 0
      std::copy(values + first, values + first + here, lanes);

      // Per lane: the term u_k, r^stride, the powers r^j and the phase sums.
      Pair term[blockLanes], ratioStride[blockLanes], ratioPower[blockLanes][stride];
      Lanes rHigh[blockLanes], sums[blockLanes][stride];
      for (int32_t b = 0; b < blockLanes; ++b) {
        const Lanes s = L::loadLanes(lanes + b * laneWidth);
        const Lanes h = 1.0 - s;
        const Lanes hLow = (1.0 - h) - s;  // 1 - s = h + hLow exactly
        const Lanes hInverse = 1.0 / h;
        // r = rHigh + rLow: any rHigh near s / h, and rLow its remainder to second order.
        rHigh[b] = s * hInverse;
        const Pair r = {rHigh[b], (fusedMultiplyAdd(-rHigh[b], h, s) - rHigh[b] * hLow) * hInverse};
        // r^j from r^(j/2) r^(j-j/2): a chain of three products instead of seven.
        Pair* power = ratioPower[b];
        power[0] = {L::splat(1.0), Lanes{}};
        power[1] = r;
#pragma GCC unroll 8
        for (int32_t j = 2; j < stride; ++j)
          power[j] = times(power[j / 2], power[j - j / 2]);
        ratioStride[b] = times(power[stride / 2], power[stride / 2]);
        // h^(N-1) as h^half (scaled) times h^(N-1-half): each factor is at least 2^-1022, and
        // so is their product, 2^(N/2) (1/2)^(N-1) at the least.
        const Pair first = powerOf(h, half), second = powerOf(h, exponent - half);
        const Pair p = times(Pair{first.high * startScale, first.low * startScale}, second);
        // (h + hLow)^(N-1) = p (1 + (N-1) hLow / h) to first order.
        term[b] = {p.high, p.low + p.high * (static_cast<double>(exponent) * (hLow * hInverse))};
#pragma GCC unroll 8
        for (int32_t j = 0; j < stride; ++j)
          sums[b][j] = Lanes{};
      }

      for (int32_t k = 0; k < n;) {
        const int32_t stop = std::min(n, k + checkEvery);
        for (; k < stop; k += stride) {
          const double* w = walk.terms + k;
#pragma GCC unroll 4
          for (int32_t b = 0; b < blockLanes; ++b) {
            const Lanes u = term[b].high + term[b].low;
#pragma GCC unroll 8
            for (int32_t j = 0; j < stride; ++j)
              sums[b][j] += w[j] * u;
            term[b] = times(term[b], ratioStride[b]);
          }
        }
        if (k >= n) break;
        // Past its largest term every lane's terms fall by more than half a step from here on.
        const Lanes binomial = L::splat(walk.binomials[k]), step = L::splat(walk.steps[k]);
        bool negligible = true;
        for (int32_t b = 0; b < blockLanes && negligible; ++b)
          negligible =
              allLanes((term[b].high * binomial < negligibleTerm) & (rHigh[b] * step < 0.5));
        if (negligible) break;
      }

      for (int32_t b = 0; b < blockLanes; ++b) {
        Lanes value = {};
#pragma GCC unroll 8
        for (int32_t j = 0; j < stride; ++j)
          value += sums[b][j] * ratioPower[b][j].high + sums[b][j] * ratioPower[b][j].low;
        L::storeLanes(lanes + b * laneWidth, value * walk.scale);
      }
      std::copy(lanes, lanes + here, values + first);
    }
  }
};

}  // namespace

void bernsteinWalkLanes(const BernsteinWalk& walk, double* values, int32_t count,
                        VectorTarget target) {
  runOnTarget<BernsteinWalkLanes>(target, walk, values, count);
}
