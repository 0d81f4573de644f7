// ODE root marching: roots of sin (exactly k pi, so any drift along a long march shows), starts
// beside a root in either direction, and the stop short of a singular point of the ODE.
#include "bases/ode_root_marching.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr long double piL = 3.141592653589793238462643383279502884L;
constexpr double eps = 2.220446049250313e-16;

TEST(OdeRootMarching, SineRootsStayExactOverALongMarch) {
  // u'' + u = 0 from the root 0: the k-th root is k pi; without the carried residual the
  // rounding of every node would accumulate along the 10^5 steps.
  const RootOde ode{{1, 0, 0}, {0, 0, 0}, {1, 0, 0}};
  const auto roots = marchRoots(ode, {0, 0, 1, true}, 1, 100000);
  ASSERT_EQ(roots.size(), 100000u);
  for (size_t k = 0; k < roots.size(); k += 997) {
    const long double exact = (k + 1) * piL;
    EXPECT_LE(std::fabs(static_cast<double>(roots[k].x) - static_cast<double>(exact)),
              4 * eps * static_cast<double>(exact))
        << k;
    // The amplitude must not drift either: a rounding that is the same at every step (a
    // tabulated constant) would add up along the march.
    EXPECT_NEAR(static_cast<double>(std::fabs(roots[k].derivative)), 1.0, 1e-15) << k;
  }
  const auto back = marchRoots(ode, {0, 0, 1, true}, -1, 3);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_NEAR(static_cast<double>(back[2].x), static_cast<double>(-3 * piL), 4 * eps * 10);
}

TEST(OdeRootMarching, StartBesideARootFindsThatRootFirst) {
  // u = sin x started just left and just right of the root 2 pi: the first root found in the
  // marching direction is the nearest one on that side.
  const RootOde ode{{1, 0, 0}, {0, 0, 0}, {1, 0, 0}};
  for (long double offset : {-1e-9L, 1e-9L, -0.4L, 0.4L}) {
    const long double x = 2 * piL + offset;
    for (int direction : {1, -1}) {
      const auto roots = marchRoots(ode, {x, std::sin(x), std::cos(x), false}, direction, 2);
      ASSERT_EQ(roots.size(), 2u);
      const long double nearest =
          (direction > 0) == (offset < 0) ? 2 * piL : 2 * piL + direction * piL;
      EXPECT_NEAR(static_cast<double>(roots[0].x), static_cast<double>(nearest), 1e-14)
          << static_cast<double>(offset) << " " << direction;
      EXPECT_NEAR(static_cast<double>(roots[1].x), static_cast<double>(nearest + direction * piL),
                  1e-14);
    }
  }
  // From a maximum (u' = 0) both ways.
  const auto right = marchRoots(ode, {piL / 2, 1, 0, false}, 1, 1);
  const auto left = marchRoots(ode, {piL / 2, 1, 0, false}, -1, 1);
  EXPECT_NEAR(static_cast<double>(right[0].x), static_cast<double>(piL), 1e-15);
  EXPECT_NEAR(static_cast<double>(left[0].x), 0.0, 1e-15);
}

TEST(OdeRootMarching, StopsShortOfASingularPoint) {
  // Legendre's equation (1 - x^2) u'' - 2x u' + n(n+1) u = 0 for n = 200 (even), from the
  // maximum at 0. Each root found must be a root of P_200 (long-double recurrence), and the
  // march must stop before its step reaches 0.3 of the way to x = 1.
  const int n = 200;
  auto legendre = [&](long double x) {
    long double p0 = 1, p1 = x;
    for (int j = 2; j <= n; ++j) {
      const long double p2 = ((2 * j - 1) * x * p1 - (j - 1) * p0) / j;
      p0 = p1;
      p1 = p2;
    }
    return std::pair{p1, n * (p0 - x * p1) / (1 - x * x)};  // P_n and P_n'
  };
  const RootOde ode{{1, 0, -1}, {0, -2, 0}, {n * (n + 1.0L), 0, 0}};
  const auto [u, du] = legendre(0);
  const auto roots = marchRoots(ode, {0, u, du, false}, 1, n);
  ASSERT_GT(roots.size(), 80u);
  ASSERT_LT(roots.size(), 100u);
  long double previous = 0;
  for (const MarchedRoot& root : roots) {
    ASSERT_GT(root.x, previous);
    previous = root.x;
    const auto [value, slope] = legendre(root.x);
    EXPECT_LT(std::fabs(static_cast<double>(value / slope)), 2e-19 + 1e-18 * (1 - root.x));
    EXPECT_NEAR(static_cast<double>(root.derivative / slope), 1.0, 1e-15);
  }
  EXPECT_LT(roots.back().x, 1.0L);
}

TEST(OdeRootMarching, EveryRootThroughATurningPoint) {
  // psi'' = -(2M + 1 - x^2) psi for the Hermite function psi_M, M = 2000, from its value at
  // 0: the spacing grows sharply towards the turning point at sqrt(2M + 1), where the next
  // root is hardest to guess. Every one of the M/2 positive roots, each a root of psi_M and with
  // psi_M' there, against the orthonormal recurrence in long double.
  const int m = 2000;
  auto psi = [&](long double t) {
    long double previous = 0, current = powl(piL, -0.25L) * expl(-t * t / 2);
    for (int j = 1; j <= m; ++j) {
      const long double next = sqrtl(2.0L / j) * t * current - sqrtl((j - 1.0L) / j) * previous;
      previous = current;
      current = next;
    }
    return std::pair{current, sqrtl(2.0L * m) * previous - t * current};  // psi_M and psi_M'
  };
  const RootOde ode{{1, 0, 0}, {0, 0, 0}, {2.0L * m + 1, 0, -1}};
  const auto roots = marchRoots(ode, {0, psi(0).first, 0, false}, 1, m / 2);
  ASSERT_EQ(roots.size(), static_cast<size_t>(m / 2));
  long double previous = 0;
  for (const MarchedRoot& root : roots) {
    ASSERT_GT(root.x, previous);
    previous = root.x;
    const auto [value, slope] = psi(root.x);
    EXPECT_LT(std::fabs(static_cast<double>(value / slope)), 2 * eps * root.x);
    EXPECT_NEAR(static_cast<double>(root.derivative / slope), 1.0, 1e-14);
  }
  EXPECT_LT(roots.back().x, std::sqrt(2.0 * m + 1));
}

}  // namespace
