#include "bases/legendre.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/progress_blocks.h"
#include "bases/quadrature_fit.h"

namespace {

NodeCache<GaussNodes> ruleCache;  // keyed on M

// P_k = ((2k - 1) t P_{k-1} - (k - 1) P_{k-2}) / k; the squared norms are 2 / (2k + 1).
ThreeTermRecurrence legendreRecurrence(int32_t n) {
  ThreeTermRecurrence p(n);
  for (int32_t k = 1; k < n; ++k) {
    p.a[k] = (2.0 * k - 1) / k;
    p.c[k] = (k - 1.0) / k;
  }
  return p;
}

// The weight 2 / ((1 - z z) P_M'(z)^2) at the rounded node z, corrected to first order for
// the rounding: its logarithmic slope at a root is -2z / (1 - z z), which near the ends
// turns the half unit of the node's last place into many units of the weight's.
double weightAt(int32_t m, double z, double p, double q) {
  const long double oneMinusSquare = (1.0L - z) * (1.0L + z);
  const long double d = m * (z * static_cast<long double>(p) - q) / -oneMinusSquare;
  const long double offset = p / d;  // z minus the root
  const long double weight = 2.0L / (oneMinusSquare * d * d);
  return static_cast<double>(weight * (1.0L + 2.0L * z * offset / oneMinusSquare));
}

// The roots are found several at a time: one recurrence pass evaluates P_n and P_{n-1} at
// a point of every lane, so the divisions of independent roots overlap. A lane whose root is
// done takes the next root at once.
constexpr int32_t laneCount = 8;

// Near t = 1, where the outer roots lie, P_k is close to 1 and the plain recurrence loses
// about M^2 units of the last place in P_{M-1}, and with them the outer weights. There the
// pass runs on the differences D_k = P_k - P_{k-1}:
//   k D_k = (2k - 1) (t - 1) P_{k-1} + (k - 1) D_{k-1},
// which keep them. Towards 0 the plain recurrence is the better one.
constexpr double differenceFormAbove = 0.5;

void evaluateLanes(int32_t n, bool differenceForm, const double* t, double* p, double* q) {
  double a[laneCount], b[laneCount];
  if (differenceForm) {
    double s[laneCount];  // t - 1, exact for t >= 0.5
    for (int32_t l = 0; l < laneCount; ++l)
      a[l] = 1.0, b[l] = 0.0, s[l] = t[l] - 1.0;
    for (int32_t k = 1; k <= n; ++k) {
      const double u = 2.0 * k - 1, v = k - 1.0, w = k;
      for (int32_t l = 0; l < laneCount; ++l) {
        b[l] = (u * s[l] * a[l] + v * b[l]) / w;
        a[l] += b[l];
      }
    }
    for (int32_t l = 0; l < laneCount; ++l)
      p[l] = a[l], q[l] = a[l] - b[l];
    return;
  }
  for (int32_t l = 0; l < laneCount; ++l)
    a[l] = 1.0, b[l] = 0.0;
  for (int32_t k = 1; k <= n; ++k) {
    const double u = 2.0 * k - 1, v = k - 1.0, w = k;
    for (int32_t l = 0; l < laneCount; ++l) {
      const double next = (u * t[l] * a[l] - v * b[l]) / w;
      b[l] = a[l];
      a[l] = next;
    }
  }
  for (int32_t l = 0; l < laneCount; ++l)
    p[l] = a[l], q[l] = b[l];
}

// Root finder bounds: Newton from the asymptotic guess converges in a handful of steps; the
// bisection halves a bracket of doubles, which takes at most a few dozen steps.
constexpr int32_t newtonLimit = 30;
constexpr int32_t bisectionLimit = 200;

enum class Phase { idle, start, newton, bisection };

struct Root {
  Phase phase = Phase::idle;
  int32_t index = 0;  // i-th largest root
  int32_t steps = 0;
  double a = 0, fa = 0, qa = 0;  // last iterate: the bracket end on its side
  double b = 0, fb = 0;          // previous iterate: the other bracket end
  double m = 0;                  // the point to evaluate next
};

// Newton's method on P_M from the asymptotic guess cos(pi (i - 0.25) / (M + 0.5)) stops when
// P_M changes sign across a step or stops changing. A sign change leaves a bracket that
// bisection narrows until it cannot be halved. The root is the end of the bracket on the side
// of the last Newton iterate; its weight is taken from P_M and P_{M-1} there.
class RootFinder {
 public:
  RootFinder(int32_t m, double* nodes, double* weights) : m_(m), nodes_(nodes), weights_(weights) {}

  // Finds the roots first..last (counted from the largest).
  void run(int32_t first, int32_t last, bool differenceForm) {
    next_ = first;
    last_ = last;
    Root lanes[laneCount];
    double t[laneCount], p[laneCount], q[laneCount];
    for (;;) {
      bool any = false;
      for (int32_t l = 0; l < laneCount; ++l) {
        const bool busy = plan(lanes[l]);
        t[l] = busy ? lanes[l].m : 0.5;
        any = any || busy;
      }
      if (!any) return;
      evaluateLanes(m_, differenceForm, t, p, q);
      for (int32_t l = 0; l < laneCount; ++l)
        update(lanes[l], p[l], q[l]);
    }
  }

 private:
  // Chooses the lane's next point; false when no root is left for it.
  bool plan(Root& r) {
    for (;;) {
      switch (r.phase) {
        case Phase::idle:
          if (next_ > last_) return false;
          r = Root{};
          r.phase = Phase::start;
          r.index = next_++;
          r.m = std::cos(pi * (r.index - 0.25) / (m_ + 0.5));
          return true;
        case Phase::start:
          return true;
        case Phase::newton:
          if (r.steps++ < newtonLimit) {
            r.b = r.a, r.fb = r.fa;
            const double slope = m_ * (r.b * r.fb - r.qa) / (r.b * r.b - 1);  // P_M'(b)
            r.m = r.b - r.fb / slope;
            return true;
          }
          r.phase = Phase::bisection, r.steps = 0;
          break;
        case Phase::bisection:
          if (r.fb * r.fa < 0 && r.steps++ < bisectionLimit) {
            r.m = (r.b + r.a) * 0.5;
            if (r.m != r.b && r.m != r.a) return true;
          }
          store(r);
          r.phase = Phase::idle;
          break;
      }
    }
  }

  void update(Root& r, double fm, double qm) {
    switch (r.phase) {
      case Phase::idle:
        break;
      case Phase::start:
        r.a = r.m, r.fa = fm, r.qa = qm;
        r.phase = Phase::newton;
        break;
      case Phase::newton:
        r.a = r.m, r.fa = fm, r.qa = qm;
        if (!(r.fb * r.fa > 0 && r.fb != r.fa)) r.phase = Phase::bisection, r.steps = 0;
        break;
      case Phase::bisection:
        if (r.fb * fm < 0)
          r.a = r.m, r.fa = fm, r.qa = qm;
        else
          r.b = r.m, r.fb = fm;
        break;
    }
  }

  void store(const Root& r) {
    nodes_[m_ - r.index] = r.a;
    nodes_[r.index - 1] = -r.a;
    weights_[r.index - 1] = weights_[m_ - r.index] = weightAt(m_, r.a, r.fa, r.qa);
  }

  int32_t m_;
  double* nodes_;
  double* weights_;
  int32_t next_ = 0, last_ = 0;
};

// Bogaert's iteration-free expansion (SIAM J. Sci. Comput. 36(3), A1008, 2014): the k-th
// largest root is cos(theta_k), with theta_k = alpha_k + v^2 (...) + v^4 (...) + v^6 (...),
// alpha_k = v j_k, v = 1 / (M + 1/2) and j_k the k-th zero of the Bessel function J0; the
// weight is 2 / (J1(j_k)^2 (alpha / sin alpha) (v^-2 + W1 + v^2 W2 + v^4 W3)), with the
// paper's terms. The neglected term, about 0.08 v^8 at the nodes nearest 0, is measured
// against mpmath at 125 units of their last place for M = 60, 5 at 90 and 2 at 100; the
// recurrence finder, within 2 units there, serves below 100.
constexpr int32_t asymptoticFrom = 100;

// j_k and J1(j_k)^2 for k = 1..30 from mpmath (tests/bases/references/legendre_references.py);
// beyond them McMahon's expansions, whose first neglected term is below 1e-21 there.
constexpr long double besselTable[][2] = {
    {2.404825557695772768621632L, 2.69514123941916926139022e-1L},
    {5.520078110286310649596604L, 1.157801385822036958078128e-1L},
    {8.653727912911012216954199L, 7.368635113640821514064768e-2L},
    {1.179153443901428161374304e+1L, 5.403757319811628204177492e-2L},
    {1.493091770848778594776259e+1L, 4.266142901724309126551061e-2L},
    {1.807106396791092254314788e+1L, 3.52421034909961013587473e-2L},
    {2.121163662987925895907839e+1L, 3.002107010305467267508882e-2L},
    {2.435247153074930273705794e+1L, 2.614739149530808859045847e-2L},
    {2.749347913204025479587729e+1L, 2.315912182469139226526764e-2L},
    {3.063460646843197511754958e+1L, 2.078382912226785760398081e-2L},
    {3.377582021357356868423855e+1L, 1.885045066931766781610568e-2L},
    {3.691709835366404397976949e+1L, 1.724615756966500829952401e-2L},
    {4.005842576462823929479931e+1L, 1.589351810592359780270656e-2L},
    {4.319979171317673035752407e+1L, 1.47376260964721895895743e-2L},
    {4.634118837166181401868579e+1L, 1.373846514538711791828805e-2L},
    {4.948260989739781717360276e+1L, 1.286618173761513287914066e-2L},
    {5.262405184111499602925129e+1L, 1.209805154862679754710754e-2L},
    {5.576551075501997931168349e+1L, 1.141647122449160851686272e-2L},
    {5.890698392608094213283441e+1L, 1.080759279118020401155473e-2L},
    {6.20484691902271698828525e+1L, 1.02603729262807628110424e-2L},
    {6.518996480020686044063603e+1L, 9.765897139791050540598467e-3L},
    {6.83314693298567982709923e+1L, 9.316890387627165089035633e-3L},
    {7.147298160359373282506307e+1L, 8.907356754001989588571844e-3L},
    {7.461450064370183788382054e+1L, 8.532310161358082912843132e-3L},
    {7.775602563038805503773937e+1L, 8.187570362708155231855111e-3L},
    {8.089755587113762786377214e+1L, 7.869606469720769245904622e-3L},
    {8.403909077693819015787964e+1L, 7.575415577297647171696498e-3L},
    {8.718062984364115365126181e+1L, 7.30242763147764091649963e-3L},
    {9.032217263721048005571777e+1L, 7.048430150990362553749572e-3L},
    {9.346371878194477417119059e+1L, 6.811508131014086166066238e-3L},
};
constexpr int32_t besselTableSize = sizeof besselTable / sizeof besselTable[0];

// j_k - pi (k - 1/4), the zero's offset from McMahon's first term a (ia = 1 / a).
// The small terms here and below are formed in double: they are far below the node and
// weight they correct.
double besselZeroOffset(int32_t k, long double a, double ia) {
  if (k <= besselTableSize) return static_cast<double>(besselTable[k - 1][0] - a);
  constexpr double c1 = -124.0 / 3, c2 = 120928.0 / 15, c3 = -401743168.0 / 105,
                   c4 = 1071187749376.0 / 315;
  const double b = 0.125 * ia, b2 = b * b;
  return b * (1 + b2 * (c1 + b2 * (c2 + b2 * (c3 + b2 * c4))));
}

// pi a J1(j_k)^2 = 2 - 7/24 a^-4 + ... (ia = 1 / a).
double besselJ1SquaredTimesPiA(int32_t k, long double a, double ia) {
  if (k <= besselTableSize) return static_cast<double>(besselTable[k - 1][1] * piLong * a);
  constexpr double c1 = -7.0 / 24, c2 = 151.0 / 80, c3 = -172913.0 / 8064, c4 = 461797.0 / 1152,
                   c5 = -171497088497.0 / 15206400;
  const double r = ia * ia;  // a^-2
  return 2 + r * r * (c1 + r * (c2 + r * (c3 + r * (c4 + r * c5))));
}

// theta - alpha in powers of v^2, with u = cot alpha and ia = 1 / alpha.
double thetaCorrection(double v2, double u, double ia) {
  const double u2 = u * u, ia2 = ia * ia, ia3 = ia2 * ia;
  constexpr double r384 = 1.0 / 384, r15360 = 1.0 / 15360;
  const double t2 = (u - ia) * 0.125;
  const double t4 = (6 * (1 + u2) * ia + 25 * ia3 - u * (31 * u2 + 33)) * r384;
  const double t6 = u * (2595 + u2 * (6350 + u2 * 3779)) * r15360 - (1073.0 / 5120) * ia3 * ia2 +
                    (1 + u2) * (-(31 * u2 + 11) * (1.0 / 1024) * ia + u * (1.0 / 512) * ia2 -
                                (25.0 / 3072) * ia3);
  return v2 * (t2 + v2 * (t4 + v2 * t6));
}

// v^-2 + W1 + v^2 W2 + v^4 W3 of the weight, with u = cot alpha and ia = 1 / alpha.
double weightSeries(double v2, double alpha, double u, double ia) {
  const double u2 = u * u, ia2 = ia * ia, ua = u * alpha;
  constexpr double r384 = 1.0 / 384;
  const double w1 = (1 + (ua - 1) * ia2) * 0.125;
  const double w2 =
      (-27 - u2 * (84 + 56 * u2) + ia2 * (-3 + 6 * u2 + 6 * ua + ia2 * (81 - 31 * ua))) * r384;
  const double w3 = 153.0 / 1024 + u2 * (295.0 / 256 + u2 * (187.0 / 96 + u2 * (151.0 / 160))) +
                    ia * (-u * (65.0 / 1024 + u2 * (119.0 / 768 + u2 * (35.0 / 384))) +
                          ia * (5.0 / 512 + u2 * (15.0 / 512 + u2 * (7.0 / 384)) +
                                ia * (u * (u2 * (1.0 / 512) - 13.0 / 1536) +
                                      ia * (u2 * (-7.0 / 384) + 53.0 / 3072 +
                                            ia * ((3749.0 / 15360) * u - ia * (1125.0 / 1024))))));
  return 1 / v2 + w1 + v2 * (w2 + v2 * w3);
}

// 1 / n! for n = 0..23.
struct InverseFactorials {
  long double value[24];
};
constexpr InverseFactorials makeInverseFactorials() {
  InverseFactorials f{};
  f.value[0] = 1;
  for (int n = 1; n < 24; ++n)
    f.value[n] = f.value[n - 1] / n;
  return f;
}
constexpr InverseFactorials inverseFactorial = makeInverseFactorials();

// sin x and cos x for |x| <= pi/4 by their Taylor series to x^23 and x^22 (the next terms are
// below 1e-22): several times faster than the library's long-double sine and cosine.
void sinCosQuarter(long double x, long double& sine, long double& cosine) {
  const long double x2 = x * x;
  long double s = 0, c = 0;
  for (int n = 23; n >= 1; n -= 2) {
    s = s * -x2 + inverseFactorial.value[n];
    c = c * -x2 + inverseFactorial.value[n - 1];
  }
  sine = s * x;
  cosine = c;
}

// The root is found from phi = pi/2 - alpha, formed from its exact leading part
// pi (M + 1 - 2k) / (2M + 1), so that the nodes near 0 keep their relative accuracy; sin and
// cos of alpha come from whichever of alpha and phi is the smaller. The node is
// cos(alpha + delta) with the small delta = theta - alpha expanded.
void asymptoticLegendre(double* nodes, double* weights, int32_t m) {
  const long double v = 1.0L / (m + 0.5L);
  const double v2 = static_cast<double>(v * v);
  const long double phiStep = piLong / (2.0L * m + 1);
  BlockProgress progress((m + 1) / 2, 256);
  for (int32_t k = 1; k <= (m + 1) / 2; ++k) {
    progress.at(k - 1);
    const long double a = piLong * (k - 0.25L);
    const double ia = static_cast<double>(1 / a);
    const double offset = besselZeroOffset(k, a, ia);
    const long double alpha = (a + offset) * v;
    const long double phi = phiStep * (m + 1.0L - 2.0L * k) - offset * v;
    long double sinAlpha, cosAlpha;
    if (alpha < phi)
      sinCosQuarter(alpha, sinAlpha, cosAlpha);
    else
      sinCosQuarter(phi, cosAlpha, sinAlpha);
    const double u = static_cast<double>(cosAlpha / sinAlpha);  // cot alpha
    const double iAlpha = static_cast<double>(1 / alpha);

    const double delta = thetaCorrection(v2, u, iAlpha);  // |delta| < v^2 / 10
    const double d2 = delta * delta;
    const double cosDeltaMinusOne = -d2 * 0.5 * (1 - d2 * (1.0 / 12));
    const double sinDelta = delta * (1 - d2 * (1.0 / 6) * (1 - d2 * 0.05));
    const long double node = cosAlpha + (cosAlpha * cosDeltaMinusOne - sinAlpha * sinDelta);

    // 2 / (J1(j_k)^2 (alpha / sin alpha) series)
    const double weight = static_cast<double>(2 * piLong * a * sinAlpha / alpha) /
                          (besselJ1SquaredTimesPiA(k, a, ia) *
                           weightSeries(v2, static_cast<double>(alpha), u, iAlpha));

    nodes[m - k] = static_cast<double>(node);
    nodes[k - 1] = -nodes[m - k];
    weights[k - 1] = weights[m - k] = weight;
  }
  if (m % 2 != 0) nodes[m / 2] = 0.0;  // the middle root, exactly
}

struct LegendreSeries {
  int32_t n = 0;
  ThreeTermRecurrence p{0};

  const GaussNodes& settle(int32_t m, int32_t terms, double, double) {
    n = terms;
    const GaussNodes& rule = ruleCache.at({m}, [m] {
      return makeGaussNodes(m, [m](double* t, double* w) { gaussLegendre(t, w, m); });
    });
    p = legendreRecurrence(n);
    return rule;
  }
  long double sums(const GaussNodes& rule, const double* f, double* sums) const {
    return gaussSumsByRecurrence(rule, p, f, sums, n);
  }
  static double squaredNorm(int32_t k) { return 2.0 / (2.0 * k + 1); }
  void sum(const GaussNodes& rule, const double* c, double* values) const {
    sumAtNodesByRecurrence(rule, p, c, n, values);
  }
};

void evaluateManyLegendre(double left, double right, double, double, const double* c, int32_t n,
                          const double* x, double* values, int32_t count) {
  evaluateByRecurrence(left, right, legendreRecurrence(n), c, n, x, values, count);
}

long double evaluateLegendre(double left, double right, double alpha, double beta, const double* c,
                             int32_t n, double x) {
  double value = 0.0;
  evaluateManyLegendre(left, right, alpha, beta, c, n, &x, &value, 1);
  return value;
}

void quadratureLegendre(double* nodes, double* weights, int32_t m, double, double) {
  gaussLegendre(nodes, weights, m);
}

// dP_n/dt = sum over k = n-1, n-3, ... of (2k + 1) P_k, so the derivative's k-th coefficient
// is (2k + 1) (c[k+1] + c[k+3] + ...), times dt/dx.
void differentiateLegendre(double left, double right, double, double, const double* c, double* out,
                           int32_t n) {
  if (n <= 0) return;
  for (int32_t k = 0; k < n; ++k)
    out[k] = c[k];
  for (int32_t k = n - 1; k >= 2; --k)
    out[k - 2] += out[k];
  for (int32_t k = 0; k + 1 < n; ++k)
    out[k] = (2.0 * k + 1) * out[k + 1];
  out[n - 1] = 0.0;
  const double con = unitPerAbscissa(left, right);
  for (int32_t k = 0; k + 1 < n; ++k)
    out[k] *= con;
}

// Every P_k with k >= 1 integrates to 0 over [-1, 1]; P_0 to 2.
long double integrateLegendre(double left, double right, double, double, const double* c,
                              int32_t n) {
  if (n <= 0) return 0.0L;
  return (static_cast<long double>(right) - left) * c[0];
}

}  // namespace

void gaussLegendre(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  if (m >= asymptoticFrom) return asymptoticLegendre(nodes, weights, m);
  // The roots whose guess lies above differenceFormAbove come first.
  int32_t outer = 0;
  while (outer < m / 2 && std::cos(pi * (outer + 1 - 0.25) / (m + 0.5)) > differenceFormAbove)
    ++outer;
  RootFinder finder(m, nodes, weights);
  finder.run(1, outer, true);
  finder.run(outer + 1, m / 2, false);
  if (m % 2 != 0) {
    // P_M is odd: the middle root is 0 and P_M'(0) = M P_{M-1}(0).
    const long double d = static_cast<long double>(m) * legendreValue(m - 1, 0.0);
    nodes[m / 2] = 0.0;
    weights[m / 2] = static_cast<double>(2.0L / (d * d));
  }
}

double legendreValue(int32_t n, double t) {
  double p = 1.0, q = 0.0;
  for (int32_t i = 1; i <= n; ++i) {
    const double next = ((2.0 * i - 1) * t * p - (i - 1.0) * q) / i;
    q = p;
    p = next;
  }
  return p;
}

constinit const BasisOps legendreBasis = basisWithSteps<GaussSteps<LegendreSeries>>(
    evaluateLegendre, quadratureLegendre, differentiateLegendre, integrateLegendre,
    evaluateManyLegendre);
