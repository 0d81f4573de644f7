// Angles pi p / q of closed-form nodes and their sine and cosine, in vectors of doubles, for the
// node kernels (bases/legendre_lanes.cpp, bases/chebyshev2_lanes.cpp).
//
// A node cos(pi p / q) near 0 keeps its relative digits only as sin(pi/2 - pi p / q), so the
// kernels take the smaller of the two angles, which is at most pi/4, and form it in twice double
// precision: p / q as a quotient and its exact remainder, times pi as a pair of doubles. The
// pairs rest on error-free products (Dekker's splitting), so the files that include this header
// are built without fused multiply-adds (which would break the splitting's exactness), and every
// target gives the same bits.
#pragma once

#include <cstdint>

#include "bases/lanes.h"

template <int32_t width>
struct QuarterAngle {
  using L = LaneSet<width>;
  using Lanes = typename L::Lanes;

  // Stores the lanes of nodes x and weights w for the indices first .. min(first + width - 1,
  // last), 1-based from the upper end: node m - i takes x, its mirror i - 1 takes -x.
  static void storeMirrored(int32_t m, int32_t first, int32_t last, const Lanes& x, const Lanes& w,
                            double* nodes, double* weights) {
    double xs[width], ws[width];
    L::storeLanes(xs, x);
    L::storeLanes(ws, w);
    for (int32_t l = 0; l < width && first + l <= last; ++l) {
      const int32_t i = first + l;
      nodes[m - i] = xs[l];
      nodes[i - 1] = -xs[l];
      weights[m - i] = weights[i - 1] = ws[l];
    }
  }

  // A value high + low with low below half a unit of high's last place.
  struct Pair {
    Lanes high, low;
  };

  // a = high + low with each half holding at most 26 significant bits.
  static Pair split(const Lanes& a) {
    const Lanes c = a * 134217729.0;  // 2^27 + 1
    const Lanes high = c - (c - a);
    return {high, a - high};
  }

  // The exact product a b = high + low.
  static Pair product(const Lanes& a, const Lanes& b) {
    const Pair x = split(a), y = split(b);
    const Lanes p = a * b;
    return {p, ((x.high * y.high - p) + x.high * y.low + x.low * y.high) + x.low * y.low};
  }

  // The exact sum a + b = high + low.
  static Pair sum(const Lanes& a, const Lanes& b) {
    const Lanes s = a + b;
    const Lanes bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
  }

  // pi p / q + c as a pair, for integers p, q (below 2^53, q > 0) and a small c given to double
  // precision, to about 2^-104 of the angle besides c's own error.
  static Pair piFraction(const Lanes& p, const Lanes& q, const Lanes& c) {
    constexpr double piHigh = 3.141592653589793, piLow = 1.2246467991473532e-16;
    const Lanes r = p / q;
    const Pair rq = product(r, q);
    const Lanes rest = ((p - rq.high) - rq.low) / q;  // p / q - r; p - rq.high is exact
    const Pair pr = product(L::splat(piHigh), r);
    const Pair angle = sum(pr.high, c);
    const Lanes low = angle.low + (pr.low + (piLow * r + piHigh * rest));
    const Lanes high = angle.high + low;
    return {high, low - (high - angle.high)};
  }

  // sin x and cos x of x = high + low, |x| <= pi/4 + a little, by their Taylor series about 0
  // (the first terms left out are below 2^-62 of the result), with high^2 exact so that
  // cos x = 1 - x^2/2 + ... keeps half a unit. The low half enters to first order, before the
  // last rounding.
  static void sinCos(const Pair& x, Lanes& sine, Lanes& cosine) {
    Pair s, c;
    sinCosParts(x, s, c);
    sine = s.high + s.low;
    cosine = c.high + c.low;
  }

  // The same as sums high + low not yet rounded (low may be a tenth of high), for a caller that
  // adds a small correction before the one rounding.
  static void sinCosParts(const Pair& x, Pair& sine, Pair& cosine) {
    const Lanes h = x.high;
    const Pair square = product(h, h);
    const Lanes z = square.high;
    // sin h = h + h^3 (-1/3! + z (1/5! - ...)), to h^19 / 19!.
    Lanes s = L::splat(-1.0 / 121645100408832000.0);
    s = s * z + 1.0 / 355687428096000.0;
    s = s * z - 1.0 / 1307674368000.0;
    s = s * z + 1.0 / 6227020800.0;
    s = s * z - 1.0 / 39916800.0;
    s = s * z + 1.0 / 362880.0;
    s = s * z - 1.0 / 5040.0;
    s = s * z + 1.0 / 120.0;
    s = s * z - 1.0 / 6.0;
    // cos h = 1 - z/2 + z^2 (1/4! - z (1/6! - ...)), to h^20 / 20!.
    Lanes c = L::splat(1.0 / 2432902008176640000.0);
    c = c * z - 1.0 / 6402373705728000.0;
    c = c * z + 1.0 / 20922789888000.0;
    c = c * z - 1.0 / 87178291200.0;
    c = c * z + 1.0 / 479001600.0;
    c = c * z - 1.0 / 3628800.0;
    c = c * z + 1.0 / 40320.0;
    c = c * z - 1.0 / 720.0;
    c = c * z + 1.0 / 24.0;
    const Lanes half = z * 0.5;  // exact
    const Lanes w = 1.0 - half;
    // (1 - w) - half is the rounding error of w; h^2 / 2 = half + square.low / 2.
    const Lanes cosTail = (((1.0 - w) - half) - square.low * 0.5) + z * z * c;
    const Lanes sinTail = h * (z * s);
    sine = {h, sinTail + x.low * (w + cosTail)};
    cosine = {w, cosTail - x.low * (h + sinTail)};
  }
};
