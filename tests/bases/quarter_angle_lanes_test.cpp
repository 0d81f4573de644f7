// The angles pi p / q in twice double precision and their sine and cosine, against long double
// (whose 64-bit significand leaves the reference 2^-11 of a double's unit), over the counts the
// node kernels meet: small denominators, 4M + 2 and 2M + 2 for large M, from 0 up to pi/4.
#include "bases/quarter_angle_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/bases/test_mesh.h"

namespace {

using Angle = QuarterAngle<2>;
using Lanes = Angle::Lanes;

// Numerators from 0 up to q / 4, the largest the kernels take (their switch point): the first
// few and a spread.
std::vector<double> numerators(double q) {
  const double top = std::floor(q / 4);
  std::vector<double> p;
  for (double x = 0; x <= std::fmin(3, top); ++x)
    p.push_back(x);
  for (double step = std::fmax(1, std::floor(top / 997)), x = 4; x <= top; x += step)
    p.push_back(x);
  p.push_back(top);
  return p;
}

double ulpOf(long double x) {
  const double d = std::fabs(static_cast<double>(x));
  return d == 0 ? 0x1p-1074 : std::nextafter(d, INFINITY) - d;
}

TEST(QuarterAngle, PiFractionsToTwiceDoublePrecision) {
  for (double q : {4.0, 7.0, 22.0, 400002.0, 4000002.0, 200002.0, 2000002.0, 67108866.0}) {
    for (double p : numerators(q)) {
      for (double c : {0.0, 1e-9, -3e-12}) {
        const Angle::Pair a = Angle::piFraction(Lanes{p, p}, Lanes{q, q}, Lanes{c, c});
        const long double expected = truePi * p / q + c;
        const long double got = static_cast<long double>(a.high[0]) + a.low[0];
        EXPECT_LE(fabsl(got - expected), 4e-19L * fabsl(expected) + 1e-30L)
            << "p = " << p << ", q = " << q << ", c = " << c;
        EXPECT_EQ(a.high[0], static_cast<double>(a.high[0] + a.low[0]));  // low below half a unit
      }
    }
  }
}

TEST(QuarterAngle, SineAndCosineWithinOneUnit) {
  double worstSine = 0, worstCosine = 0;
  for (double q : {4.0, 7.0, 22.0, 400002.0, 4000002.0, 2000002.0, 67108866.0}) {
    for (double p : numerators(q)) {
      const Angle::Pair a = Angle::piFraction(Lanes{p, p}, Lanes{q, q}, Lanes{});
      Lanes sine, cosine;
      Angle::sinCos(a, sine, cosine);
      const long double angle = truePi * p / q;
      const long double s = sinl(angle), c = cosl(angle);
      if (p == 0) {
        EXPECT_EQ(sine[0], 0.0);
        EXPECT_EQ(cosine[0], 1.0);
        continue;
      }
      worstSine = std::fmax(worstSine, static_cast<double>(fabsl(sine[0] - s) / ulpOf(s)));
      worstCosine = std::fmax(worstCosine, static_cast<double>(fabsl(cosine[0] - c) / ulpOf(c)));
      EXPECT_EQ(sine[1], sine[0]);
      EXPECT_EQ(cosine[1], cosine[0]);
    }
  }
  EXPECT_LE(worstSine, 1.0);
  EXPECT_LE(worstCosine, 1.0);
}

}  // namespace
