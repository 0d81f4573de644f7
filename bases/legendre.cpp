#include "bases/legendre.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/legendre_lanes.h"
#include "bases/node_cache.h"
#include "bases/progress_blocks.h"
#include "bases/quadrature_fit.h"

namespace {

thread_local NodeCache<GaussNodes> ruleCache;  // keyed on M

// P_k = ((2k - 1) t P_{k-1} - (k - 1) P_{k-2}) / k; the squared norms are 2 / (2k + 1).
ThreeTermRecurrence legendreRecurrence(int32_t n) {
  ThreeTermRecurrence p(n);
  for (int32_t k = 1; k < n; ++k) {
    p.a[k] = (2.0 * k - 1) / k;
    p.c[k] = (k - 1.0) / k;
  }
  return p;
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

// The weight 2 / ((1 - z z) P_M'(z)^2) at the rounded node z, with P_M and P_{M-1} there
// evaluated once more in long double (the double passes of the search carry some M units of
// rounding into P_M'), and corrected to first order for the rounding of the root: its
// logarithmic slope at a root is -2z / (1 - z z), which near the ends turns the half unit of the
// node's last place into many units of the weight's. Above differenceFormAbove the pass runs on
// the differences, as the search does.
double weightAt(int32_t m, double z) {
  long double p = 1, q = 0;
  if (z >= differenceFormAbove) {
    const long double s = z - 1.0L;
    long double d = 0;  // P_k - P_{k-1}
    for (int32_t k = 1; k <= m; ++k) {
      d = ((2 * k - 1) * s * p + (k - 1) * d) / k;
      p += d;
    }
    q = p - d;
  } else {
    for (int32_t k = 1; k <= m; ++k) {
      const long double next = ((2 * k - 1) * (z * p) - (k - 1) * q) / k;
      q = p;
      p = next;
    }
  }
  const long double oneMinusSquare = (1.0L - z) * (1.0L + z);
  const long double d = m * (z * p - q) / -oneMinusSquare;
  const long double offset = p / d;  // z minus the root
  const long double weight = 2.0L / (oneMinusSquare * d * d);
  return static_cast<double>(weight * (1.0L + 2.0L * z * offset / oneMinusSquare));
}

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
    weights_[r.index - 1] = weights_[m_ - r.index] = weightAt(m_, r.a);
  }

  int32_t m_;
  double* nodes_;
  double* weights_;
  int32_t next_ = 0, last_ = 0;
};

// Bogaert's iteration-free expansion (bases/legendre_lanes.cpp, in double) from 120 nodes on.
// Its neglected term, about 0.08 v^8 at the nodes nearest 0, decides the switch: measured
// against long-double Newton, its nodes are off by up to 4.4 units of their last place at
// M = 102, 2.3 at 108 and at most 1.5 from 119 on (weights within 2.5 units); the recurrence
// finder, within 2 units (weights 0.7) up to there, serves below 120.
constexpr int32_t asymptoticFrom = 120;

// The roots in blocks, so that a long node set reports its progress.
void asymptoticLegendre(double* nodes, double* weights, int32_t m) {
  constexpr int32_t block = 4096;
  const int32_t roots = (m + 1) / 2;
  BlockProgress progress(roots, 200);  // some 200 operations a root
  for (int32_t first = 1; first <= roots; first += block) {
    progress.at(first - 1);
    legendreAsymptoticLanes(m, first, std::min(roots, first + block - 1), nodes, weights);
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
  void manySums(const GaussNodes& rule, const double* f, int64_t spectra, double* sums) const {
    std::vector<double> u(static_cast<size_t>(spectra) * rule.t.size());
    gaussManySumsByRecurrence(rule, p, f, spectra, u.data(), sums, n);
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
    nodes[m / 2] = 0.0;
    weights[m / 2] = weightAt(m, 0.0);
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

constinit const BasisOps legendreBasis = withSquaredNorm(
    withProjectMany<GaussSteps<LegendreSeries>>(basisWithSteps<GaussSteps<LegendreSeries>>(
        evaluateLegendre, quadratureLegendre, differentiateLegendre, integrateLegendre,
        evaluateManyLegendre)),
    [](int32_t k, double, double, int32_t) { return LegendreSeries::squaredNorm(k); });
