#include "bases/ode_root_marching.h"

#include <cmath>
#include <limits>

#include "bases/interval_map.h"
#include "bases/progress_blocks.h"

namespace {

using ld = long double;

// Taylor terms per step: with the step one root spacing the terms fall like pi^k / k!, and 40
// of them leave a truncation far below the long-double rounding (30 do not quite).
constexpr int terms = 40;
// Steps of the classical Runge-Kutta rule over the pi the Pruefer angle turns from root to root;
// the guess only has to be close enough for Newton to converge in a few steps.
constexpr int angleSteps = 5;
constexpr int newtonSteps = 16;

ld polynomial(const ld* c, ld x) {
  return c[0] + x * (c[1] + x * c[2]);
}
ld slope(const ld* c, ld x) {
  return c[1] + 2 * x * c[2];
}

// The leading coefficient p of the ODE, evaluated through its real zeros where it has them:
// near a zero (a singular point, where the steps end) the plain polynomial would lose the
// relative digits of p(x) that the Taylor recursion divides by.
struct Leading {
  const ld* c;
  int zeros = 0;  // 0, 1 or 2 real zeros
  ld first = 0, second = 0;
  ld centre = 0, spread = 0;  // complex zeros centre +- i spread, when zeros = 0 and c[2] != 0

  explicit Leading(const ld* coefficients) : c(coefficients) {
    if (c[2] == 0) {
      if (c[1] != 0) zeros = 1, first = -c[0] / c[1];
      return;
    }
    centre = -c[1] / (2 * c[2]);
    const ld discriminant = c[1] * c[1] - 4 * c[2] * c[0];
    spread = std::sqrt(std::fabs(discriminant)) / (2 * std::fabs(c[2]));
    if (discriminant >= 0) zeros = 2, first = centre - spread, second = centre + spread;
  }
  ld operator()(ld x) const {
    if (zeros == 1) return c[1] * (x - first);
    if (zeros == 2) return c[2] * (x - first) * (x - second);
    return polynomial(c, x);
  }
  // Distance from x to the nearest zero, real or complex (infinite for a constant): the radius
  // of convergence of the Taylor series of u about x.
  ld reach(ld x) const {
    if (zeros == 1) return std::fabs(x - first);
    if (zeros == 2) return std::fmin(std::fabs(x - first), std::fabs(x - second));
    if (c[2] != 0) return std::hypot(x - centre, spread);
    return std::numeric_limits<ld>::infinity();
  }
};

// Pruefer angle: with tan(theta) = g u / u', g = sqrt(r/p), the roots of u sit at theta = k pi
// and theta' = g + c sin(2 theta) / 2 with c = (r'p - r p' + 2 r q) / (2 r p). Integrating
// dx/dtheta over the angle from one root to the next gives the guess for the next root.
struct AngleRate {
  const RootOde& ode;
  double operator()(double x, double halfSine) const {
    const ld p = polynomial(ode.p, x), r = polynomial(ode.r, x);
    const double g = std::sqrt(static_cast<double>(r / p));
    const double c = static_cast<double>(
        (slope(ode.r, x) * p - r * slope(ode.p, x) + 2 * r * polynomial(ode.q, x)) / (2 * r * p));
    return 1.0 / (g + c * halfSine);
  }
};

// sin(2 theta) / 2 at the angles from + j (to - from) / (2 angleSteps), j = 0 .. 2 angleSteps:
// the Runge-Kutta stages' angles.
struct StageSines {
  double at[2 * angleSteps + 1];
  StageSines(double from, double to) {
    for (int j = 0; j <= 2 * angleSteps; ++j)
      at[j] = std::sin(2 * (from + j * (to - from) / (2 * angleSteps))) / 2;
  }
};

// x where the angle reaches `to`, from x0 at angle `from`, by Runge-Kutta in the angle.
double angleGuess(const AngleRate& rate, double x0, double from, double to,
                  const StageSines& sines) {
  const double step = (to - from) / angleSteps;
  double x = x0;
  for (int i = 0; i < angleSteps; ++i) {
    const double s0 = sines.at[2 * i], s1 = sines.at[2 * i + 1], s2 = sines.at[2 * i + 2];
    const double k1 = rate(x, s0);
    const double k2 = rate(x + step / 2 * k1, s1);
    const double k3 = rate(x + step / 2 * k2, s1);
    const double k4 = rate(x + step * k3, s2);
    x += step / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  }
  return x;
}

// Taylor coefficients b_k = u^(k)(x0) h^k / k! of u about x0, from u(x0) and u'(x0). With the
// coefficients of p, q, r re-expanded about x0 (P, Q, R in powers of s = x - x0), the ODE's
// coefficient of s^k gives
//   P0 (k+2)(k+1) b_{k+2} = -[(P1 k + Q0) h (k+1) b_{k+1} + (P2 k(k-1) + Q1 k + R0) h^2 b_k
//                            + (Q2 (k-1) + R1) h^3 b_{k-1} + R2 h^4 b_{k-2}].
void taylorCoefficients(const RootOde& ode, const Leading& p, ld x0, ld u, ld du, ld h, ld* b) {
  const ld p0 = p(x0), p1 = slope(ode.p, x0), p2 = ode.p[2];
  const ld q0 = polynomial(ode.q, x0), q1 = slope(ode.q, x0), q2 = ode.q[2];
  const ld r0 = polynomial(ode.r, x0), r1 = slope(ode.r, x0), r2 = ode.r[2];
  const ld h2 = h * h, h3 = h2 * h, h4 = h2 * h2;
  b[0] = u;
  b[1] = du * h;
  for (int k = 0; k + 2 < terms; ++k) {
    ld sum = (p1 * k + q0) * h * (k + 1) * b[k + 1] + (p2 * k * (k - 1) + q1 * k + r0) * h2 * b[k];
    if (k >= 1) sum += (q2 * (k - 1) + r1) * h3 * b[k - 1];
    if (k >= 2) sum += r2 * h4 * b[k - 2];
    b[k + 2] = -sum / (p0 * (k + 2) * (k + 1));
  }
}

struct SeriesValue {
  ld value, derivative;  // U(sigma) and dU/dsigma
};

SeriesValue series(const ld* b, ld sigma) {
  ld value = b[terms - 1], derivative = 0;
  for (int k = terms - 2; k >= 0; --k) {
    derivative = derivative * sigma + value;
    value = value * sigma + b[k];
  }
  return {value, derivative};
}

}  // namespace

// Glaser-Liu-Rokhlin marching. From the current point the Pruefer angle, integrated by a few
// Runge-Kutta steps, guesses the next root; the Taylor series of u about the current point
// (long double, 40 terms, scaled by the step h so that the guess sits at sigma = 1) is solved
// for the root by Newton. The march then re-expands at the root rounded to a double, with the
// series value there as u: this carried residual keeps the small error of each root from
// building up along thousands of steps, which setting u = 0 at each root would not.
std::vector<MarchedRoot> marchRoots(const RootOde& ode, const MarchStart& start, int direction,
                                    int32_t count, long double reach) {
  std::vector<MarchedRoot> roots;
  if (count <= 0 || direction == 0) return roots;
  roots.reserve(count);
  const double sign = direction > 0 ? 1.0 : -1.0;
  const AngleRate rate{ode};
  const Leading leading(ode.p);
  ld x0 = start.x, u = start.u, du = start.du;
  bool atRoot = start.atRoot;
  const StageSines rootToRoot(0, sign * pi);
  ld b[terms];
  // A step costs some terms^2 operations (the Taylor coefficients and the Newton sums).
  BlockProgress progress(count, terms * terms);
  while (static_cast<int32_t>(roots.size()) < count) {
    progress.at(static_cast<int64_t>(roots.size()));
    // The angle goes up with x; from a root it turns by pi, from any other point up to the
    // next multiple of pi in the marching direction.
    double from = 0, to = sign * pi;
    if (!atRoot) {
      const ld g = std::sqrt(polynomial(ode.r, x0) / polynomial(ode.p, x0));
      from = static_cast<double>(std::atan(g * u / du));
      to = (sign > 0) == (from < 0) ? 0.0 : to;
    }
    const ld h = angleGuess(rate, static_cast<double>(x0), from, to,
                            atRoot ? rootToRoot : StageSines(from, to)) -
                 x0;
    if (!(std::fabs(h) <= reach * leading.reach(x0)) || h * sign <= 0) break;

    taylorCoefficients(ode, leading, x0, u, du, h, b);
    ld sigma = 1;
    for (int step = 0; step < newtonSteps; ++step) {
      const SeriesValue at = series(b, sigma);
      const ld change = at.value / at.derivative;
      sigma -= change;
      if (!(std::fabs(change) > 1e-11L)) break;
    }
    if (!(sigma > 0.25L && sigma < 1.75L)) break;  // no root where the angle put one
    const ld root = x0 + h * sigma;
    roots.push_back({root, series(b, sigma).derivative / h, x0, h * sigma});

    const double rounded = static_cast<double>(root);
    const SeriesValue carried = series(b, (rounded - x0) / h);
    x0 = rounded;
    u = carried.value;
    du = carried.derivative / h;
    atRoot = true;
  }
  return roots;
}
